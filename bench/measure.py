#!/usr/bin/env python3
"""Opens documents in editors under the current X server and measures how long loading takes.

Run by bench/run inside xvfb-run; see bench/README.md for what each number means.
Standard library only; the responsiveness probe talks to libX11 through ctypes.
"""
import argparse
import csv
import ctypes
import ctypes.util
import mmap
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

TICK = 0.02  # polling step in seconds
QUIET = 0.3  # CPU time must stop growing this long to count as settled
QUIET_TOLERANCE = 1  # clock ticks; a blinking cursor may cost one now and then
NO_TITLE_GIVE_UP = 5.0  # seconds after going quiet with a window up but none named after the file

NAMES = {"omriknote": "OmrikNote", "baseline": "OmrikNote baseline", "kwrite": "KWrite",
         "featherpad": "FeatherPad", "qtfloor": "empty QPlainTextEdit",
         "qtplain": "bare QPlainTextEdit", "wc": "wc -l"}
BASELINE = None  # another build of OmrikNote, measured as the editor "baseline"


def command_for(editor, program, document):
    return {
        "omriknote": [program, document],
        "baseline": [BASELINE, document],
        "kwrite": ["kwrite", document],
        "featherpad": ["featherpad", document],
        # Built next to the program by the same build; see bench/qtfloor.cpp.
        "qtfloor": [os.path.join(os.path.dirname(program), "bench", "omrik-qtfloor"), document],
        "qtplain": [os.path.join(os.path.dirname(program), "bench", "omrik-qtfloor"), "--load",
                    document],
    }[editor]


def seed_config(editor, config):
    """Settings that keep first-start questions away, in the run's private config folder."""
    if editor in ("omriknote", "baseline"):
        os.makedirs(os.path.join(config, "OmrikNote"))
        with open(os.path.join(config, "OmrikNote", "OmrikNote.ini"), "w") as ini:
            ini.write("[Options]\nCheckDefault=No\n")
    # KWrite and FeatherPad ask nothing on a first start with a fresh config folder.


# --- /proc readings ---------------------------------------------------------------------

def stat_fields(pid):
    """Fields of /proc/PID/stat after the command name (field 3 is index 0)."""
    with open(f"/proc/{pid}/stat") as f:
        text = f.read()
    return text[text.rindex(")") + 2:].split()


def session_cpu_ticks(session):
    """utime+stime of every process in the editor's session (threads are included in each
    process's figure), plus what finished children left behind in their parents."""
    total = 0
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            fields = stat_fields(entry)
        except (OSError, ValueError):
            continue
        if int(fields[3]) == session:
            total += sum(int(x) for x in fields[11:15])
    return total


def peak_kib(pid):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def in_session(process, session):
    try:
        return int(stat_fields(process)[3]) == session
    except (OSError, ValueError):
        return False


def session_members(session):
    return [int(entry) for entry in os.listdir("/proc")
            if entry.isdigit() and in_session(entry, session)]


# --- X -----------------------------------------------------------------------------------

class XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xclient", XClientMessageEvent),
                ("pad", ctypes.c_long * 24)]


class Pinger:
    """Measures whether the editor's event loop answers.

    Window properties such as WM_NAME are answered by the X server itself, so querying them
    says nothing about a frozen editor. A _NET_WM_PING message instead has to be handled by
    the editor's own event loop, which sends it back to the root window; every Qt program
    does this. One ping is outstanding at a time.

    Two stalls come out: counted from launch (the time before the first answer is a stall
    too, so an editor that shows no window until it has loaded everything is not rewarded),
    and counted from the moment the window appeared.
    """

    CLIENT_MESSAGE = 33
    # Qt sends the answer to the root window for structure or substructure listeners.
    ROOT_MASK = (1 << 17) | (1 << 19)

    def __init__(self):
        x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XInternAtom.restype = ctypes.c_ulong
        x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                 ctypes.c_void_p]
        x.XPending.argtypes = [ctypes.c_void_p]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        x.XFlush.argtypes = [ctypes.c_void_p]
        # The default handler would end this program when a window vanishes under a ping.
        self._on_error = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(
            lambda display, error: 0)
        x.XSetErrorHandler(self._on_error)
        self.x = x
        self.display = x.XOpenDisplay(None)
        if not self.display:
            sys.exit("measure.py: cannot open the X display")
        self.root = x.XDefaultRootWindow(self.display)
        self.wm_protocols = x.XInternAtom(self.display, b"WM_PROTOCOLS", 0)
        self.net_wm_ping = x.XInternAtom(self.display, b"_NET_WM_PING", 0)
        x.XSelectInput(self.display, self.root, self.ROOT_MASK)
        self.next_id = 1

    def start(self, window, now):
        self.window = int(window)
        self.outstanding = None
        self.window_at = now
        self.first_answer = None
        self.last_answer = None
        self.between = 0.0

    def poll(self, now):
        event = XEvent()
        while self.x.XPending(self.display):
            self.x.XNextEvent(self.display, ctypes.byref(event))
            message = event.xclient
            if (event.type == self.CLIENT_MESSAGE and message.data[0] == self.net_wm_ping
                    and message.data[1] == self.outstanding):
                if self.last_answer is None:
                    self.first_answer = now
                else:
                    self.between = max(self.between, now - self.last_answer)
                self.last_answer = now
                self.outstanding = None
        if self.outstanding is None:
            ping = XEvent()
            ping.xclient.type = self.CLIENT_MESSAGE
            ping.xclient.window = self.window
            ping.xclient.message_type = self.wm_protocols
            ping.xclient.format = 32
            ping.xclient.data[0] = self.net_wm_ping
            ping.xclient.data[1] = self.next_id
            ping.xclient.data[2] = self.window
            self.x.XSendEvent(self.display, self.window, 0, 0, ctypes.byref(ping))
            self.x.XFlush(self.display)
            self.outstanding = self.next_id
            self.next_id += 1

    def stalls(self, now):
        """Longest stall from launch and longest stall from the window's appearance."""
        if self.first_answer is None:
            return now, now - self.window_at
        rest = max(self.between, now - self.last_answer)
        return max(self.first_answer, rest), max(self.first_answer - self.window_at, rest)


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
                ("visual", ctypes.c_void_p), ("root", ctypes.c_ulong), ("c_class", ctypes.c_int),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


class WindowFinder:
    """The editor's visible windows and their names, asked of the X server from this process.

    What `xdotool search --onlyvisible --pid` and `--name` find, without starting two
    programs every polling step: on two cores those starts take CPU from the editor that is
    being measured.
    """

    IS_VIEWABLE = 2

    def __init__(self, pinger):
        x = pinger.x
        self.x = x
        self.display = pinger.display
        self.root = pinger.root
        x.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                                 ctypes.POINTER(ctypes.c_ulong),
                                 ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                                 ctypes.POINTER(ctypes.c_uint)]
        x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                           ctypes.POINTER(XWindowAttributes)]
        x.XGetWindowProperty.argtypes = [
            ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long, ctypes.c_long,
            ctypes.c_int, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
            ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong),
            ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_void_p)]
        x.XFree.argtypes = [ctypes.c_void_p]
        self.net_wm_pid = x.XInternAtom(self.display, b"_NET_WM_PID", 0)
        self.net_wm_name = x.XInternAtom(self.display, b"_NET_WM_NAME", 0)
        self.wm_name = x.XInternAtom(self.display, b"WM_NAME", 0)

    def _children(self, window):
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children = ctypes.POINTER(ctypes.c_ulong)()
        count = ctypes.c_uint()
        if not self.x.XQueryTree(self.display, window, ctypes.byref(root), ctypes.byref(parent),
                                 ctypes.byref(children), ctypes.byref(count)):
            return []
        found = [children[i] for i in range(count.value)]
        if children:
            self.x.XFree(children)
        return found

    def _property(self, window, atom):
        """The property's bytes (8-bit formats) or its first number (32-bit), or None."""
        actual, fmt = ctypes.c_ulong(), ctypes.c_int()
        items, after = ctypes.c_ulong(), ctypes.c_ulong()
        data = ctypes.c_void_p()
        if self.x.XGetWindowProperty(self.display, window, atom, 0, 4096, 0, 0,
                                     ctypes.byref(actual), ctypes.byref(fmt), ctypes.byref(items),
                                     ctypes.byref(after), ctypes.byref(data)) != 0:
            return None
        try:
            if not data or not items.value:
                return None
            if fmt.value == 32:
                return ctypes.cast(data, ctypes.POINTER(ctypes.c_long))[0]
            return ctypes.string_at(data, items.value)
        finally:
            if data:
                self.x.XFree(data)

    def _visible(self, window):
        attributes = XWindowAttributes()
        return (self.x.XGetWindowAttributes(self.display, window, ctypes.byref(attributes))
                and attributes.map_state == self.IS_VIEWABLE)

    def name(self, window):
        for atom in (self.net_wm_name, self.wm_name):
            value = self._property(window, atom)
            if isinstance(value, bytes):
                return value.decode("utf-8", "replace")
        return ""

    def visible(self):
        """(window, process id or None) of every visible window, the top-level ones first and
        their children after them, where a window manager puts a program's own window."""
        found = []
        level = self._children(self.root)
        for _ in range(2):
            found += [(w, self._property(w, self.net_wm_pid)) for w in level if self._visible(w)]
            level = [child for w in level for child in self._children(w)]
        return found


# --- one run -----------------------------------------------------------------------------

def start_bus(env, runtime):
    """A private D-Bus session per run: KDE programs want one, and no state leaks between runs."""
    bus = subprocess.Popen(
        ["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1",
         f"--address=unix:dir={runtime}"],
        env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    return bus, bus.stdout.readline().strip()


def warm_memory(size):
    """Touches `size` bytes of fresh memory in huge pages and gives it back, just before a run.

    A virtual machine whose guest reports free memory to its host (virtio-balloon free page
    reporting) has that memory taken away once it is reported; the next program to touch it
    then waits for the host to back it again, at over a second per GiB on the machine this was
    written on. Where the kernel holds freed memory back for a while (bench/run asks it to
    where it can), every run then starts from memory as a desktop's is: already there. Where
    it reports at once, this helps only by chance. The cost is printed once, as is.
    """
    start = time.monotonic()
    # In a child of its own: a program started later inherits this process's peak memory as
    # its own (the kernel keeps the largest across exec), which made `wc -l` look as big.
    child = os.fork()
    if child == 0:
        with mmap.mmap(-1, size) as block:
            if hasattr(mmap, "MADV_HUGEPAGE"):
                block.madvise(mmap.MADV_HUGEPAGE)
            for offset in range(0, size, mmap.PAGESIZE):
                block[offset] = 1
        os._exit(0)
    os.waitpid(child, 0)
    return time.monotonic() - start


def measure_wc(document):
    """The floor of reading the bytes: `wc -l` reads and counts the lines of the document."""
    start = time.monotonic()
    process = subprocess.Popen(["wc", "-l", document], stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    took = time.monotonic() - start
    process.returncode = os.waitstatus_to_exitcode(status)
    return {"status": "ok" if process.returncode == 0 else f"exited ({process.returncode})",
            "window": None, "titled": took, "settled": took,
            "peak_mib": round(usage.ru_maxrss / 1024, 1), "stall_ms": None,
            "stall_after_window_ms": None, "note": "no window: reads and counts"}


def measure(editor, program, document, pinger, windows, timeout):
    if editor == "wc":
        return measure_wc(document)
    scratch = tempfile.mkdtemp(prefix="omrik-bench-run-")
    folders = {name: os.path.join(scratch, name)
               for name in ("home", "config", "data", "cache", "runtime")}
    for folder in folders.values():
        os.makedirs(folder, mode=0o700)
    seed_config(editor, folders["config"])
    env = dict(os.environ, HOME=folders["home"], XDG_CONFIG_HOME=folders["config"],
               XDG_DATA_HOME=folders["data"], XDG_CACHE_HOME=folders["cache"],
               XDG_RUNTIME_DIR=folders["runtime"], QT_QPA_PLATFORM="xcb")
    for leftover in ("SESSION_MANAGER", "DBUS_SESSION_BUS_ADDRESS", "KDE_FULL_SESSION",
                     "XDG_CURRENT_DESKTOP", "XDG_SESSION_TYPE"):
        env.pop(leftover, None)
    bus, address = start_bus(env, folders["runtime"])
    env["DBUS_SESSION_BUS_ADDRESS"] = address

    title_pattern = re.escape(os.path.basename(document))
    result = {"status": "ok", "window": None, "titled": None, "settled": None, "peak_mib": None,
              "stall_ms": None, "stall_after_window_ms": None, "note": ""}
    samples = []  # (seconds since launch, CPU clock ticks)
    window = None
    quiet_untitled = None  # when the editor first went quiet showing no window named after the file
    peak = 0
    with open(os.path.join(scratch, "editor.log"), "w") as log:
        start = time.monotonic()
        editor_process = subprocess.Popen(
            command_for(editor, program, document), env=env, cwd=folders["home"],
            stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
            start_new_session=True)
        pid = editor_process.pid
        now = 0.0
        while True:
            now = time.monotonic() - start
            if now > timeout:
                result["status"] = "timeout"
                break
            if editor_process.poll() is not None:
                result["status"] = f"exited ({editor_process.returncode})"
                break
            cpu = session_cpu_ticks(pid)
            peak = max(peak, peak_kib(pid))
            samples.append((now, cpu))

            if result["titled"] is None or window is None:
                # Windows of an earlier run may take a moment to vanish after it was killed.
                visible = [(w, owner) for w, owner in windows.visible()
                           if owner is None or in_session(owner, pid)]
                named = [w for w, _ in visible
                         if re.search(title_pattern, windows.name(w), re.IGNORECASE)]
                if named and result["titled"] is None:
                    result["titled"] = now
                found = named or [w for w, owner in visible if owner == pid]
                if window is None and found:
                    window = found[0]
                    result["window"] = now
                    pinger.start(window, now)
            if window is not None:
                pinger.poll(now)

            # The earliest moment after which CPU time grew by at most the tolerance.
            quiet_since = now
            for t, ticks in reversed(samples):
                if cpu - ticks > QUIET_TOLERANCE:
                    break
                quiet_since = t
            if result["titled"] is not None and now - quiet_since >= QUIET:
                result["settled"] = max(quiet_since, result["titled"])
                break
            if result["titled"] is None and window is not None and now - quiet_since >= QUIET:
                quiet_untitled = quiet_untitled or now
            if quiet_untitled is not None and now - quiet_untitled >= NO_TITLE_GIVE_UP:
                result["status"] = "refused"
                break
            time.sleep(max(0.0, TICK - (time.monotonic() - start - now)))

        peak = max(peak, peak_kib(pid))
        result["peak_mib"] = round(peak / 1024, 1)
        if window is not None:
            stall, after_window = pinger.stalls(now)
            result["stall_ms"] = round(stall * 1000)
            result["stall_after_window_ms"] = round(after_window * 1000)
            names = [windows.name(w) for w, owner in windows.visible() if owner == pid]
            others = [n for n in names if not re.search(title_pattern, n)]
            if others:
                result["note"] = "windows named: " + "; ".join(others)
        else:
            result["stall_ms"] = round(now * 1000)
            result["note"] = "no window"

        for member in session_members(pid) or [pid]:
            try:
                os.kill(member, signal.SIGKILL)
            except ProcessLookupError:
                pass
        editor_process.wait()
    bus.terminate()
    bus.wait()
    shutil.rmtree(scratch, ignore_errors=True)
    return result


# --- report ------------------------------------------------------------------------------

def size_of(document):
    return int(re.search(r"bench-(\d+)MB", document).group(1))


def summary(runs, key):
    """Median of the successful runs, or the failure when no run succeeded."""
    values = [r[key] for r in runs if r["status"] == "ok" and r[key] is not None]
    failures = [r["status"] for r in runs if r["status"] != "ok"]
    if not values:
        return None, (failures[0] if failures else "n/a")
    note = f" ({len(failures)} {failures[0]})" if failures else ""
    return statistics.median(values), note


def cell(runs, key, fmt):
    value, note = summary(runs, key)
    return note if value is None else fmt(value) + note


def print_tables(results, editors, sizes):
    largest = max(sizes)
    seconds = lambda v: f"{v:.2f} s"
    header = ["editor"] + [f"{s} MB" for s in sizes] + [
        f"peak MiB at {largest} MB", f"longest stall at {largest} MB"]
    rows = []
    numbers = {}
    for editor in editors:
        row = [NAMES[editor]]
        nums = []
        for size in sizes:
            row.append(cell(results[editor, size], "settled", seconds))
            nums.append(summary(results[editor, size], "settled")[0])
        for key, fmt in (("peak_mib", lambda v: f"{v:.0f}"), ("stall_ms", lambda v: f"{v:.0f} ms")):
            row.append(cell(results[editor, largest], key, fmt))
            nums.append(summary(results[editor, largest], key)[0])
        rows.append(row)
        numbers[editor] = nums
    if "omriknote" in editors:
        for other in ("baseline", "kwrite", "featherpad"):
            if other in editors:
                ratios = [f"{a / b:.2f}" if a is not None and b else "n/a"
                          for a, b in zip(numbers["omriknote"], numbers[other])]
                rows.append([f"OmrikNote / {NAMES[other]}"] + ratios)
    if all(e in editors for e in ("omriknote", "qtfloor", "wc")):
        beyond = [f"{(a - f) / w:.2f}" if None not in (a, f) and w else "n/a"
                  for a, f, w in zip(numbers["omriknote"][:len(sizes)],
                                     numbers["qtfloor"][:len(sizes)], numbers["wc"][:len(sizes)])]
        rows.append(["OmrikNote beyond an empty window / wc -l"] + beyond + ["", ""])
    print("Settle time (median of runs; CPU quiet and window titled):")
    print_markdown(header, rows)

    print("\nDetails (medians):")
    header = ["editor", "size", "window", "titled", "settled", "peak MiB", "longest stall",
              "stall after window", "runs", "notes"]
    rows = []
    for editor in editors:
        for size in sizes:
            runs = results[editor, size]
            statuses = ", ".join(r["status"] for r in runs)
            notes = "; ".join(sorted({r["note"] for r in runs if r["note"]}))
            rows.append([NAMES[editor], f"{size} MB", cell(runs, "window", seconds),
                         cell(runs, "titled", seconds),
                         cell(runs, "settled", seconds),
                         cell(runs, "peak_mib", lambda v: f"{v:.0f}"),
                         cell(runs, "stall_ms", lambda v: f"{v:.0f} ms"),
                         cell(runs, "stall_after_window_ms", lambda v: f"{v:.0f} ms"),
                         statuses, notes])
    print_markdown(header, rows)


def print_markdown(header, rows):
    widths = [max(len(str(r[i])) for r in [header] + rows) for i in range(len(header))]
    line = lambda r: "| " + " | ".join(str(c).ljust(w) for c, w in zip(r, widths)) + " |"
    print(line(header))
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for r in rows:
        print(line(r))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--editors", required=True)
    parser.add_argument("--documents", required=True, help="comma-separated document paths")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--timeout", type=float, default=120)
    parser.add_argument("--csv")
    parser.add_argument("--baseline")
    args = parser.parse_args()
    global BASELINE
    BASELINE = args.baseline
    editors = args.editors.split(",")
    documents = args.documents.split(",")
    sizes = [size_of(d) for d in documents]

    pinger = Pinger()
    windows = WindowFinder(pinger)
    results = {}
    raw = []
    for document, size in zip(documents, sizes):
        with open(document, "rb") as f:  # warm the page cache so every run reads from memory
            while f.read(1 << 24):
                pass
        # Room for the document twice over and the editor's own needs.
        warm = 2 * os.path.getsize(document) + (256 << 20)
        # Editors take turns, so a slow drift of the machine spreads over all of them.
        for run in range(1, args.runs + 1):
            for editor in editors:
                took = warm_memory(warm)
                if run == 1 and editor == editors[0]:
                    print(f"Fresh memory before the {size} MB runs: {warm / (1 << 30):.1f} GiB "
                          f"touched in {took:.2f} s", file=sys.stderr, flush=True)
                r = measure(editor, args.program, document, pinger, windows, args.timeout)
                results.setdefault((editor, size), []).append(r)
                raw.append({"editor": editor, "size_mb": size, "run": run, **r})
                show = lambda v, f: "-" if v is None else f.format(v)
                print(f"{NAMES[editor]:>10} {size:>4} MB run {run}: {r['status']}, "
                      f"window {show(r['window'], '{:.2f} s')}, "
                      f"titled {show(r['titled'], '{:.2f} s')}, "
                      f"settled {show(r['settled'], '{:.2f} s')}, "
                      f"peak {show(r['peak_mib'], '{:.0f} MiB')}, "
                      f"stall {show(r['stall_ms'], '{} ms')} "
                      f"({show(r['stall_after_window_ms'], '{} ms')} after window) {r['note']}",
                      file=sys.stderr, flush=True)
    if args.csv:
        with open(args.csv, "w", newline="") as f:
            writer = csv.DictWriter(f, fieldnames=["editor", "size_mb", "run", "status", "window", "titled",
                                                   "settled", "peak_mib", "stall_ms",
                                                   "stall_after_window_ms", "note"])
            writer.writeheader()
            for row in raw:
                writer.writerow({k: ("" if v is None else (round(v, 3) if isinstance(v, float)
                                                           else v)) for k, v in row.items()})
    print()
    print_tables(results, editors, sizes)


if __name__ == "__main__":
    main()

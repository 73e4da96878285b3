"""Hears the accessibility bus as a screen reader would.

  atspi_listener.py listen LOG SECONDS
      Registers for the text, caret, selection, focus and check events, writes "ready" to
      LOG once registered, then one line per event until SECONDS have passed or the file
      LOG.stop appears. Each line is tab-separated: the event type, detail1, detail2, the
      source's role and name, then key=value fields. As a screen reader that follows the
      events would, it reads an object's text when the object first has the focus and
      applies each change it is told of to that; a change that does not fit is written as
      "mismatch".

  atspi_listener.py tree APPLICATION SECONDS
      Waits for APPLICATION on the bus and prints its objects, one a line, indented by depth:
      the role, the name in quotes, the states that a screen reader announces and, for
      objects with text, the text in quotes.

  atspi_listener.py press APPLICATION ROLE NAME SECONDS
      Waits for the object of APPLICATION with ROLE and NAME and presses it through its
      action, as a screen reader's user does.
"""

import json
import os
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

EVENTS = (
    "object:text-changed",
    "object:text-caret-moved",
    "object:text-selection-changed",
    "object:state-changed:focused",
    "object:state-changed:checked",
)

# States that change what a screen reader says about an object.
SPOKEN_STATES = (
    Atspi.StateType.CHECKABLE,
    Atspi.StateType.CHECKED,
    Atspi.StateType.SELECTED,
    Atspi.StateType.FOCUSABLE,
    Atspi.StateType.FOCUSED,
    Atspi.StateType.EDITABLE,
    Atspi.StateType.MULTI_LINE,
)


def describe(accessible):
    """Role and name, or question marks when the object has gone away in between."""
    try:
        return accessible.get_role_name(), accessible.get_name()
    except GLib.Error:
        return "?", "?"


def whole_text(accessible):
    try:
        return Atspi.Text.get_text(accessible, 0, -1)
    except (GLib.Error, TypeError):
        return None


def selection(accessible):
    # A screen reader asks for the selection when it is told that it changed.
    try:
        if Atspi.Text.get_n_selections(accessible) == 0:
            return "none"
        span = Atspi.Text.get_selection(accessible, 0)
        return "%d-%d" % (span.start_offset, span.end_offset)
    except (GLib.Error, TypeError):
        return "?"


def event_text(event):
    data = event.any_data
    if hasattr(data, "get_value"):
        data = data.get_value()
    return data if isinstance(data, str) else ""


class Listener:
    def __init__(self, log_path):
        self.log = open(log_path, "a", encoding="utf-8", buffering=1)
        self.stop_path = log_path + ".stop"
        # Per object, what its text was when it first had the focus, with every change told
        # since then applied to it.
        self.told = {}

    def write(self, *fields):
        self.log.write("\t".join(str(field) for field in fields) + "\n")

    def on_event(self, event):
        role, name = describe(event.source)
        kind = event.type
        extra = []
        if kind.startswith("object:state-changed:"):
            extra.append("set=%d" % event.detail1)
        if kind == "object:state-changed:focused":
            if event.detail1 == 1 and event.source not in self.told:
                text = whole_text(event.source)
                if text is not None:
                    self.told[event.source] = text
                    extra.append("read=" + json.dumps(text))
        elif kind.startswith("object:text-changed:"):
            extra += self.apply_change(event)
        elif kind == "object:text-caret-moved":
            extra.append("caret=%d" % event.detail1)
        elif kind == "object:text-selection-changed":
            extra.append("selection=" + selection(event.source))
        self.write(kind, event.detail1, event.detail2, role, json.dumps(name), *extra)

    def apply_change(self, event):
        data = event_text(event)
        at, length = event.detail1, event.detail2
        fields = ["at=%d" % at, "data=" + json.dumps(data)]
        if len(data) != length:
            fields.append("mismatch=length")
        told = self.told.get(event.source)
        if told is None:
            return fields + ["told=?"]
        if event.type.endswith(":insert"):
            if at > len(told):
                fields.append("mismatch=insert-beyond-end")
            told = told[:at] + data + told[at:]
        elif event.type.endswith(":delete"):
            if told[at:at + length] != data:
                fields.append("mismatch=" + json.dumps(told[at:at + length]))
            told = told[:at] + told[at + length:]
        self.told[event.source] = told
        return fields + ["told=" + json.dumps(told)]

    def poll_stop(self):
        if os.path.exists(self.stop_path):
            Atspi.event_quit()
            return False
        return True


def listen(log_path, seconds):
    listener = Listener(log_path)
    atspi_listener = Atspi.EventListener.new(listener.on_event)
    for event in EVENTS:
        atspi_listener.register(event)

    def ready():
        listener.write("ready")
        return False

    GLib.idle_add(ready)
    GLib.timeout_add(100, listener.poll_stop)
    GLib.timeout_add_seconds(seconds, lambda: Atspi.event_quit() or False)
    Atspi.event_main()
    listener.write("stopped")


def find_application(name, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        desktop = Atspi.get_desktop(0)
        for index in range(desktop.get_child_count()):
            application = desktop.get_child_at_index(index)
            if application is not None and describe(application)[1] == name:
                return application
        time.sleep(0.2)
    return None


def find_object(accessible, role, name, budget):
    """The first object at or below accessible with the role and name, depth first."""
    if budget[0] <= 0:
        return None
    budget[0] -= 1
    if describe(accessible) == (role, name):
        return accessible
    try:
        count = accessible.get_child_count()
    except GLib.Error:
        return None
    for index in range(count):
        try:
            child = accessible.get_child_at_index(index)
        except GLib.Error:
            continue
        found = child is not None and find_object(child, role, name, budget)
        if found:
            return found
    return None


def press(application_name, role, name, seconds):
    deadline = time.monotonic() + seconds
    while True:
        application = find_application(application_name, max(deadline - time.monotonic(), 0))
        target = application and find_object(application, role, name, [2000])
        if target or time.monotonic() >= deadline:
            break
        time.sleep(0.2)
    if not target:
        print("no %s named %s in %s" % (role, name, application_name), file=sys.stderr)
        return 1
    for index in range(Atspi.Action.get_n_actions(target)):
        # The call that replaces this one is missing from the bindings of this libatspi, and
        # Qt does not answer for the translated name.
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", DeprecationWarning)
            action = Atspi.Action.get_action_name(target, index)
        if action.lower() == "press":
            return 0 if Atspi.Action.do_action(target, index) else 1
    print("the %s %s has no press action" % (role, name), file=sys.stderr)
    return 1


def print_tree(accessible, depth, budget):
    if budget[0] <= 0:
        return
    budget[0] -= 1
    role, name = describe(accessible)
    try:
        states = accessible.get_state_set()
        spoken = [Atspi.StateType(s).value_nick for s in SPOKEN_STATES if states.contains(s)]
        count = accessible.get_child_count()
    except GLib.Error:
        spoken, count = ["gone"], 0
    line = "%s%s %s %s" % ("  " * depth, role, json.dumps(name), ",".join(spoken))
    text = whole_text(accessible) if role == "text" else None
    print(line if text is None else line + " " + json.dumps(text))
    for index in range(count):
        try:
            child = accessible.get_child_at_index(index)
        except GLib.Error:
            continue
        if child is not None:
            print_tree(child, depth + 1, budget)


def tree(name, seconds):
    application = find_application(name, seconds)
    if application is None:
        print("no application named %s on the bus" % name, file=sys.stderr)
        return 1
    # A bound on the walk, so that a broken tree that loops cannot hang the test.
    print_tree(application, 0, [2000])
    return 0


def main(argv):
    # Each question to the program waits at most this long, so a hung program fails the test.
    Atspi.set_timeout(5000, 10000)
    if len(argv) == 4 and argv[1] == "listen":
        listen(argv[2], int(argv[3]))
        return 0
    if len(argv) == 4 and argv[1] == "tree":
        return tree(argv[2], float(argv[3]))
    if len(argv) == 6 and argv[1] == "press":
        return press(argv[2], argv[3], argv[4], float(argv[5]))
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))

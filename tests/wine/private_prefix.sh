# Sourced by the Wine test scripts: a scratch Wine prefix, home and XDG folders, removed at exit,
# so that no test reads or writes the real user's ~/.wine or files. Wine links the prefix's
# Documents and Desktop folders into $HOME, and would make menu entries in $XDG_DATA_HOME.
# Set OMRIK_WINE_KEEP=1 to keep the folder for a look afterwards.
wine_work="$(mktemp -d /tmp/omrik-wine.XXXXXX)"
stop_private_prefix() {
    wineserver -k 2>/dev/null || true
    [ -n "${OMRIK_WINE_KEEP:-}" ] || rm -rf "$wine_work"
}
trap stop_private_prefix EXIT
export WINEPREFIX="$wine_work/prefix" HOME="$wine_work/home"
export XDG_CONFIG_HOME="$wine_work/config" XDG_DATA_HOME="$wine_work/data"
export XDG_CACHE_HOME="$wine_work/cache" XDG_RUNTIME_DIR="$wine_work/runtime"
export XDG_DATA_DIRS="$wine_work/system-data" XDG_CONFIG_DIRS="$wine_work/system-config"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# No Mono or Gecko download offers (the tests need neither), no menu entries on the desktop
# for what an installer puts in the Start menu, and Wine's own messages only when asked.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDEBUG="${WINEDEBUG:--all}"
wineboot --init >/dev/null 2>&1
wineserver --wait

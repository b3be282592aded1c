# Sourced by the scripts: a private Xvfb display and a Wine prefix of our own.
# Callers set WINEPREFIX, or call start_fresh_session; everything started here is stopped by
# stop_private_session, by its own process id or prefix, never by name.

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
: "${LC_ALL:=zh_CN.UTF-8}"
export LC_ALL

XVFB_PID=""

start_private_display() {
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$XVFB_PID" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
      export DISPLAY=":$n"
      return 0
    fi
  done
  echo "cannot start a private Xvfb display" >&2
  return 1
}

# Creates (or reuses) the prefix and switches off what would block a run:
# Wine's crash dialog, Mono/Gecko installers and desktop-menu integration.
prepare_prefix() {
  export XDG_DATA_HOME="${WINEPREFIX%/*}/xdg-data"
  mkdir -p "$XDG_DATA_HOME"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    timeout 300 wineboot -i >/dev/null 2>&1
    timeout 120 wineserver -w
  fi
  # Wine links Desktop, Documents, Templates and the like to the host's home
  # folder; a scan of C: would then walk the whole home folder once per link.
  # The prefix keeps folders of its own instead.
  local link
  while IFS= read -r link; do
    rm -f "$link" && mkdir -p "$link"
  done < <(find "$WINEPREFIX/drive_c/users" -type l 2>/dev/null)
  timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
}

stop_private_session() {
  [ -n "${WINEPREFIX:-}" ] && timeout 30 wineserver -k >/dev/null 2>&1
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
  fi
}

# A fresh prefix in folder $1 (emptied first) on a private display, both
# stopped when the calling script exits.
start_fresh_session() {
  export WINEPREFIX="$1/prefix"
  rm -rf "$1"
  mkdir -p "$1"
  trap stop_private_session EXIT
  start_private_display || return 1
  prepare_prefix
}

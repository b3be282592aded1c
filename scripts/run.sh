#!/usr/bin/env bash
# Builds the viewer and starts it under Wine on the current display.
#   scripts/run.sh [FOLDER]                      show FOLDER (a Linux or Windows path) as the only root
#   scripts/run.sh --screenshot FILE [FOLDER]    run on a private Xvfb display and save a PNG
#                                                once the scans have settled
# The prefix has a printer named "PDF": each printed job becomes a PDF file in
# build/wine-run/printed.
#   scripts/run.sh --screenshot FILE --keys 'ctrl+t;sleep 1' [FOLDER]
#       then, in a framed virtual desktop, press keys before the picture is taken:
#       xdotool key chords separated by ';', "click:X,Y" (or "rclick:X,Y", the right button) for a mouse click and
#       "sleep N" for a pause (for example 'F3;alt+a' shows the Find dialog with
#       its advanced part)
set -u
cd "$(dirname "$0")/.." || exit 1
top=$(pwd)

shot=""
folder=""
keys=""
while [ $# -gt 0 ]; do
  case "$1" in
    --screenshot) shot="${2:-}"; shift 2 || { echo "--screenshot needs a file" >&2; exit 2; } ;;
    --keys) keys="${2:-}"; shift 2 || { echo "--keys needs a list" >&2; exit 2; } ;;
    *) folder="$1"; shift ;;
  esac
done
[ -n "$shot" ] && case "$shot" in /*) ;; *) shot="$PWD/$shot" ;; esac

timeout 1800 bash scripts/setup-tools.sh || exit 1
timeout 600 cmake --preset win64 >/dev/null || exit 1
timeout 2400 cmake --build --preset win64 --target Pelvanor install_printer || exit 1

# A prefix of the viewer's own, kept between runs so its settings persist.
export WINEPREFIX="$top/build/wine-run/prefix"
mkdir -p "$top/build/wine-run"
. scripts/wine-env.sh

exe="$top/build/win64/Pelvanor.exe"
printed="$top/build/wine-run/printed"

# Wine's PostScript driver hands each job to this script, which makes it a
# PDF; no print daemon is needed.  The port must hold no comma.
install_pdf_printer() {
  mkdir -p "$printed"
  case "$printed" in *,*|*\'*) echo "no PDF printer: $printed holds a comma or a quote" >&2; return 0 ;; esac
  cat > "$printed/.print-job.sh" <<'JOB'
cd "$(dirname "$0")" || exit 1
ps2pdf - "pelvanor-$(date +%Y%m%d-%H%M%S)-$$.pdf"
JOB
  if timeout 60 wine "$top/build/win64/install_printer.exe" PDF "sh '$printed/.print-job.sh'" >/dev/null 2>&1; then
    echo "Printer \"PDF\": printed pages go to $printed"
  else
    echo "could not install the PDF printer" >&2
  fi
}
args=()
# Only once the display is chosen: winepath starts the prefix's wineserver,
# and the windows of a server started without the display never show on it.
folder_argument() {
  [ -n "$folder" ] || return 0
  case "$folder" in
    [A-Za-z]:*) args=("$folder") ;;
    *) args=("$(winepath -w "$(readlink -f "$folder")" 2>/dev/null)") ;;
  esac
}

if [ -z "$shot" ]; then
  [ -n "${DISPLAY:-}" ] || { echo "no DISPLAY; use --screenshot FILE to run on a private display" >&2; exit 1; }
  prepare_prefix
  install_pdf_printer
  folder_argument
  wine "$exe" "${args[@]}"
  exit $?
fi

trap stop_private_session EXIT
start_private_display || exit 1
prepare_prefix
install_pdf_printer
folder_argument
if [ -n "$keys" ]; then
  # Without a window manager dialogs have no frame; the virtual desktop gives them one.
  wine explorer /desktop=pelvanor,1100x760 "$exe" "${args[@]}" >/dev/null 2>&1 &
else
  wine "$exe" "${args[@]}" >/dev/null 2>&1 &
fi
# A fresh display and prefix take several seconds before the window shows;
# scans of a small folder settle within a few more.
sleep "${SCREENSHOT_DELAY:-15}"
IFS=';' read -ra steps <<< "$keys"
for step in "${steps[@]}"; do
  case "$step" in
    "") ;;
    sleep\ *) sleep "${step#sleep }" ;;
    click:*) xy=${step#click:}; xdotool mousemove "${xy%,*}" "${xy#*,}" click 1 ;;
    rclick:*) xy=${step#rclick:}; xdotool mousemove "${xy%,*}" "${xy#*,}" click 3 ;;
    *) xdotool key $step ;;
  esac
  sleep 1
done
# xwd shows Wine's dialogs as black rectangles; import reads what is drawn.
import -window root "$shot" || { echo "screenshot failed" >&2; exit 1; }
echo "saved $shot"

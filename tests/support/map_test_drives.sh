#!/usr/bin/env bash
# Gives the test prefix one drive of each kind the program tells apart:
#   D: a second fixed disk       F: a removable (floppy) disk with a medium
#   R: a CD-ROM drive without a medium (its mount point does not exist)
#   Z: the host's root, marked as a network drive so that no first-run test
#      scans the whole host as a fixed disk
set -u
prefix="${WINEPREFIX:-$HOME/.wine}"
[ -d "$prefix/dosdevices" ] || { echo "no Wine prefix at $prefix" >&2; exit 1; }
drives="$(dirname "$prefix")/drives"
mkdir -p "$drives/d" "$drives/f"
ln -sfn "$drives/d" "$prefix/dosdevices/d:"
# A link back up the tree: a scan of D: must neither loop nor count it.
ln -sfn .. "$drives/d/loop-back"
ln -sfn "$drives/f" "$prefix/dosdevices/f:"
ln -sfn /nonexistent-pelvanor-medium "$prefix/dosdevices/r:"
set_type() {
  # /reg:64: with 32-bit Wine installed, plain "wine reg" writes the 32-bit view.
  timeout 60 wine reg add 'HKLM\Software\Wine\Drives' /v "$1" /d "$2" /f /reg:64 >/dev/null 2>&1
}
set_type d: hd && set_type f: floppy && set_type r: cdrom && set_type z: network || exit 1
# The mount manager reads the drive list when the server starts again.
timeout 60 wineserver -k >/dev/null 2>&1
timeout 60 wineserver -w >/dev/null 2>&1
exit 0

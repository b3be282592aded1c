#!/usr/bin/env bash
# Gives the test prefix a removable drive without a medium: R: is a CD-ROM
# drive whose mount point does not exist, so every query of it fails the way
# an empty drive does.
set -u
prefix="${WINEPREFIX:-$HOME/.wine}"
[ -d "$prefix/dosdevices" ] || { echo "no Wine prefix at $prefix" >&2; exit 1; }
ln -sfn /nonexistent-pelvanor-medium "$prefix/dosdevices/r:"
wine reg add 'HKLM\Software\Wine\Drives' /v r: /d cdrom /f /reg:64 >/dev/null 2>&1 || exit 1
# The mount manager reads the drive list when the server starts again.
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
exit 0

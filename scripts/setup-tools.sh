#!/usr/bin/env bash
# Installs the cross compilers, Wine, Xvfb and the Chinese font when any is missing.
# Quiet and quick when everything is already there.
set -u

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

have_cmd cmake || need+=(cmake)
have_cmd make || need+=(make)
have_cmd x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64-posix)
have_cmd i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686-posix)
have_cmd x86_64-w64-mingw32-windres || need+=(binutils-mingw-w64-x86-64)
have_cmd i686-w64-mingw32-windres || need+=(binutils-mingw-w64-i686)
have_cmd wine || need+=(wine)
have_pkg wine64 || need+=(wine64)
# The program is made for 32-bit Windows: its build is tested on 32-bit Wine,
# which Debian ships for the i386 architecture.
need_i386=0
dpkg --print-foreign-architectures | grep -qx i386 || need_i386=1
have_pkg wine32:i386 || need+=(wine32:i386)
have_cmd Xvfb || need+=(xvfb)
have_cmd xauth || need+=(xauth)
have_pkg fonts-wqy-microhei || need+=(fonts-wqy-microhei)
have_cmd xwd || need+=(x11-apps)
[ -x /usr/bin/convert ] || need+=(imagemagick)
have_cmd xdotool || need+=(xdotool)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
# The test printer and run.sh's PDF printer turn PostScript into PDF, text and pictures.
have_cmd ps2pdf || need+=(ghostscript)
have_cmd pdftotext || need+=(poppler-utils)

have_locales() { locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$' && locale -a 2>/dev/null | grep -qi '^zh_TW\.utf-\?8$'; }
have_locales || { [ -d /usr/share/i18n/charmaps ] || need+=(locales); }

make_locales() {
  have_locales && return 0
  localedef -i zh_CN -f UTF-8 zh_CN.UTF-8 >/dev/null 2>&1
  localedef -i zh_TW -f UTF-8 zh_TW.UTF-8 >/dev/null 2>&1
  have_locales || { echo "cannot generate the zh_CN/zh_TW UTF-8 locales" >&2; return 1; }
}

if [ ${#need[@]} -eq 0 ]; then
  make_locales
  exit $?
fi

echo "Installing: ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
[ "$need_i386" -eq 1 ] && dpkg --add-architecture i386
# A single unreachable index must not stop the install; apt-get update still
# refreshes the others.
apt-get update -q >/dev/null 2>&1 || true
apt-get install -y -q --no-install-recommends "${need[@]}" >/dev/null || {
  echo "apt-get install failed for: ${need[*]}" >&2
  exit 1
}
make_locales

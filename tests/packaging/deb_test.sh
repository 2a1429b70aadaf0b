#!/bin/sh
# Makes the .deb from the build with CPack and checks that it holds the
# installation and depends on Ghostscript and on Qt's libraries.
# cpack first brings the whole build folder up to date, as make install does.
# Usage: deb_test.sh CPACK BUILD_DIR CONFIG WINDOW_MODULE
set -eu
cpack=$1 build=$2 config=$3 pagora_window_module=$4
# shellcheck source=tests/packaging/installed_files.sh
. "$(dirname "$0")/installed_files.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
(cd "$build" && "$cpack" -G DEB -C "$config" -B "$tmp") >"$tmp/log" 2>&1 ||
    { cat "$tmp/log"; echo "FAIL: cpack -G DEB"; exit 1; }
set -- "$tmp"/pagora_*.deb
if [ "$#" -ne 1 ] || [ ! -f "$1" ]; then
    cat "$tmp/log"
    echo "FAIL: not one pagora_*.deb: $*"
    exit 1
fi
deb=$1

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
dpkg-deb -c "$deb" >"$tmp/contents"
for path in $pagora_installed_files; do
    grep -q " \./usr/$path\$" "$tmp/contents" || fail "not in the package: /usr/$path"
done
grep -q '^-rwxr-xr-x .* \./usr/bin/Pagora$' "$tmp/contents" || fail "/usr/bin/Pagora is not executable"
[ "$(dpkg-deb -f "$deb" Package)" = pagora ] || fail "package name: $(dpkg-deb -f "$deb" Package)"
depends=$(dpkg-deb -f "$deb" Depends)
for package in ghostscript libqt6widgets6; do
    echo "$depends" | grep -Eq "(^|, )${package}[a-z0-9]*( |,|$)" || fail "Depends lacks $package: $depends"
done

[ "$failures" -eq 0 ] || exit 1
echo "$(basename "$deb"): Depends: $depends"

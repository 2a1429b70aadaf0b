#!/bin/sh
# Installs the build into a fresh prefix and checks it the way desktops and
# software centres read it: every file at its place, the desktop entry and the
# AppStream metadata valid and agreeing with each other and with the icons,
# each PNG icon of the size its folder says, and the manual page clean for groff.
# The installed program must find its window's module from where it is.
# Usage: install_test.sh CMAKE BUILD_DIR CONFIG PROJECT_VERSION WINDOW_MODULE
set -eu
cmake=$1 build=$2 config=$3 version=$4 pagora_window_module=$5
# shellcheck source=tests/packaging/installed_files.sh
. "$(dirname "$0")/installed_files.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
"$cmake" --install "$build" --config "$config" --prefix "$prefix" >"$tmp/log" 2>&1 ||
    { cat "$tmp/log"; echo "FAIL: cmake --install"; exit 1; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for path in $pagora_installed_files; do
    [ -f "$prefix/$path" ] || fail "not installed: $path"
done
[ "$failures" -eq 0 ] || exit 1
[ -x "$prefix/bin/Pagora" ] || fail "bin/Pagora is not executable"
# Still running when stopped (128 + SIGTERM): the window opened. A program
# that cannot load its window ends at once with 1.
status=0
QT_QPA_PLATFORM=offscreen TMPDIR=$tmp timeout --preserve-status -s TERM 3 \
    "$prefix/bin/Pagora" >"$tmp/window.log" 2>&1 || status=$?
[ "$status" -eq 143 ] || fail "the installed window did not open (status $status): $(cat "$tmp/window.log")"

desktop=$prefix/share/applications/org.pagora.Pagora.desktop
metainfo=$prefix/share/metainfo/org.pagora.Pagora.metainfo.xml
manual=$prefix/share/man/man1/Pagora.1

# Errors and warnings fail; hints are advice.
if ! out=$(desktop-file-validate "$desktop" 2>&1) || echo "$out" | grep -Eq ': (error|warning):'; then
    fail "desktop-file-validate: $out"
fi
# appstreamcli fails on errors and warnings and lets infos pass.
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
# The German description speaks as the window's instructions do (the
# infinitive, not "Sie") and in the dialogs' words (Fonts, Ersatzfont).
german=$(sed -n '/xml:lang="de"/,/<\/p>/p' "$metainfo")
for phrase in "Sie " "neben die Eingabe" "und eingeschr" "Schriften"; do
    case $german in *"$phrase"*) fail "the German description says \"$phrase\"" ;; esac
done

key() { sed -n "s/^$1=//p" "$desktop"; }
exec_program=$(key Exec | cut -d' ' -f1)
[ -x "$prefix/bin/$exec_program" ] || fail "Exec=$(key Exec) names no installed program"
icon=$(key Icon)
[ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon named Icon=$icon"
for size in $pagora_icon_sizes; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png
    [ -f "$png" ] || { fail "no ${size}x$size icon named Icon=$icon"; continue; }
    # Width and height are the big-endian words at 16 and 20 of the PNG header.
    dimensions=$(od -An -tu1 -j16 -N8 "$png" |
        awk '{ print $1*16777216 + $2*65536 + $3*256 + $4 "x" $5*16777216 + $6*65536 + $7*256 + $8 }')
    [ "$dimensions" = "${size}x$size" ] || fail "${size}x$size icon is $dimensions"
done

grep -q "<launchable type=\"desktop-id\">$(basename "$desktop")</launchable>" "$metainfo" ||
    fail "the metadata does not launch $(basename "$desktop")"
desktop_types=$(key MimeType | tr ';' '\n' | sed '/^$/d' | sort)
metainfo_types=$(sed -n 's|.*<mediatype>\(.*\)</mediatype>.*|\1|p' "$metainfo" | sort)
[ "$desktop_types" = "$metainfo_types" ] ||
    fail "desktop entry and metadata list different types: [$desktop_types] [$metainfo_types]"
newest_release=$(sed -n 's|.*<release version="\([^"]*\)".*|\1|p' "$metainfo" | head -n 1)
[ "$newest_release" = "$version" ] ||
    fail "newest release in the metadata is $newest_release, the project is $version"
grep -q "^\.TH PAGORA 1 .*\"Pagora $version\"" "$manual" || fail "manual page not of version $version"
for file in "$desktop" "$metainfo" "$manual"; do
    ! grep -n '@[A-Z_]*@' "$file" || fail "unfilled template variable in $file"
done

unit=$prefix/share/systemd/user/pagora-watch@.service
grep -qx "ExecStart=$prefix/bin/Pagora --watch %f" "$unit" || fail "the unit does not start $prefix/bin/Pagora"
! grep -n '@[A-Z_]*@' "$unit" || fail "unfilled template variable in $unit"

if ! out=$(groff -man -Tutf8 -ww -z "$manual" 2>&1) || [ -n "$out" ]; then
    fail "groff: $out"
fi

[ "$failures" -eq 0 ] || exit 1
echo "installed and checked under $prefix"

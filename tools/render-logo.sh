#!/bin/sh
# Renders the logo pictures that ship from their drawing, resources/Pagora.svg:
# - resources/Pagora.png at the drop zone's size, and resources/Pagora@2x.png at
#   twice that size, so that it stays sharp on high-resolution screens;
# - the application icon in resources/icons/: org.pagora.Pagora.svg, the drawing
#   cut to a square (icon themes expect square icons; the cut only trims the
#   empty sky at the sides), and org.pagora.Pagora-<size>.png from it at the
#   sizes desktops look up.
# Needs rsvg-convert (Debian: librsvg2-bin; macOS: brew install librsvg).
set -eu
cd "$(dirname "$0")/.."
rsvg-convert --width 410 --height 380 --format png \
    --output resources/Pagora.png resources/Pagora.svg
rsvg-convert --width 820 --height 760 --format png \
    --output resources/Pagora@2x.png resources/Pagora.svg

icon=resources/icons/org.pagora.Pagora
mkdir -p resources/icons
# The square is the drawing's full height, centred: 15 units trimmed each side.
sed -e 's|width="410" height="380" viewBox="0 0 410 380"|width="380" height="380" viewBox="15 0 380 380"|' \
    -e '/^<!-- Pagora.s logo/,/-->$/c\
<!-- Pagora'"'"'s application icon: a square cut of resources/Pagora.svg, made\
     from it by tools/render-logo.sh; edit the drawing, not this file. -->' \
    resources/Pagora.svg >"$icon.svg.tmp"
grep -q 'viewBox="15 0 380 380"' "$icon.svg.tmp" ||
    { echo "render-logo.sh: the drawing's size changed; adjust the square cut" >&2; exit 1; }
mv "$icon.svg.tmp" "$icon.svg"
for size in 16 32 48 64 128 256 512; do
    rsvg-convert --width "$size" --height "$size" --format png \
        --output "$icon-$size.png" "$icon.svg"
done

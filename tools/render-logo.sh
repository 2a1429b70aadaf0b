#!/bin/sh
# Renders the logo pictures that ship from their drawing: resources/Pagora.png
# at the drop zone's size, and resources/Pagora@2x.png at twice that size, so
# that it stays sharp on high-resolution screens. Needs rsvg-convert (Debian:
# librsvg2-bin; macOS: brew install librsvg).
set -eu
cd "$(dirname "$0")/.."
rsvg-convert --width 410 --height 380 --format png \
    --output resources/Pagora.png resources/Pagora.svg
rsvg-convert --width 820 --height 760 --format png \
    --output resources/Pagora@2x.png resources/Pagora.svg

#!/bin/sh
# Renders the logo picture that ships (resources/Pagora.png) from its drawing,
# at twice the drop zone's size so that it stays sharp on high-resolution
# screens. Needs rsvg-convert (Debian: librsvg2-bin; macOS: brew install librsvg).
set -eu
cd "$(dirname "$0")/.."
rsvg-convert --width 820 --height 760 --format png \
    --output resources/Pagora.png resources/Pagora.svg

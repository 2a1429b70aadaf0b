#!/bin/sh
# Installs what building, running and testing Pagora needs, when it is missing.
# Debian/Ubuntu: apt-get (run as root). macOS: Homebrew
#   brew install cmake qt ghostscript poppler qpdf googletest google-benchmark fontconfig pkg-config
set -eu

if [ "$(uname -s)" = Darwin ]; then
    for formula in cmake qt ghostscript poppler qpdf googletest google-benchmark fontconfig pkg-config; do
        brew list --formula "$formula" >/dev/null 2>&1 || brew install "$formula"
    done
    exit 0
fi

# clang with libclang-rt-dev builds the fuzz targets (libFuzzer and the sanitizers);
# desktop-file-utils and appstream validate the installed desktop entry and metadata.
# libseccomp (found through pkg-config) builds the filter that keeps Ghostscript one process;
# libfontconfig-dev lists the installed fonts (fontconfig: fc-list, for the font overview); python3-fonttools makes the test fonts from DejaVu; file and
# dpkg-dev (dpkg-shlibdeps) are for the .deb and its dependencies; qpdf checks the PDFs of the
# tests of the kinds of PDF (PDF/A). qt6-tools-dev and qt6-l10n-tools (lupdate, lrelease) build the
# English texts and the German numerus forms; qt6-translations-l10n has Qt's own German texts.
# qt6-base-private-dev lets the window tests hand a drop over as the window system does.
packages="build-essential cmake qt6-base-dev qt6-base-dev-tools libgl-dev libgtest-dev libgmock-dev
libbenchmark-dev ghostscript poppler-utils libtk8.6 groff-base fonts-urw-base35 xvfb xauth clang libclang-rt-dev
desktop-file-utils appstream libseccomp-dev pkg-config file dpkg-dev libfontconfig-dev
fontconfig python3-fonttools fonts-dejavu-core qpdf qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
qt6-base-private-dev"
missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
        missing="$missing $package"
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing
fi

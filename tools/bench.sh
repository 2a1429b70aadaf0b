#!/bin/sh
# Builds the benchmarks in Release (-O2, in build-bench/) and runs them all:
# the Google Benchmark cases, the whole conversions against gs and ps2pdf, a
# batch against a loop of ps2pdf and against one file at a time (and what
# plain gs gains on this machine by running k at a time), a watched folder
# (latency, a flood of files, idle), the
# font-name repair against grep and sed, and the start-up against the probe's
# commands and an empty Qt window (offscreen). Every comparing
# figure is a ratio of runs made side by side; the summary at the end has one
# TARGET line per target, and the machine's huge-page state before and after
# the conversions, on which their figures depend.
#
#   sh tools/bench.sh            the full run (about 20 minutes; needs about
#                                5 GiB free in the temporary folder for the
#                                1 GiB repair files, or skips that size)
#   sh tools/bench.sh --smoke    one quick round of each, to see that they run
#
#   PAGORA_BENCH_ROUNDS=N        side-by-side rounds (default 9; --smoke: 1)
#   PAGORA_BENCH_SIZES="B ..."   repair file sizes in bytes
#                                (default: 1 MiB, 100 MiB and 1 GiB)
set -eu
cd "$(dirname "$0")/.."
sh tools/deps.sh

smoke=false
[ "${1:-}" = --smoke ] && smoke=true
if $smoke; then
    rounds=${PAGORA_BENCH_ROUNDS:-1}
    sizes=${PAGORA_BENCH_SIZES:-1048576}
else
    rounds=${PAGORA_BENCH_ROUNDS:-9}
    sizes=${PAGORA_BENCH_SIZES:-"1048576 104857600 1073741824"}
fi

jobs="$(nproc 2>/dev/null || sysctl -n hw.ncpu)"
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
    -DPAGORA_BUILD_BENCH=ON -DPAGORA_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j "$jobs"
bin=$(pwd)/build-bench

work=$(mktemp -d "${TMPDIR:-/tmp}/pagora-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
log=$work/log.txt

note() { echo "$*" | tee -a "$log"; }

# Runs a benchmark program, its output shown and kept for the summary. A
# program that fails is counted; a missed target is not a failure.
failures=0
record() {
    { if "$@"; then echo 0 >"$work/status"; else echo $? >"$work/status"; fi; } 2>&1 |
        tee -a "$log"
    status=$(cat "$work/status")
    if [ "$status" -ne 0 ]; then
        note "FAILED (exit status $status): $*"
        failures=$((failures + 1))
    fi
}

# Every section reads a corpus folder and writes into a folder of its own (the
# programs convert copies of the documents): a file left beside the documents
# would be measured as one by the sections after it. keep_listing notes what a
# corpus folder holds; check_listing, after a section, counts it as a failure
# when the folder holds anything else since.
keep_listing() { ls -A "$1" >"$1.listing"; }
check_listing() {
    if ! ls -A "$1" | cmp -s - "$1.listing"; then
        note "FAILED: $2 changed $1, which now holds: $(ls -A "$1" | paste -sd ' ' -)"
        failures=$((failures + 1))
        keep_listing "$1"
    fi
}

note "Load before the run: $(uptime)"

# --- In-process work: sample sheet and missing-font recognition -------------
note ""
note "== Sample sheet and missing-font recognition (Google Benchmark, medians of 5)"
if $smoke; then
    record "$bin/pagora_micro_bench" --benchmark_min_time=0.01
else
    record "$bin/pagora_micro_bench" --benchmark_repetitions=5 \
        --benchmark_report_aggregates_only=true
fi

# --- Whole conversions ---------------------------------------------------------
corpus=$work/corpus
mkdir "$corpus"
man_pages=0
if command -v groff >/dev/null 2>&1; then
    for page in true ls sed grep tar find groff cmake gs bash; do
        for source in /usr/share/man/man1/"$page".1.gz /usr/share/man/man1/"$page".1; do
            [ -f "$source" ] || continue
            gzip -dcf "$source" | groff -Tps -man >"$corpus/$page.ps" 2>/dev/null &&
                man_pages=$((man_pages + 1))
            break
        done
        $smoke && [ "$man_pages" -ge 1 ] && break
    done
    if [ "$man_pages" -eq 0 ]; then
        # No manual pages on this machine: typeset pages of our own, short to long.
        for paragraphs in 5 50 500; do
            {
                echo ".TH GENERATED 1"
                i=0
                while [ $i -lt $paragraphs ]; do
                    echo ".SH SECTION $i"
                    echo ".PP"
                    echo "PostScript goes in, PDF comes out; the fonts are looked up and the"
                    echo "pages are written one by one. \\fBBold\\fP and \\fIitalic\\fP words."
                    i=$((i + 1))
                done
            } | groff -Tps -man >"$corpus/generated-$paragraphs.ps"
            man_pages=$((man_pages + 1))
            $smoke && break
        done
        note "No manual pages found: $man_pages generated pages typeset instead"
    fi
else
    note "groff is missing: no manual pages in the corpus"
fi
manuals=0
for source in /usr/share/doc/*/*.ps.gz /usr/share/doc/*/*.ps; do
    [ -f "$source" ] && ! $smoke || continue
    package=$(basename "$(dirname "$source")")
    name=$(basename "$source" .gz)
    gzip -dcf "$source" >"$corpus/$package-$name"
    manuals=$((manuals + 1))
done
eps_files=0
for source in $(find /usr/share/tcltk -name '*.eps' 2>/dev/null); do
    $smoke && break
    cp "$source" "$corpus/"
    eps_files=$((eps_files + 1))
done
note ""
note "== Conversion overhead: $man_pages manual pages, $manuals manuals from /usr/share/doc," \
    "$eps_files EPS files from /usr/share/tcltk"
if [ -z "$(ls "$corpus")" ]; then
    cp tests/fixtures/hello.ps "$corpus/"
    note "Nothing found on this machine: the test fixture hello.ps stands in"
fi
keep_listing "$corpus"
# shellcheck disable=SC2046
record "$bin/pagora_conversion_bench" --rounds "$rounds" $(ls "$corpus"/*.ps "$corpus"/*.eps 2>/dev/null)
check_listing "$corpus" "the conversion bench"

# --- The command line --------------------------------------------------------------
note ""
note "== Pagora --convert against gs and ps2pdf, and on 16 files against a loop of ps2pdf"
# shellcheck disable=SC2046
record sh bench/command_line_bench.sh "$bin/Pagora" "$rounds" $(ls "$corpus"/*.ps 2>/dev/null | head -n 8)
check_listing "$corpus" "the command-line bench"

# --- Watched folders -----------------------------------------------------------
# The flood is made of copies of the smallest document, the test fixture.
flood=${PAGORA_BENCH_FLOOD:-1000}
$smoke && flood=${PAGORA_BENCH_FLOOD:-20}
note ""
note "== A watched folder: latency against gs, a flood of $flood files against a loop of" \
    "ps2pdf, and idle"
# shellcheck disable=SC2046
record env PAGORA_BENCH_FLOOD="$flood" sh bench/watch_bench.sh "$bin/Pagora" "$rounds" \
    tests/fixtures/hello.ps $(ls "$corpus"/*.ps 2>/dev/null | head -n 3)
check_listing "$corpus" "the watched-folder bench"
# --- Batches ---------------------------------------------------------------------
# The same corpus, made up to at least 16 files (more manual pages, then
# copies) so that every core has files to convert throughout.
batch=$work/batch
mkdir "$batch"
# shellcheck disable=SC2046
cp $(ls "$corpus"/*.ps "$corpus"/*.eps 2>/dev/null) "$batch/"
count() { find "$batch" -type f | wc -l; }
if command -v groff >/dev/null 2>&1 && ! $smoke; then
    for page in cp mv cat sort make xargs tee head env date gzip diff; do
        [ "$(count)" -ge 16 ] && break
        source=/usr/share/man/man1/$page.1.gz
        [ -f "$source" ] || continue
        gzip -dcf "$source" | groff -Tps -man >"$batch/$page.ps" 2>/dev/null
    done
fi
copy=1
while [ "$(count)" -lt 16 ]; do
    for source in "$batch"/*.ps "$batch"/*.eps; do
        [ -f "$source" ] || continue
        case $source in *-copy*) continue ;; esac
        [ "$(count)" -ge 16 ] && break
        name=$(basename "$source")
        cp "$source" "$batch/${name%.*}-copy$copy.${name##*.}"
    done
    copy=$((copy + 1))
done
keep_listing "$batch"
note ""
note "== Batches: $(count) files, against a loop of ps2pdf and one file at a time" \
    "(load: $(uptime | sed 's/.*load/load/'))"
# shellcheck disable=SC2046
record "$bin/pagora_batch_bench" --rounds "$rounds" $(ls "$batch"/*.ps "$batch"/*.eps 2>/dev/null)
check_listing "$batch" "the batch bench"
# shellcheck disable=SC2046
record sh bench/parallel_ceiling.sh "$rounds" $(ls "$batch"/*.ps "$batch"/*.eps 2>/dev/null)
check_listing "$batch" "the parallel ceiling"

# --- Font-name repair ------------------------------------------------------------
for size in $sizes; do
    folder=$work/repair-$size
    mkdir "$folder"
    # Two inputs, the repaired copy, sed's output and some room to spare.
    needed_kib=$((size / 1024 * 5))
    free_kib=$(df -Pk "$folder" | awk 'NR == 2 { print $4 }')
    note ""
    if [ "$free_kib" -lt "$needed_kib" ]; then
        note "== Font-name repair on $size bytes skipped: $((free_kib / 1024)) MiB free, $((needed_kib / 1024)) MiB needed"
        continue
    fi
    note "== Font-name repair on $size bytes (locale ${LC_ALL:-${LANG:-unset}})"
    "$bin/pagora_repair_bench" --generate "$size" without "$folder/without.ps"
    "$bin/pagora_repair_bench" --generate "$size" with "$folder/with.ps"
    repair_rounds=$rounds
    [ "$size" -gt 268435456 ] && [ "$repair_rounds" -gt 3 ] && repair_rounds=3
    record "$bin/pagora_repair_bench" --rounds "$repair_rounds" "$folder/without.ps" "$folder/with.ps"
    rm -rf "$folder"
done

# --- Installed fonts ---------------------------------------------------------------
note ""
note "== Installed fonts: 2,000 faces in the user's font folder"
record "$bin/pagora_font_index_bench" --rounds "$rounds"

# --- Start-up ---------------------------------------------------------------------
note ""
note "== Start-up"
record "$bin/pagora_startup_bench" --rounds "$rounds"

note ""
note "Load after the run: $(uptime)"
echo ""
echo "== Summary"
grep -e '^TARGET' -e '^FAILED' -e '^Ceiling' -e '^floor' -e '^Huge pages' "$log"
[ "$failures" -eq 0 ]

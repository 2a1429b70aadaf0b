#!/bin/sh
# A watched folder ("Pagora --watch W") against Ghostscript run by hand:
#
# 1. Latency: a file written into W/In, from its close to its PDF in W/Out,
#    against a direct gs run of the same file. The watcher waits for the file
#    to rest for its settle time (1 s) first: the target is at most the settle
#    time plus 1.05 times the gs run (median over the rounds).
# 2. A flood: FLOOD small files (default 1,000, copies of the first file)
#    moved into W/In at once, until the last PDF is in W/Out, against a loop
#    of ps2pdf over the same files; Pagora runs as many jobs as there are
#    cores (k): the target is a speed-up of at least 0.85 k. Pagora's own
#    memory (not Ghostscript's) is sampled while it works: it should stay flat.
# 3. Idle: the CPU time a watcher uses in 10 s with nothing arriving (target 0).
#
#   sh bench/watch_bench.sh PAGORA ROUNDS FILE.ps ...
#   PAGORA_BENCH_FLOOD=N     files in the flood (default 1000)
set -eu
pagora=$1
rounds=$2
shift 2
[ "$#" -gt 0 ] || { echo "usage: $0 PAGORA ROUNDS FILE.ps ..." >&2; exit 2; }
flood=${PAGORA_BENCH_FLOOD:-1000}
settle=1.0

work=$(mktemp -d "${TMPDIR:-/tmp}/pagora-watch-bench.XXXXXX")
watcher=""
stop_watcher() {
    [ -n "$watcher" ] || return 0
    kill -TERM "$watcher" 2>/dev/null || true
    wait "$watcher" 2>/dev/null || true
    watcher=""
}
trap 'stop_watcher; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", b - a }'; }
median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END {
    if (NR % 2) printf "%.3f", v[(NR + 1) / 2]; else printf "%.3f", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
verdict() { awk -v v="$1" -v t="$2" 'BEGIN { print (v <= t) ? "met" : "MISSED" }'; }
# Resident memory of a process in KiB, from ps (Linux and macOS).
rss() { ps -o rss= -p "$1" 2>/dev/null | tr -d ' '; }
# CPU time of a process in clock ticks (Linux), or in seconds from ps elsewhere.
cputime() {
    if [ -r "/proc/$1/stat" ]; then
        sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
    else
        ps -o cputime= -p "$1" | awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }'
    fi
}
# Starts a watcher on $1 with the given options; its lines go to $1.lines.
start_watcher() {
    folder=$1
    shift
    mkdir -p "$folder"
    "$pagora" --watch "$folder" "$@" >"$folder.lines" 2>"$folder.errors" &
    watcher=$!
    # In, Out and Errors are made once it watches.
    until [ -d "$folder/Errors" ]; do
        kill -0 "$watcher" 2>/dev/null || { echo "FAILED: the watcher ended:" \
            "$(cat "$folder.errors")" >&2; exit 1; }
        sleep 0.01
    done
}
# Waits until $1 has $2 lines starting with "ok" or "failed"; fails on a failed one.
wait_lines() {
    while [ "$(grep -c -e '^ok' -e '^failed' "$1" || true)" -lt "$2" ]; do
        kill -0 "$watcher" 2>/dev/null || { echo "FAILED: the watcher ended" >&2; exit 1; }
        sleep 0.005
    done
    if grep -q '^failed' "$1"; then
        echo "FAILED: $(grep '^failed' "$1" | head -n 1)" >&2
        exit 1
    fi
}
direct() {
    gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=pdfwrite "-sOutputFile=$work/gs.pdf" "$1" \
        >/dev/null 2>&1 || { echo "FAILED: gs on $1" >&2; exit 1; }
}

# --- 1. Latency ---------------------------------------------------------------
echo "Watched folder, from a file's close in In to its PDF in Out, against gs:" \
    "$# files, $rounds rounds after one warm-up (settle time $settle s)"
printf '%-28s %10s %9s %16s\n' file "latency s" "gs s" "(latency-settle)/gs"
start_watcher "$work/latency"
all=""
n=0
for file in "$@"; do
    t_lat=""; t_gs=""; ratios=""
    round=0
    while [ "$round" -le "$rounds" ]; do
        n=$((n + 1))
        name=$n-$(basename "$file")
        cp "$file" "$work/$name"
        # Written into In in one go; the clock starts once it is closed.
        cat "$work/$name" >"$work/latency/In/$name"
        closed=$(now)
        until [ -e "$work/latency/Out/${name%.*}.pdf" ]; do sleep 0.002; done
        arrived=$(now)
        wait_lines "$work/latency.lines" "$n"
        start=$(now)
        direct "$work/$name"
        end=$(now)
        rm -f "$work/$name"
        if [ "$round" -gt 0 ]; then
            lat=$(elapsed "$closed" "$arrived")
            gs_s=$(elapsed "$start" "$end")
            t_lat="$t_lat $lat"; t_gs="$t_gs $gs_s"
            ratios="$ratios $(awk -v l="$lat" -v s="$settle" -v g="$gs_s" \
                'BEGIN { printf "%.4f", (l - s) / g }')"
        fi
        round=$((round + 1))
    done
    m=$(echo "$ratios" | median)
    all="$all $m"
    printf '%-28s %10s %9s %16s\n' "$(basename "$file")" "$(echo "$t_lat" | median)" \
        "$(echo "$t_gs" | median)" "$m"
done
stop_watcher
worst=$(echo "$all" | tr ' ' '\n' | grep . | sort -g | tail -n 1)
echo "TARGET watched folder latency: worst median (latency - settle)/gs $worst" \
    "(target <= 1.05): $(verdict "$worst" 1.05)"

# --- 2. A flood ---------------------------------------------------------------
small=$1
mkdir "$work/flood" "$work/flood-ps2pdf"
i=0
while [ "$i" -lt "$flood" ]; do
    cp "$small" "$work/flood/$(printf 'file%04d' "$i").ps"
    i=$((i + 1))
done
cores=$(nproc 2>/dev/null || sysctl -n hw.ncpu)
k=$((cores < 16 ? cores : 16))

loop_start=$(now)
for file in "$work"/flood/*.ps; do
    ps2pdf "$file" "$work/flood-ps2pdf/$(basename "$file" .ps).pdf" ||
        { echo "FAILED: ps2pdf on $file" >&2; exit 1; }
done
t_loop=$(elapsed "$loop_start" "$(now)")

start_watcher "$work/watched" --jobs "$k"
rss_start=$(rss "$watcher")
flood_start=$(now)
mv "$work"/flood/*.ps "$work/watched/In/"
samples=""
peak=0
last_sample=0
while :; do
    done_files=$(grep -c -e '^ok' -e '^failed' "$work/watched.lines" || true)
    [ "$done_files" -ge "$flood" ] && break
    kill -0 "$watcher" 2>/dev/null || { echo "FAILED: the watcher ended" >&2; exit 1; }
    now_rss=$(rss "$watcher")
    [ "$now_rss" -gt "$peak" ] && peak=$now_rss
    # One sample per tenth of the flood, to show whether it grows.
    if [ "$done_files" -ge $((last_sample + flood / 10)) ]; then
        last_sample=$done_files
        samples="$samples $done_files:${now_rss}K"
    fi
    sleep 0.05
done
t_flood=$(elapsed "$flood_start" "$(now)")
wait_lines "$work/watched.lines" "$flood"
rss_end=$(rss "$watcher")
high_water=""
[ -r "/proc/$watcher/status" ] &&
    high_water=", high-water mark $(awk '/^VmHWM/ { print $2 $3 }' "/proc/$watcher/status")"
pdfs=$(find "$work/watched/Out" -name '*.pdf' | wc -l)
[ "$pdfs" -eq "$flood" ] || { echo "FAILED: $pdfs PDFs in Out for $flood files" >&2; exit 1; }

# --- 3. Idle (the same watcher, its flood done) -----------------------------
sleep 2
cpu_before=$(cputime "$watcher")
sleep 10
cpu_after=$(cputime "$watcher")
idle=$((cpu_after - cpu_before))
stop_watcher

speedup=$(awk -v a="$t_loop" -v b="$t_flood" 'BEGIN { printf "%.3f", a / b }')
echo "Flood of $flood files ($(basename "$small")): watched folder $t_flood s (settle time" \
    "included), ps2pdf loop $t_loop s, speed-up $speedup with $k jobs on $cores cores"
echo "Pagora's own memory: ${rss_start}K at start, peak ${peak}K while converting$high_water," \
    "${rss_end}K at the end; along the flood:$samples"
met=$(awk -v s="$speedup" -v k="$k" 'BEGIN { print (s >= 0.85 * k) ? "met" : "MISSED" }')
echo "TARGET watched folder flood: speed-up over a ps2pdf loop $speedup (target >= 0.85 * $k): $met"
unit="clock ticks"
[ -r /proc/self/stat ] || unit="seconds"
echo "TARGET watched folder idle: $idle $unit of CPU time in 10 s with nothing arriving" \
    "(target 0): $(verdict "$idle" 0)"

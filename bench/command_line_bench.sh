#!/bin/sh
# Pagora --convert against the outside programs, side by side, round by round:
#
# 1. One process per file: "Pagora --convert FILE" against gs with the same
#    argument vector the jobs use (run directly) and against ps2pdf. The
#    figure per file is the median of the per-round ratios.
# 2. Many files: one "Pagora --convert" on 16 files against a loop of ps2pdf
#    over the same files. Pagora runs as many jobs at a time as there are
#    cores (k, at most 16): the target is a speed-up of at least 0.85 k.
#
#   sh bench/command_line_bench.sh PAGORA ROUNDS FILE.ps ...
set -eu
pagora=$1
rounds=$2
shift 2
[ "$#" -gt 0 ] || { echo "usage: $0 PAGORA ROUNDS FILE.ps ..." >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/pagora-cli-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

now() { date +%s.%N; }
# Seconds a command takes; a failing command makes the bench fail.
seconds() {
    start=$(now)
    "$@" >/dev/null 2>&1 || { echo "FAILED: $*" >&2; exit 1; }
    end=$(now)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }'
}
median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END {
    if (NR % 2) printf "%.3f", v[(NR + 1) / 2]; else printf "%.3f", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", a / b }'; }

fontpath="/System/Library/Fonts:/Library/Fonts:$HOME/Library/Fonts"
ours() { "$pagora" --convert --output-dir "$work/ours" "$1"; }
direct() {
    gs -dBATCH -dNOPAUSE -dSAFER -sDEVICE=pdfwrite "-sFONTPATH=$fontpath" \
        "-sOutputFile=$work/gs/out.pdf" "$1"
}
viaps2pdf() { ps2pdf "$1" "$work/ps2pdf/out.pdf"; }
mkdir "$work/ours" "$work/gs" "$work/ps2pdf"

echo "Pagora --convert, one process per file: $# files, $rounds rounds after one warm-up"
printf '%-28s %9s %9s %9s %9s %11s\n' file "ours s" "gs s" "ps2pdf s" ours/gs ours/ps2pdf
all_gs=""
all_ps2pdf=""
for file in "$@"; do
    t_ours=""; t_gs=""; t_ps=""; r_gs=""; r_ps=""
    round=0
    while [ "$round" -le "$rounds" ]; do
        rm -f "$work"/ours/* "$work"/gs/* "$work"/ps2pdf/*
        sync
        # The order rotates so that no contender always runs first.
        case $((round % 3)) in
        0) a=$(seconds ours "$file"); b=$(seconds direct "$file"); c=$(seconds viaps2pdf "$file") ;;
        1) b=$(seconds direct "$file"); c=$(seconds viaps2pdf "$file"); a=$(seconds ours "$file") ;;
        *) c=$(seconds viaps2pdf "$file"); a=$(seconds ours "$file"); b=$(seconds direct "$file") ;;
        esac
        if [ "$round" -gt 0 ]; then
            t_ours="$t_ours $a"; t_gs="$t_gs $b"; t_ps="$t_ps $c"
            r_gs="$r_gs $(ratio "$a" "$b")"; r_ps="$r_ps $(ratio "$a" "$c")"
        fi
        round=$((round + 1))
    done
    m_gs=$(echo "$r_gs" | median)
    this_gs=$(echo "$t_gs" | median)
    shortest_gs=$(printf '%s\n' "${shortest_gs:-$this_gs}" "$this_gs" | sort -g | head -n 1)
    m_ps=$(echo "$r_ps" | median)
    all_gs="$all_gs $m_gs"
    all_ps2pdf="$all_ps2pdf $m_ps"
    printf '%-28s %9s %9s %9s %9s %11s\n' "$(basename "$file")" "$(echo "$t_ours" | median)" \
        "$(echo "$t_gs" | median)" "$(echo "$t_ps" | median)" "$m_gs" "$m_ps"
done
median_gs=$(echo "$all_gs" | median)
worst_ps2pdf=$(echo "$all_ps2pdf" | tr ' ' '\n' | grep . | sort -g | tail -n 1)
echo "median over the files: ours/gs $median_gs, ours/ps2pdf $(echo "$all_ps2pdf" | median)"
# What no Qt program can go below here: starting and ending one that loads
# Qt's core and does nothing else ("Pagora --version"), against the shortest
# Ghostscript run of the table.
t_floor=""
round=0
while [ "$round" -lt 20 ]; do
    t_floor="$t_floor $(seconds "$pagora" --version)"
    round=$((round + 1))
done
floor=$(echo "$t_floor" | median)
echo "floor: Pagora --version takes $floor s, $(awk -v f="$floor" -v g="$shortest_gs" \
    'BEGIN { printf "%.1f", 100 * f / g }') % of the shortest gs run ($shortest_gs s)"
verdict() { awk -v v="$1" -v t="$2" 'BEGIN { print (v <= t) ? "met" : "MISSED" }'; }
echo "TARGET command line per file: median ours/gs $median_gs (target <= 1.05): $(verdict "$median_gs" 1.05)"
echo "TARGET command line per file: worst ours/ps2pdf $worst_ps2pdf (target <= 1.00):" \
    "$(verdict "$worst_ps2pdf" 1.00)"

# Sixteen files, the given ones over and over.
mkdir "$work/many" "$work/many-ours" "$work/many-ps2pdf"
i=0
while [ "$i" -lt 16 ]; do
    for file in "$@"; do
        [ "$i" -lt 16 ] || break
        cp "$file" "$work/many/$i-$(basename "$file")"
        i=$((i + 1))
    done
done
cores=$(nproc 2>/dev/null || sysctl -n hw.ncpu)
k=$((cores < 16 ? cores : 16))
many() { "$pagora" --convert --quiet --output-dir "$work/many-ours" "$work"/many/*; }
loop() { for file in "$work"/many/*; do ps2pdf "$file" "$work/many-ps2pdf/$(basename "$file").pdf"; done; }
speedups=""
t_many=""
t_loop=""
round=0
while [ "$round" -le "$rounds" ]; do
    rm -f "$work"/many-ours/* "$work"/many-ps2pdf/*
    sync
    if [ $((round % 2)) -eq 0 ]; then
        a=$(seconds many); b=$(seconds loop)
    else
        b=$(seconds loop); a=$(seconds many)
    fi
    if [ "$round" -gt 0 ]; then
        t_many="$t_many $a"; t_loop="$t_loop $b"; speedups="$speedups $(ratio "$b" "$a")"
    fi
    round=$((round + 1))
done
speedup=$(echo "$speedups" | median)
echo "16 files: Pagora --convert $(echo "$t_many" | median) s, ps2pdf loop $(echo "$t_loop" | median) s," \
    "speed-up $speedup on $cores cores"
met=$(awk -v s="$speedup" -v k="$k" 'BEGIN { print (s >= 0.85 * k) ? "met" : "MISSED" }')
echo "TARGET command line on 16 files: speed-up over a ps2pdf loop $speedup (target >= 0.85 * $k): $met"

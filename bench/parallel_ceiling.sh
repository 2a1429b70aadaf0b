#!/bin/sh
# How much faster this machine converts a pile of files when Ghostscript runs
# k at a time (k = cores, at most 16) instead of one after another: gs with
# the jobs' arguments and environment (its heap on huge pages, as the jobs ask
# for on Linux), no Pagora at all. No batch can beat this figure by much; the
# batch targets assume it is close to k.
#
#   sh bench/parallel_ceiling.sh ROUNDS FILE.ps|FILE.eps ...
set -eu
rounds=$1
shift
[ "$#" -gt 0 ] || { echo "usage: $0 ROUNDS FILE ..." >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/pagora-ceiling.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

now() { date +%s.%N; }
cores=$(nproc 2>/dev/null || sysctl -n hw.ncpu)
k=$((cores < 16 ? cores : 16))
i=0
for file in "$@"; do
    cp "$file" "$work/$i-$(basename "$file")"
    i=$((i + 1))
done
# Each file in a folder of its own, as in a job's workspace.
convert() {
    find "$work" -maxdepth 1 -type f \( -name '*.ps' -o -name '*.eps' \) -print0 |
        GLIBC_TUNABLES="${GLIBC_TUNABLES:+$GLIBC_TUNABLES:}glibc.malloc.hugetlb=1" \
        xargs -0 -n 1 -P "$1" sh -c 'out=$(mktemp -d "$0.XXXXXX") && cd "$out" &&
            gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=pdfwrite -sOutputFile=./output.pdf "$0" \
                >/dev/null 2>&1; rm -rf "$out"'
}
seconds() {
    start=$(now)
    convert "$1"
    end=$(now)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }'
}
speedups=""
round=0
while [ "$round" -le "$rounds" ]; do
    if [ $((round % 2)) -eq 0 ]; then
        one=$(seconds 1); many=$(seconds "$k")
    else
        many=$(seconds "$k"); one=$(seconds 1)
    fi
    [ "$round" -gt 0 ] && speedups="$speedups $(awk -v a="$one" -v b="$many" 'BEGIN { printf "%.4f", a / b }')"
    round=$((round + 1))
done
speedup=$(echo "$speedups" | tr ' ' '\n' | grep . | sort -g |
    awk '{ v[NR] = $1 } END { if (NR % 2) printf "%.3f", v[(NR + 1) / 2]; else printf "%.3f", (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
echo "Ceiling: plain gs over $i files, $k at a time against one after another: speed-up $speedup" \
    "on $cores cores (a batch share of 1.15 needs $(awk -v k="$k" 'BEGIN { printf "%.2f", k / 1.15 }'))"

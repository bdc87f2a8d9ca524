#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the command-line run (zanora --small --big --out) on the large generated trees of
# selectionbench (100,000 candidates, 3,000 picks) beside the floor of the same work: find over
# both trees, cp of exactly the matched files (each once) and sync -f of the output. Rounds
# alternate between the two; every round writes into fresh folders, all deleted at the end.
#
#   bench/clibench.sh [--build DIR] [--data DIR] [--rounds N] [--keep]
#
# --data names a folder that already holds small/ and big/ (for example one that
# `selectionbench --scale large --keep` left behind); without it selectionbench generates one
# under $TMPDIR first (it prints its own figures on the way).
set -eu

top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
data=""
rounds=3
keep=0
while [ $# -gt 0 ]; do
    case "$1" in
        --build) build=$2; shift 2 ;;
        --data) data=$2; shift 2 ;;
        --rounds) rounds=$2; shift 2 ;;
        --keep) keep=1; shift ;;
        *) echo "usage: $0 [--build DIR] [--data DIR] [--rounds N] [--keep]" >&2; exit 2 ;;
    esac
done
zanora="$build/zanora"
[ -x "$zanora" ] || { echo "no $zanora: build it first" >&2; exit 2; }

generated=""
if [ -z "$data" ]; then
    [ -x "$build/bench/selectionbench" ] || { echo "no selectionbench: build it first" >&2; exit 2; }
    echo "generating the trees with selectionbench (its own figures follow)"
    folder=$("$build/bench/selectionbench" --scale large --keep --dir "${TMPDIR:-/tmp}" \
             | tee /dev/stderr | sed -n 's/^data folder: //p')
    generated=$folder
    data="$folder/large"
fi
[ -d "$data/small" ] && [ -d "$data/big" ] || { echo "$data holds no small/ and big/" >&2; exit 2; }
work=$(mktemp -d "$data/clibench-XXXXXX")
# The folders go, and a failure ends the benchmark with one line that says so.
cleanup() {
    status=$?
    [ "$status" -eq 0 ] || echo "clibench.sh: failed (exit $status)" >&2
    if [ "$keep" = 0 ]; then
        rm -rf "$work"
        [ -z "$generated" ] || rm -rf "$generated"
    fi
}
trap cleanup EXIT

now() { date +%s.%N; }
seconds() { echo "$1 $2" | awk '{ printf "%.3f", $2 - $1 }'; }

# The plan of a dry run names the matched files; it also warms the cache for both sides.
"$zanora" --small "$data/small" --big "$data/big" --out "$work/plan" --dry-run --quiet \
    > "$work/plan.tsv" 2> /dev/null
cut -f1 "$work/plan.tsv" | sort -u | tr '\n' '\0' > "$work/matched.list"
entries=$(wc -l < "$work/plan.tsv")
distinct=$(tr -cd '\0' < "$work/matched.list" | wc -c)
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "trees: $data ($entries matched entries, $distinct distinct files)"

runs=""
floors=""
best_run=999999
best_floor=999999
peak=0
i=1
while [ "$i" -le "$rounds" ]; do
    mkdir "$work/floor$i"
    start=$(now)
    find "$data/small" "$data/big" > /dev/null
    xargs -0 cp -t "$work/floor$i" -- < "$work/matched.list"
    sync -f "$work/floor$i"
    floor=$(seconds "$start" "$(now)")

    start=$(now)
    /usr/bin/time -f %M -o "$work/rss" \
        "$zanora" --small "$data/small" --big "$data/big" --out "$work/run$i" --quiet \
        2> "$work/stderr$i"
    run=$(seconds "$start" "$(now)")
    rss=$(tail -n 1 "$work/rss")

    echo "round $i: zanora $run s (peak $((rss / 1024)) MiB), floor $floor s," \
         "files $(ls "$work/run$i" | wc -l) / $(ls "$work/floor$i" | wc -l)"
    best_run=$(echo "$best_run $run" | awk '{ print ($2 < $1) ? $2 : $1 }')
    best_floor=$(echo "$best_floor $floor" | awk '{ print ($2 < $1) ? $2 : $1 }')
    [ "$rss" -gt "$peak" ] && peak=$rss
    runs="$runs $run"
    floors="$floors $floor"
    i=$((i + 1))
done
echo "best of $rounds: zanora $best_run s, floor $best_floor s," \
     "ratio $(echo "$best_run $best_floor" | awk '{ printf "%.2f", $1 / $2 }') x," \
     "peak memory $(echo "$peak" | awk '{ printf "%.1f", $1 / 1024 }') MiB"
median() { echo "$1" | tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
median_run=$(median "$runs")
median_floor=$(median "$floors")
echo "median: zanora $median_run s, floor $median_floor s," \
     "ratio $(echo "$median_run $median_floor" | awk '{ printf "%.2f", $1 / $2 }') x"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

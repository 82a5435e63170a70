#!/usr/bin/env bash
# Many small files erased by srm -r and by the application, against the floor (bench/floor.c), on
# identical trees in the same rounds.
#
#   bench/floor_bench.sh [build-dir]    (SIZES="2000 20000" ROUNDS=5 WORKDIR=/var/tmp APP=1)
#
# Every round makes one tree of 4 KiB files per tool (bench/floor tree: 100 files to a folder, two
# levels deep) and erases them one after another with one random pass plus zeros, in an order
# that rotates from round to round:
#   floor   bench/floor erase: per file only what the method needs, one syncfs at the end
#   srm     srm -fsrz -r on the tree
#   base    BASELINE_SRM=path/to/srm, an earlier build of the tool, the same way (when given)
#   app     the application through its main window (bench_window erase, timed from the drop to
#           the result pane; APP=0 leaves it out)
#   baseapp BASELINE_WINDOW=path/to/bench_window of an earlier build, the same way (when given)
# Prints the median seconds of each, each tool's median over the floor's, and every round's time
# (a shared disk makes single rounds stray).
set -euo pipefail

build="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}"
srm="${SRM:-$(find "$build" -path '*Contents/Resources/srm' -type f | head -n 1)}"
floor="$build/bench/floor"
window="${WINDOW:-$build/bench/bench_window}"
[ -x "$srm" ] && [ -x "$floor" ] || { echo "srm or bench/floor not found under $build (build first)" >&2; exit 1; }
tools=(floor srm)
[ -n "${BASELINE_SRM:-}" ] && tools+=(base)
[ "${APP:-1}" = 1 ] && [ -x "$window" ] && tools+=(app)
[ -n "${BASELINE_WINDOW:-}" ] && tools+=(baseapp)
sizes="${SIZES:-2000 20000}"
rounds="${ROUNDS:-5}"
work="$(mktemp -d "${WORKDIR:-/var/tmp}/floor-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk "BEGIN { printf \"%.2f\", $1 / $2 }"; }

erase() {
    local tool="$1" tree="$2" out
    case "$tool" in
    floor) out="$("$floor" run "$floor" erase "$tree")" ;;
    srm) out="$("$floor" run "$srm" -fsrz -r "$tree")" ;;
    base) out="$("$floor" run "$BASELINE_SRM" -fsrz -r "$tree")" ;;
    app | baseapp)
        local program="$window"
        [ "$tool" = app ] || program="$BASELINE_WINDOW"
        out="$("$program" erase "$tree" 2>/dev/null)"
        [[ "$out" == *" success" ]] || { echo "the application did not succeed on $tree" >&2; exit 1; }
        ;;
    esac
    [ ! -e "$tree" ] || { echo "$tool left $tree behind" >&2; exit 1; }
    echo "${out%% *}"
}

echo "machine: $(nproc) cores, $(df -P "$work" | awk 'NR==2 {print $1}'), load $(cut -d' ' -f1-3 /proc/loadavg)"
for files in $sizes; do
    declare -A times=()
    for ((round = 0; round < rounds; round++)); do
        for tool in "${tools[@]}"; do
            "$floor" tree "$work/$tool" "$files"
        done
        for ((k = 0; k < ${#tools[@]}; k++)); do
            tool="${tools[$(((k + round) % ${#tools[@]}))]}"
            times[$tool]+="$(erase "$tool" "$work/$tool") "
        done
    done
    line="$files files:"
    floor_s="$(tr ' ' '\n' <<<"${times[floor]}" | grep . | median)"
    for tool in "${tools[@]}"; do
        m="$(tr ' ' '\n' <<<"${times[$tool]}" | grep . | median)"
        line+="  $tool ${m}s"
        [ "$tool" = floor ] || line+=" ($tool/floor $(ratio "$m" "$floor_s"))"
    done
    echo "$line"
    for tool in "${tools[@]}"; do
        echo "    $tool, each round: ${times[$tool]}"
    done
    unset times
done

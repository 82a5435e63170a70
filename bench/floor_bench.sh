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
#   batch   srm -fsvrz --batch alone, fed every file's "<device> <inode> 1 <path>" at once as the
#           window feeds it (BATCH=0 leaves it out; the emptied folders are removed untimed)
#   base    BASELINE_SRM=path/to/srm, an earlier build of the tool, the same way (when given)
#   app     the application through its main window (bench_window erase, timed from the drop onto
#           the shown and drawn window to the result pane; APP=0 leaves it out); "app's srm" is the
#           tool's own time in those runs
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
[ "${BATCH:-1}" = 1 ] && tools+=(batch)
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
    batch)
        find "$tree" -type f -printf '%D %i 1 %p\0' >"$work/records"
        out="$("$floor" run sh -c 'exec "$0" -fsvrz --batch <"$1" >/dev/null' "$srm" "$work/records")"
        rm -rf "$tree"
        ;;
    base) out="$("$floor" run "$BASELINE_SRM" -fsrz -r "$tree")" ;;
    app | baseapp)
        local program="$window"
        [ "$tool" = app ] || program="$BASELINE_WINDOW"
        rm -f "$work/srm-times"
        out="$(SRM_TIMES="$work/srm-times" "$program" erase "$tree" 2>/dev/null)"
        [[ "$out" == *" success" ]] || { echo "the application did not succeed on $tree" >&2; exit 1; }
        # An earlier build's bench_window may not time its srm.
        if [ -s "$work/srm-times" ]; then times[$tool:srm]+="$(head -n 1 "$work/srm-times" | cut -d' ' -f1) "; fi
        # SRM_TIMES_LOG=FILE keeps each run's line "<tool> <elapsed> <user> <system>" of its srm: the
        # tool's processor time says more than its elapsed time when the disk is shared.
        if [ -n "${SRM_TIMES_LOG:-}" ] && [ -s "$work/srm-times" ]; then
            echo "$tool $(head -n 1 "$work/srm-times")" >>"$SRM_TIMES_LOG"
        fi
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
            erase "$tool" "$work/$tool" >"$work/seconds"
            times[$tool]+="$(cat "$work/seconds") "
        done
    done
    line="$files files:"
    floor_s="$(tr ' ' '\n' <<<"${times[floor]}" | grep . | median)"
    series=()
    for tool in "${tools[@]}"; do
        series+=("$tool")
        [ -n "${times[$tool:srm]:-}" ] && series+=("$tool:srm")
    done
    for tool in "${series[@]}"; do
        m="$(tr ' ' '\n' <<<"${times[$tool]}" | grep . | median)"
        line+="  $tool ${m}s"
        [ "$tool" = floor ] || line+=" ($tool/floor $(ratio "$m" "$floor_s"))"
    done
    echo "$line"
    # A shared disk drifts between rounds: each round's own ratio, then their median, says the same
    # as the ratio of medians when the machine is steady and more when it is not.
    for tool in "${series[@]}"; do
        [ "$tool" = floor ] && continue
        per=$(paste -d' ' <(tr ' ' '\n' <<<"${times[$tool]}" | grep .) <(tr ' ' '\n' <<<"${times[floor]}" | grep .) |
            awk '{ print $1 / $2 }' | median)
        echo "    $tool/floor, median of each round's ratio: $(ratio "$per" 1)"
    done
    for tool in "${tools[@]}"; do
        [ -n "${times[$tool:srm]:-}" ] || continue
        over=$(paste -d' ' <(tr ' ' '\n' <<<"${times[$tool]}" | grep .) <(tr ' ' '\n' <<<"${times[$tool:srm]}" | grep .) |
            awk '{ print $1 - $2 }' | median)
        echo "    $tool beyond its srm (median of each round's difference): ${over}s"
    done
    for tool in "${series[@]}"; do
        echo "    $tool, each round: ${times[$tool]}"
    done
    unset times
done

#!/usr/bin/env bash
# Erasing many small files: the application through its main window against our own tool and two
# peers, on identical trees, in one run; then adding many paths to the list.
#
#   bench/erase_bench.sh [build-dir]      (SIZES="2000 20000" ROUNDS=3 WORKDIR=/var/tmp by default)
#
# For each size, every round makes four identical trees of 4 KiB files in nested folders and
# erases them one after another with one pass plus zeros:
#   ours     our srm -r -fsrz on the tree (one random pass, then zeros)
#   app      the application: the folder dropped on the main window, erase, "Erase Now", until the
#            result pane shows (bench_window erase; the same method, "-fsvrz"), timed inside the
#            program from the drop to the pane: the program's own start is not counted
#   sdel     secure-delete's srm -r -l -z (two passes, 0xff then zeros; the nearest it offers)
#   shred    shred -u -n 1 -z on every file (find -exec ... +), then rm -r of the emptied folders
# The best of ROUNDS is kept for each; the order of the four rotates from round to round so that
# a busy moment of the machine does not fall on one of them only. Ratios are the application's
# time against the others': below 1 means the application is faster.
# secure-delete is a peer for this benchmark only: it is installed here when missing.
set -euo pipefail

build="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}"
ours="$(find "$build" -path '*Contents/Resources/srm' -type f | head -n 1)"
window="$build/bench/bench_window"
[ -x "$ours" ] && [ -x "$window" ] || { echo "srm or bench_window not found under $build (build first)" >&2; exit 1; }
if [ ! -x /usr/bin/srm ] || ! dpkg -s secure-delete >/dev/null 2>&1; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq secure-delete >/dev/null
fi
sizes="${SIZES:-2000 20000}"
rounds="${ROUNDS:-3}"
work="$(mktemp -d "${WORKDIR:-/var/tmp}/erase-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

now() { echo "$EPOCHREALTIME"; }
calc() { awk "BEGIN { print $1 }"; }
min() { calc "($1 < $2) ? $1 : $2"; }
ratio() { awk "BEGIN { printf \"%.2f\", $1 / $2 }"; }

run_tool() {
    local tool="$1" tree="$2" t0 t1 inside
    if [ "$tool" = app ]; then
        inside="$("$window" erase "$tree" 2>/dev/null)"
        [[ "$inside" == *" success" ]] || { echo "the application did not succeed on $tree" >&2; exit 1; }
        [ ! -e "$tree" ] || { echo "app left $tree behind" >&2; exit 1; }
        echo "${inside%% *}"
        return
    fi
    t0=$(now)
    case "$tool" in
    ours) "$ours" -fsrz -r "$tree" ;;
    sdel) /usr/bin/srm -r -l -z "$tree" ;;
    shred) find "$tree" -type f -exec shred -u -n 1 -z {} + && rm -r "$tree" ;;
    esac
    t1=$(now)
    [ ! -e "$tree" ] || { echo "$tool left $tree behind" >&2; exit 1; }
    calc "$t1 - $t0"
}

echo "machine: $(nproc) cores, $(df -P "$work" | awk 'NR==2 {print $1}'), load $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%7s %9s %9s %9s %9s %10s %10s %11s\n' files ours_s app_s sdel_s shred_s app/ours app/sdel app/shred
tools=(ours app sdel shred)
for size in $sizes; do
    declare -A best=([ours]=999999 [app]=999999 [sdel]=999999 [shred]=999999)
    for ((round = 0; round < rounds; round++)); do
        for tool in "${tools[@]}"; do
            "$window" tree "$work/$tool" "$size"
        done
        for ((k = 0; k < 4; k++)); do
            tool="${tools[$(((k + round) % 4))]}"
            best[$tool]=$(min "${best[$tool]}" "$(run_tool "$tool" "$work/$tool")")
        done
    done
    printf '%7d %9.2f %9.2f %9.2f %9.2f %10s %10s %11s\n' "$size" "${best[ours]}" "${best[app]}" "${best[sdel]}" \
        "${best[shred]}" "$(ratio "${best[app]}" "${best[ours]}")" "$(ratio "${best[app]}" "${best[sdel]}")" \
        "$(ratio "${best[app]}" "${best[shred]}")"
    unset best
done

# Adding: the best of ROUNDS per count; the time per path should not grow with the count.
declare -A add=()
for ((round = 0; round < rounds; round++)); do
    while read -r count seconds; do
        add[$count]=$(min "${add[$count]:-999999}" "$seconds")
    done < <("$window" add 10000 20000 50000 2>/dev/null)
done
printf '%7s %9s %12s %16s\n' paths add_s us_per_path vs_10k_per_path
for count in 10000 20000 50000; do
    printf '%7d %9.3f %12.1f %16s\n' "$count" "${add[$count]}" "$(calc "${add[$count]} * 1e6 / $count")" \
        "$(ratio "$(calc "${add[$count]} / $count")" "$(calc "${add[10000]} / 10000")")"
done

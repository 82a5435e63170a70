#!/usr/bin/env bash
# What the worker's own removals on XFS cost: a worker run over FILES files of BYTES (4096; 0 makes
# empty files, which the worker removes itself) (folders of
# PER_FOLDER, each also holding an empty file and a link) on an XFS loop image, by this build and
# by a baseline build, in interleaved rounds; the median of each and their ratio.
#
#   sudo bench/worker_xfs_bench.sh <baseline-build-dir> [build-dir]   (FILES=2000 PER_FOLDER=40 ROUNDS=5)
#
# Both build dirs need bench_worker_run and the bundle's srm built (cmake --build B --target
# bench_worker_run srm bundle_resources). The image is unmounted and mounted again before each
# run, so that every run starts from the same, written-home state. Needs root (loop, freeze).
set -euo pipefail

base_build="${1:?baseline build dir}"
build="${2:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}"
files="${FILES:-2000}"
per_folder="${PER_FOLDER:-40}"
rounds="${ROUNDS:-5}"
bytes="${BYTES:-4096}"
[ "$(id -u)" -eq 0 ] || { echo "needs root" >&2; exit 1; }
bundle_of() {
    local srm
    srm="$(find "$1" -path '*Contents/Resources/srm' -type f | head -n 1)"
    [ -x "$srm" ] || { echo "srm not found under $1" >&2; exit 1; }
    dirname "$(dirname "$(dirname "$srm")")"
}
base_bundle="$(bundle_of "$base_build")"
new_bundle="$(bundle_of "$build")"
work="$(mktemp -d "${WORKDIR:-/var/tmp}/worker-xfs-bench.XXXXXX")"
mnt="$work/mnt"
mkdir -p "$mnt"
trap 'umount "$mnt" 2>/dev/null || true; rm -rf "$work"' EXIT
truncate -s 512M "$work/image"
mkfs.xfs -q -f "$work/image"

one() { # <build> <bundle>: prints the run's milliseconds
    mount -o loop "$work/image" "$mnt"
    local out
    out="$("$1/bench/bench_worker_run" "$mnt" "$2" "$files" "$per_folder" "$bytes")" || { echo "run failed: $out" >&2; umount "$mnt"; exit 1; }
    umount "$mnt"
    echo "${out%% ms*}"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

base_times=()
new_times=()
for ((round = 1; round <= rounds; round++)); do
    if ((round % 2)); then
        base_times+=("$(one "$base_build" "$base_bundle")")
        new_times+=("$(one "$build" "$new_bundle")")
    else
        new_times+=("$(one "$build" "$new_bundle")")
        base_times+=("$(one "$base_build" "$base_bundle")")
    fi
    echo "round $round: baseline ${base_times[-1]} ms, this build ${new_times[-1]} ms"
done
b="$(printf '%s\n' "${base_times[@]}" | median)"
n="$(printf '%s\n' "${new_times[@]}" | median)"
echo "median of $rounds: baseline $b ms, this build $n ms, ratio $(awk "BEGIN { printf \"%.2f\", $n / $b }")"

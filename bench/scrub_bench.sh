#!/usr/bin/env bash
# What leaving no trace costs: the overwrite tool writing the journal home before folders and
# attribute blocks are freed, and writing it home and clearing it once at the end of a run, against
# the tool as it was before it did (BASE_REV, built here from the repository), in the same rounds.
#
#   sudo bench/scrub_bench.sh [build-dir]     (FILES=2000 PER_FOLDER=40 ROUNDS=3 WORKDIR=/var/tmp)
#
# For each journal size (JOURNALS="128 1024" MiB) an ext4 image on a loop device (4 KiB blocks,
# the journal of that size) gets FILES files of 4 KiB in folders of PER_FOLDER, every tenth with a
# long attribute value (a block of its own); it is unmounted and mounted again so that everything
# is home, as for files that have been on the disk a while. Then one `srm -fsvrz -r` erases all the
# folders (a run), by this build and by the baseline in turn; the best of ROUNDS is kept.
# Also shown: what the scrubbing's journal requests take inside this build's run (one more round
# under strace, which sees only those requests: the end-of-run clearing, and every request, as a
# share of the run's best time), the same clearing request on a journal the tool before had just
# filled (it first has to write home all that run left in the journal), the bytes the run wrote to
# the device (the journal is written at most once whatever its size), and the time this disk takes
# to write as many zeros as the journal holds: a loop device clears a journal by punching a hole in
# its image, which a real disk without a zeroing command cannot.
# FS=xfs measures XFS instead (its default log; the clearing lines do not apply there): the room of
# removed entries filled with throwaway names and one freeze and thaw per run.
# Needs root (loop devices, the journal request) and strace.
set -euo pipefail

build="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}"
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
srm="$(find "$build" -path '*Contents/Resources/srm' -type f | head -n 1)"
[ -x "$srm" ] || { echo "srm not found under $build (build it first)" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "needs root" >&2; exit 1; }
files="${FILES:-2000}"
per_folder="${PER_FOLDER:-40}"
rounds="${ROUNDS:-3}"
base_rev="${BASE_REV:-c630598}"
work="$(mktemp -d "${WORKDIR:-/var/tmp}/scrub-bench.XXXXXX")"
mnt="$work/mnt"
mkdir -p "$mnt"
trap 'umount "$mnt" 2>/dev/null || true; rm -rf "$work"' EXIT

now() { echo "$EPOCHREALTIME"; }
calc() { awk "BEGIN { print $1 }"; }

# The tool before the journal was scrubbed, built from the repository's history.
base="$work/base"
mkdir -p "$base"
git -C "$repo" archive "$base_rev" srm | tar -x -C "$base"
g++ -std=c++20 -O2 -I "$base/srm" "$base"/srm/*.cpp -o "$base/srm-base" -ldl -static-libstdc++ -static-libgcc

# checkpoint PATH FLAGS: the journal request itself (2 clears by zeroing, 0 only writes home).
checkpoint() {
    python3 -c 'import fcntl, os, struct, sys
fd = os.open(sys.argv[1], os.O_RDONLY)
fcntl.ioctl(fd, 0x4004662b, struct.pack("I", int(sys.argv[2])))' "$1" "$2"
}

sectors_written() { awk '{ print $7 }' "/sys/block/$(basename "$1")/stat"; }

populate() {
    python3 - "$mnt/tree" "$files" "$per_folder" <<'PY'
import os, sys
root, files, per_folder = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for i in range(files):
    folder = os.path.join(root, "d%d" % (i // per_folder))
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, "file-%d" % i)
    with open(path, "wb") as f:
        f.write(os.urandom(4096))
    if i % 10 == 0:
        os.setxattr(path, "user.comment", b"v" * 2000)
PY
}

echo "srm: $srm (baseline: $base_rev)"
echo "$files files of 4 KiB in folders of $per_folder, every tenth with a 2000-byte attribute; $(nproc) cores"
echo "disk: $(df -P "$work" | awk 'NR==2 {print $1}')"
fs="${FS:-ext4}"
[ "$fs" = xfs ] && JOURNALS="${JOURNALS:-0}"
for journal in ${JOURNALS:-128 1024}; do
    image="$work/disk.img"
    rm -f "$image"
    truncate -s "$((journal * 2 + 1024))M" "$image"
    if [ "$fs" = xfs ]; then
        mkfs.xfs -q -f "$image"
    else
        mkfs.ext4 -q -F -T default -J size="$journal" "$image"
    fi
    best_new=999999
    best_base=999999
    written_new=0
    for ((round = 0; round < rounds; round++)); do
        for which in new base; do
            mount -o loop "$image" "$mnt"
            populate
            umount "$mnt"
            mount -o loop "$image" "$mnt"
            device=$(findmnt -n -o SOURCE "$mnt")
            tool="$srm"
            [ "$which" = base ] && tool="$base/srm-base"
            before=$(sectors_written "$device")
            t0=$(now)
            "$tool" -fsrz "$mnt/tree"
            t1=$(now)
            after=$(sectors_written "$device")
            umount "$mnt"
            took=$(calc "$t1 - $t0")
            if [ "$which" = new ]; then
                best_new=$(calc "($took < $best_new) ? $took : $best_new")
                written_new=$(((after - before) / 2048))
            else
                best_base=$(calc "($took < $best_base) ? $took : $best_base")
            fi
        done
    done
    if [ "$fs" = xfs ]; then
        printf 'xfs: run %.2f s, before %.2f s (ratio %.3f, +%.1f%%, %.3f ms/file more); wrote %d MiB\n' \
            "$best_new" "$best_base" "$(calc "$best_new / $best_base")" \
            "$(calc "($best_new / $best_base - 1) * 100")" "$(calc "($best_new - $best_base) * 1000 / $files")" \
            "$written_new"
        continue
    fi
    # The journal requests inside this build's run: the last one clears the journal.
    mount -o loop "$image" "$mnt"
    populate
    umount "$mnt"
    mount -o loop "$image" "$mnt"
    strace --seccomp-bpf -f -T -e trace=ioctl -o "$work/requests" "$srm" -fsrz "$mnt/tree"
    umount "$mnt"
    grep -F ', 0x2b, ' "$work/requests" | sed 's/.*<\([0-9.]*\)>$/\1/' >"$work/request-times"
    requests=$(wc -l <"$work/request-times")
    requests_s=$(awk '{ s += $1 } END { print s + 0 }' "$work/request-times")
    in_run_s=$(tail -n 1 "$work/request-times")
    # The same clearing on a journal the tool before has just filled.
    mount -o loop "$image" "$mnt"
    populate
    "$base/srm-base" -fsrz "$mnt/tree"
    t0=$(now)
    checkpoint "$mnt" 2
    t1=$(now)
    clear_s=$(calc "$t1 - $t0")
    umount "$mnt"
    t0=$(now)
    dd if=/dev/zero of="$work/zeros" bs=1M count="$journal" oflag=direct status=none
    t1=$(now)
    zeros_s=$(calc "$t1 - $t0")
    rm -f "$work/zeros"
    printf 'journal %4d MiB: run %.2f s, before %.2f s (ratio %.3f, +%.1f%%, %.3f ms/file more); wrote %d MiB\n' \
        "$journal" "$best_new" "$best_base" "$(calc "$best_new / $best_base")" \
        "$(calc "($best_new / $best_base - 1) * 100")" "$(calc "($best_new - $best_base) * 1000 / $files")" \
        "$written_new"
    printf '                  in the run: clearing %.3f s (%.1f%% of the run), %d journal request(s) %.3f s (%.1f%%)\n' \
        "$in_run_s" "$(calc "$in_run_s / $best_new * 100")" "$requests" "$requests_s" "$(calc "$requests_s / $best_new * 100")"
    printf '                  clearing a journal the tool before filled %.3f s; writing %d MiB of zeros on this disk %.2f s (%.1f%% of the run before)\n' \
        "$clear_s" "$journal" "$zeros_s" "$(calc "$zeros_s / $best_base * 100")"
done

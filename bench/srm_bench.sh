#!/usr/bin/env bash
# Throughput and per-file overhead of the overwrite tool against dd and coreutils shred, in one run.
#
#   bench/srm_bench.sh [build-dir]          (SIZE_MIB=512 FILES=2000 WORKDIR=/var/tmp by default)
#
# 1. One file of SIZE_MIB per method, overwritten with the method's passes (no final zero pass, so
#    the pass counts are equal) and removed, against dd (conv=notrunc,fdatasync, the same number of
#    passes, then rm) and `shred -u -n N` (its random passes, synced, then removal). Freeing the
#    blocks of a large file is not free (a discard-mounted disk trims them), so every peer removes. dd copies random bytes made beforehand in tmpfs, so
#    it measures the disk alone; a dd of zeros is shown too, since virtual disks often store zeros
#    faster than any other data.
# 2. The random source: a single random pass onto tmpfs, where syncing costs nothing.
# 3. FILES files of 4 KiB erased one process per file (srm -fsvrz), against `shred -u -n 1 -z` per
#    file; then FILES more erased by one `srm -fsvrz --batch` reading their paths (when the tool has
#    a batch mode), which is how the erasure worker can hand over many small files.
# The machine may be shared: each large-file measurement is the best of REPEAT (default 2) rounds,
# and the small-file runs alternate between the two tools file by file. BASELINE_SRM=path/to/srm
# times an earlier build of the tool in the same rounds (column base/srm: above 1 means this build
# is faster), which compares two builds more fairly than two runs of this script.
# Prints seconds and the ratios (above 1 means srm is faster).
set -euo pipefail

build="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}"
srm="$(find "$build" -path '*Contents/Resources/srm' -type f | head -n 1)"
[ -x "$srm" ] || { echo "srm not found under $build (build it first)" >&2; exit 1; }
size_mib="${SIZE_MIB:-512}"
files="${FILES:-2000}"
work="$(mktemp -d "${WORKDIR:-/var/tmp}/srm-bench.XXXXXX")"
shm="$(mktemp -d /dev/shm/srm-bench.XXXXXX)"
trap 'rm -rf "$work" "$shm"' EXIT

now() { echo "$EPOCHREALTIME"; }
repeat="${REPEAT:-2}"
calc() { awk "BEGIN { print $1 }"; }
min() { calc "($1 < $2) ? $1 : $2"; }
elapsed() { calc "$2 - $1"; }
ratio() { awk "BEGIN { printf \"%.2f\", $1 / $2 }"; }

make_file() { dd if=/dev/zero of="$1" bs=1M count="$size_mib" conv=fdatasync status=none; }
# best VAR COMMAND...: times the command on a freshly made $file and keeps the lower of that and VAR.
best() {
    local var=$1 t0 t1
    shift
    make_file "$file"
    t0=$(now); "$@"; t1=$(now)
    printf -v "$var" '%s' "$(min "${!var}" "$(elapsed "$t0" "$t1")")"
}
# dd_passes SOURCE: $passes copies of SOURCE over $file, each synced, then its removal.
dd_passes() {
    local i
    for ((i = 0; i < passes; i++)); do
        dd if="$1" of="$file" bs=1M count="$size_mib" conv=notrunc,fdatasync status=none
    done
    rm -f "$file"
}

echo "srm: $srm"
echo "file size: ${size_mib} MiB on $(df -P "$work" | awk 'NR==2 {print $1}'); $(nproc) cores"
head -c "$((size_mib * 1024 * 1024))" /dev/urandom >"$shm/random"
baseline="${BASELINE_SRM:-}"
printf '%-26s %6s %8s %8s %9s %8s %8s %9s %9s' method passes srm_s dd_s dd0_s shred_s srm/dd srm/dd0 srm/shred
[ -n "$baseline" ] && printf ' %8s %8s' base_s base/srm
echo
for spec in "s:1:HMG Infosec Standard 5" "E:3:U.S. Army AR380-19" "m:7:DoD 5220.22-M ECE" ":35:Peter Gutmann's algorithm"; do
    IFS=: read -r flag passes name <<<"$spec"
    file="$work/big"
    srm_s=999999 dd_s=999999 dd0_s=999999 shred_s=999999 base_s=999999
    for ((round = 0; round < repeat; round++)); do
        best srm_s "$srm" -f${flag} "$file"
        [ -z "$baseline" ] || best base_s "$baseline" -f${flag} "$file"
        best dd_s dd_passes "$shm/random"
        best dd0_s dd_passes /dev/zero
        best shred_s shred -u -n "$passes" "$file"
    done

    # Time per pass relative to the peer's: above 1 means srm is faster.
    printf '%-26s %6s %8.2f %8.2f %9.2f %8.2f %8s %8s %9s' "$name" "$passes" "$srm_s" "$dd_s" "$dd0_s" "$shred_s" \
        "$(ratio "$dd_s" "$srm_s")" "$(ratio "$dd0_s" "$srm_s")" "$(ratio "$shred_s" "$srm_s")"
    [ -n "$baseline" ] && printf ' %8.2f %8s' "$base_s" "$(ratio "$base_s" "$srm_s")"
    echo
done

rm -f "$shm/random"
rand_mib=$((size_mib < 512 ? size_mib : 512))
dd if=/dev/zero of="$shm/f" bs=1M count="$rand_mib" status=none
t0=$(now); "$srm" -fs "$shm/f"; t1=$(now)
rand_s=$(elapsed "$t0" "$t1")
echo "random pass on tmpfs: $(awk "BEGIN { printf \"%d\", $rand_mib / $rand_s }") MiB/s (random data made and copied; no disk)"

mkdir -p "$work/small"
for ((i = 0; i < files; i++)); do
    head -c 4096 /dev/urandom >"$work/small/a$i"
    head -c 4096 /dev/urandom >"$work/small/b$i"
    [ -z "$baseline" ] || head -c 4096 /dev/urandom >"$work/small/d$i"
done
sync
srm_small=0
shred_small=0
base_small=0
for ((i = 0; i < files; i++)); do
    t0=$(now); "$srm" -fsvrz "$work/small/a$i" >/dev/null; t1=$(now)
    shred -u -n 1 -z "$work/small/b$i"; t2=$(now)
    srm_small=$(calc "$srm_small + $t1 - $t0")
    shred_small=$(calc "$shred_small + $t2 - $t1")
    if [ -n "$baseline" ]; then
        t0=$(now); "$baseline" -fsvrz "$work/small/d$i" >/dev/null; t1=$(now)
        base_small=$(calc "$base_small + $t1 - $t0")
    fi
done
printf '%d files of 4 KiB, one process each: srm %.2f s (%.2f ms/file), shred -u %.2f s (%.2f ms/file), shred/srm %s' \
    "$files" "$srm_small" "$(calc "$srm_small * 1000 / $files")" "$shred_small" \
    "$(calc "$shred_small * 1000 / $files")" "$(ratio "$shred_small" "$srm_small")"
[ -z "$baseline" ] || printf ', base/srm %s' "$(ratio "$base_small" "$srm_small")"
echo

if "$srm" --help | grep -q -- --batch; then
    for ((i = 0; i < files; i++)); do head -c 4096 /dev/urandom >"$work/small/c$i"; done
    sync
    t0=$(now)
    results=$(for ((i = 0; i < files; i++)); do printf '%s\0' "$work/small/c$i"; done | "$srm" -fsvrz --batch | grep -c ' ok$')
    t1=$(now)
    batch_s=$(elapsed "$t0" "$t1")
    [ "$results" -eq "$files" ] || echo "batch: only $results of $files files reported ok" >&2
    printf '%d files of 4 KiB, one batch process: srm %.2f s (%.2f ms/file), one process per file / batch %s\n' \
        "$files" "$batch_s" "$(calc "$batch_s * 1000 / $files")" "$(ratio "$srm_small" "$batch_s")"
else
    echo "batch: this srm has no batch mode"
fi

t0=$(now)
for ((i = 0; i < 1000; i++)); do "$srm" -fs "$work/none"; done
t1=$(now)
t2=$(now)
for ((i = 0; i < 1000; i++)); do /bin/true; done
t3=$(now)
printf 'start-up: srm on a missing file %.2f ms per run, /bin/true %.2f ms (shell loop included in both)\n' \
    "$(elapsed "$t0" "$t1")" "$(elapsed "$t2" "$t3")"

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
# 3. FILES files of 4 KiB erased one process per file, as the erasure worker does
#    (srm -fsvrz), against `shred -u -n 1 -z` per file.
# The machine may be shared: each large-file measurement is the best of REPEAT (default 2) rounds,
# and the small-file runs alternate between the two tools file by file.
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

echo "srm: $srm"
echo "file size: ${size_mib} MiB on $(df -P "$work" | awk 'NR==2 {print $1}'); $(nproc) cores"
head -c "$((size_mib * 1024 * 1024))" /dev/urandom >"$shm/random"
printf '%-26s %6s %8s %8s %9s %8s %8s %9s %9s\n' method passes srm_s dd_s dd0_s shred_s srm/dd srm/dd0 srm/shred
for spec in "s:1:HMG Infosec Standard 5" "E:3:U.S. Army AR380-19" "m:7:DoD 5220.22-M ECE" ":35:Peter Gutmann's algorithm"; do
    IFS=: read -r flag passes name <<<"$spec"
    file="$work/big"
    srm_s=999999 dd_s=999999 dd0_s=999999 shred_s=999999
    for ((round = 0; round < repeat; round++)); do
        make_file "$file"
        t0=$(now); "$srm" -f${flag} "$file"; t1=$(now)
        srm_s=$(min "$srm_s" "$(elapsed "$t0" "$t1")")

        make_file "$file"
        t0=$(now)
        for ((i = 0; i < passes; i++)); do
            dd if="$shm/random" of="$file" bs=1M count="$size_mib" conv=notrunc,fdatasync status=none
        done
        rm -f "$file"
        t1=$(now)
        dd_s=$(min "$dd_s" "$(elapsed "$t0" "$t1")")

        make_file "$file"
        t0=$(now)
        for ((i = 0; i < passes; i++)); do
            dd if=/dev/zero of="$file" bs=1M count="$size_mib" conv=notrunc,fdatasync status=none
        done
        rm -f "$file"
        t1=$(now)
        dd0_s=$(min "$dd0_s" "$(elapsed "$t0" "$t1")")

        make_file "$file"
        t0=$(now); shred -u -n "$passes" "$file"; t1=$(now)
        shred_s=$(min "$shred_s" "$(elapsed "$t0" "$t1")")
    done

    # Time per pass relative to the peer's: above 1 means srm is faster.
    printf '%-26s %6s %8.2f %8.2f %9.2f %8.2f %8s %8s %9s\n' "$name" "$passes" "$srm_s" "$dd_s" "$dd0_s" "$shred_s" \
        "$(ratio "$dd_s" "$srm_s")" "$(ratio "$dd0_s" "$srm_s")" "$(ratio "$shred_s" "$srm_s")"
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
done
sync
srm_small=0
shred_small=0
for ((i = 0; i < files; i++)); do
    t0=$(now); "$srm" -fsvrz "$work/small/a$i" >/dev/null; t1=$(now)
    shred -u -n 1 -z "$work/small/b$i"; t2=$(now)
    srm_small=$(calc "$srm_small + $t1 - $t0")
    shred_small=$(calc "$shred_small + $t2 - $t1")
done
printf '%d files of 4 KiB, one process each: srm %.2f s (%.2f ms/file), shred -u %.2f s (%.2f ms/file), shred/srm %s\n' \
    "$files" "$srm_small" "$(calc "$srm_small * 1000 / $files")" "$shred_small" \
    "$(calc "$shred_small * 1000 / $files")" "$(ratio "$shred_small" "$srm_small")"

t0=$(now)
for ((i = 0; i < 1000; i++)); do "$srm" -fs "$work/none"; done
t1=$(now)
t2=$(now)
for ((i = 0; i < 1000; i++)); do /bin/true; done
t3=$(now)
printf 'start-up: srm on a missing file %.2f ms per run, /bin/true %.2f ms (shell loop included in both)\n' \
    "$(elapsed "$t0" "$t1")" "$(elapsed "$t2" "$t3")"

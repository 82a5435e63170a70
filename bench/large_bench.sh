#!/usr/bin/env bash
# One large file, one random pass plus zeros: srm against dd writing zeros with the same synced
# writes, on a quiet machine and with every core busy with other work; and srm's peak memory.
#
#   bench/large_bench.sh [build-dir]    (SIZE_MIB=1024 ROUNDS=3 WORKDIR=/var/tmp)
#
# Each round, in an order that alternates:
#   srm    srm -fsz FILE (one random pass, synced; zeros, synced; then renamed, emptied, removed)
#   dd     dd of zeros over FILE twice (conv=notrunc,fdatasync), then rm: the same writes and syncs
#          with no random data to make; virtual disks often store zeros faster than anything else
#   base   BASELINE_SRM=path/to/srm, an earlier build of the tool (when given)
# "busy" runs the same rounds with one spinning process per core (bench/floor spin). Prints the
# median seconds, the ratio over dd, and the median peak memory of srm beside shred's (-n 1 -z -u)
# on the same file.
set -euo pipefail

build="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}"
srm="${SRM:-$(find "$build" -path '*Contents/Resources/srm' -type f | head -n 1)}"
floor="$build/bench/floor"
[ -x "$srm" ] && [ -x "$floor" ] || { echo "srm or bench/floor not found under $build (build first)" >&2; exit 1; }
size_mib="${SIZE_MIB:-1024}"
rounds="${ROUNDS:-3}"
work="$(mktemp -d "${WORKDIR:-/var/tmp}/large-bench.XXXXXX")"
spinners=()
cleanup() {
    for pid in "${spinners[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
file="$work/file"
tools=(srm dd)
[ -n "${BASELINE_SRM:-}" ] && tools+=(base)

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk "BEGIN { printf \"%.2f\", $1 / $2 }"; }
make_file() { head -c "$((size_mib * 1024 * 1024))" /dev/urandom >"$file"; sync; }
dd_zeros() {
    dd if=/dev/zero of="$file" bs=1M count="$size_mib" conv=notrunc,fdatasync status=none
    dd if=/dev/zero of="$file" bs=1M count="$size_mib" conv=notrunc,fdatasync status=none
    rm -f "$file"
}
# Prints "seconds peak-KiB".
measure() {
    local out
    make_file
    case "$1" in
    srm) out="$("$floor" run "$srm" -fsz "$file")" ;;
    base) out="$("$floor" run "$BASELINE_SRM" -fsz "$file")" ;;
    dd) export -f dd_zeros; export file size_mib; out="$("$floor" run bash -c dd_zeros)" ;;
    shred) out="$("$floor" run shred -n 1 -z -u "$file")" ;;
    esac
    [ ! -e "$file" ] || { echo "$1 left the file behind" >&2; exit 1; }
    echo "$out"
}

echo "machine: $(nproc) cores, $(df -P "$work" | awk 'NR==2 {print $1}'), ${size_mib} MiB, load $(cut -d' ' -f1-3 /proc/loadavg)"
for load in quiet busy; do
    if [ "$load" = busy ]; then
        for ((i = 0; i < $(nproc); i++)); do "$floor" spin & spinners+=($!); done
    fi
    declare -A times=() memory=()
    for ((round = 0; round < rounds; round++)); do
        for ((k = 0; k < ${#tools[@]}; k++)); do
            tool="${tools[$(((k + round) % ${#tools[@]}))]}"
            read -r seconds kib < <(measure "$tool")
            times[$tool]+="$seconds "
            memory[$tool]+="$kib "
        done
    done
    dd_s="$(tr ' ' '\n' <<<"${times[dd]}" | grep . | median)"
    line="$load:"
    for tool in "${tools[@]}"; do
        m="$(tr ' ' '\n' <<<"${times[$tool]}" | grep . | median)"
        line+="  $tool ${m}s"
        [ "$tool" = dd ] || line+=" ($tool/dd $(ratio "$m" "$dd_s"), peak $(tr ' ' '\n' <<<"${memory[$tool]}" | grep . | median) KiB)"
    done
    echo "$line"
    unset times memory
done
for pid in "${spinners[@]}"; do kill "$pid" 2>/dev/null || true; done
spinners=()
read -r seconds kib < <(measure shred)
echo "shred -n 1 -z -u on the same file: peak $kib KiB"

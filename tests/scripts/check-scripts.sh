#!/usr/bin/env bash
# Checks the set-up scripts as a new person meets them: deps.sh for someone who is neither root
# nor has sudo, and run.sh without any display. Exit 77 (skipped) when the first cannot be staged.
set -uo pipefail
root="$1"
failures=0
fail() { echo "FAILED: $1"; failures=$((failures + 1)); }

scratch="$(mktemp -d "${TMPDIR:-/tmp}/nullwell-scripts.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
chmod 755 "$scratch"

# run.sh without a display says so and stops, before it installs or builds anything.
output="$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/scripts/run.sh" 2>&1)"
status=$?
[ "$status" -eq 1 ] || fail "run.sh without a display ended with $status"
grep -q "No display" <<<"$output" || fail "run.sh without a display did not say so: $output"
grep -q -- "--offscreen" <<<"$output" || fail "run.sh did not name --offscreen: $output"

# deps.sh for a person without root and without sudo: every package reads as missing, and the
# PATH holds the few tools the script uses, but no sudo.
mkdir -p "$scratch/bin"
printf '#!/bin/sh\nexit 1\n' > "$scratch/bin/dpkg-query"
chmod 755 "$scratch/bin/dpkg-query"
for tool in bash sh grep id basename env; do
    found="$(command -v "$tool")" && ln -s "$found" "$scratch/bin/$tool"
done
if [ "$(id -u)" -eq 0 ]; then
    if ! command -v setpriv >/dev/null; then
        echo "skipped: setpriv is not installed (Debian package util-linux), so no normal user can be played"
        exit 77
    fi
    as_person=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
    as_person=()
fi
output="$("${as_person[@]}" env -i PATH="$scratch/bin" HOME="$scratch" "$scratch/bin/bash" "$root/scripts/deps.sh" 2>&1)"
status=$?
[ "$status" -eq 1 ] || fail "deps.sh without sudo ended with $status"
grep -q "su -c 'apt-get update -q && apt-get install -y -q --no-install-recommends cmake" <<<"$output" ||
    fail "deps.sh did not give the su command: $output"
grep -q "qt6-wayland" <<<"$output" || fail "deps.sh does not install the Wayland plugin: $output"
grep -q "command not found" <<<"$output" && fail "deps.sh stopped on a missing command: $output"

[ "$failures" -eq 0 ] && echo "set-up scripts OK"
exit $((failures > 0))

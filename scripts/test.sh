#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. The engine and platform suites run a
# second time under AddressSanitizer and UndefinedBehaviorSanitizer; the plain run comes last.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="$(nproc)"
"$root/scripts/deps.sh"

echo "== Sanitizer build (non-GUI suites) =="
"$root/scripts/build.sh" "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DNULLWELL_SANITIZE=ON -DNULLWELL_GUI=OFF
(
    cd "$root/build-asan"
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp"
    status=0
    ctest -L core -j "$jobs" --output-on-failure --timeout 600 || status=$?
    "$root/scripts/skipped.sh" "$root/build-asan/Testing/Temporary/LastTest.log"
    exit "$status"
)

echo "== Build and full test run =="
"$root/scripts/build.sh" "$root/build"
cd "$root/build"
status=0
ctest -j "$jobs" --output-on-failure --timeout 900 || status=$?
"$root/scripts/skipped.sh" "$root/build/Testing/Temporary/LastTest.log"
exit "$status"

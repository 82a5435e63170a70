#!/usr/bin/env bash
# Draws the preview images of the windows and controls for people to look at (they are not tests
# and do not count as such): builds the widget suites and runs their *Preview* cases offscreen.
# The images go into the folder given (default: a new temporary folder), which is printed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
folder="${1:-$(mktemp -d "${TMPDIR:-/tmp}/nullwell-previews.XXXXXX")}"
mkdir -p "$folder"
cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target kit_tests app_tests bundle_resources
for suite in kit_tests app_tests; do
    NULLWELL_PREVIEW_DIR="$folder" QT_QPA_PLATFORM=offscreen \
        "$root/build/tests/$suite" --gtest_filter='*Preview*' --gtest_brief=1
done
echo "Previews are in $folder"

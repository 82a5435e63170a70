#!/usr/bin/env bash
# Runs the window chrome check on a private X server; exit 77 (skipped) when there is none to start.
set -euo pipefail
program="$1"
if ! command -v xvfb-run >/dev/null || ! command -v xwininfo >/dev/null; then
    echo "skipped: xvfb-run or xwininfo is not installed"
    exit 77
fi
exec env QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" "$program"

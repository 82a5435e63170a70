#!/usr/bin/env bash
# Runs the window chrome check on a private X server, first bare and then under a window manager
# (openbox), which takes window moves over; exit 77 (skipped) when there is no server to start.
set -euo pipefail
program="$1"
if ! command -v xvfb-run >/dev/null || ! command -v xwininfo >/dev/null; then
    echo "skipped: xvfb-run or xwininfo is not installed (Debian packages xvfb, x11-utils)"
    exit 77
fi
export QT_QPA_PLATFORM=xcb
echo "== bare X server =="
xvfb-run -a -s "-screen 0 1280x800x24" "$program"
if ! command -v openbox >/dev/null || ! command -v xprop >/dev/null; then
    echo "skipped: openbox is not installed (Debian package openbox), so no window manager was tried"
    exit 77
fi
echo "== under openbox =="
# shellcheck disable=SC2016
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    openbox --sm-disable &
    manager=$!
    for _ in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.1
    done
    status=0
    "$1" || status=$?
    kill "$manager"
    exit "$status"
' check "$program"

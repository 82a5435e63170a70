#!/usr/bin/env bash
# Installs what is missing, builds, and starts the application from the build folder: through
# the launcher (which asks for the administrator password with pkexec) when pkexec and a polkit
# agent are there, otherwise the main program directly with the user's language code.
# Without a display it says so and stops; --offscreen starts it on Qt's offscreen platform, where
# nothing can be seen (it then runs until it is ended, for example with Ctrl+C).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
offscreen=no
case "${1:-}" in
    --offscreen) offscreen=yes ;;
    "") ;;
    *) echo "usage: $0 [--offscreen]" >&2; exit 2 ;;
esac
if [ "$offscreen" = no ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: neither DISPLAY nor WAYLAND_DISPLAY is set, so the window has nowhere to appear." >&2
    echo "Start this from a desktop session (X11 or Wayland), or run $0 --offscreen to start it unseen." >&2
    exit 1
fi
"$root/scripts/deps.sh"
# Only what the application needs to start: the main program, the launcher, the overwrite tool
# and the bundle's resources. Tests and benchmarks are scripts/test.sh's.
cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target nullwell_main nullwell_launcher srm bundle_resources

outer="$root/build/Ostrivan Nullwell.app"
launcher="$outer/Contents/MacOS/ostrivan-nullwell"
main="$outer/Contents/MacOS/Ostrivan Nullwell.app/Contents/MacOS/Ostrivan Nullwell"

if [ "$offscreen" = yes ]; then
    echo "Starting on Qt's offscreen platform: no window will be visible. Ctrl+C ends it."
    export QT_QPA_PLATFORM=offscreen
fi

polkit_agent_running() {
    pgrep -u "$(id -u)" -f 'polkit.*agent|polkit-kde|lxpolkit|lxqt-policykit|mate-polkit|xfce-polkit|gnome-shell|cinnamon|budgie-polkit' \
        >/dev/null 2>&1
}

if [ "$(id -u)" -ne 0 ] && command -v pkexec >/dev/null 2>&1 && polkit_agent_running; then
    echo "Starting through the launcher: answer the administrator password prompt."
    exec "$launcher"
fi

# The language code the launcher would pass: never empty, plain ASCII (de_DE.UTF-8 gives de-DE).
locale_name="${LANGUAGE:-${LC_ALL:-${LC_MESSAGES:-${LANG:-}}}}"
language="$(printf '%s' "${locale_name%%:*}" | sed 's/[.@].*//; s/_/-/g; s/[^A-Za-z0-9-]//g')"
case "$language" in
    "" | C | POSIX) language=en ;;
esac
exec "$main" "$language"

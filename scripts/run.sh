#!/usr/bin/env bash
# Installs what is missing, builds, and starts the application from the build folder.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/deps.sh"
"$root/scripts/build.sh" "$root/build"

main="$root/build/Ostrivan Nullwell.app/Contents/MacOS/Ostrivan Nullwell.app/Contents/MacOS/Ostrivan Nullwell"
language="$(echo "${LANG:-en}" | sed 's/[._@].*//; s/_/-/')"
exec "$main" "${language:-en}"

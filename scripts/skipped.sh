#!/usr/bin/env bash
# Lists the tests a ctest run skipped, each with the reason the test gave (ctest itself only
# counts them). Takes the run's Testing/Temporary/LastTest.log.
set -euo pipefail
log="${1:?usage: skipped.sh Testing/Temporary/LastTest.log}"
[ -f "$log" ] || exit 0
awk '
    /^[0-9]+\/[0-9]+ Test: / { name = $0; sub(/^[0-9]+\/[0-9]+ Test: /, "", name); inOutput = 0; next }
    /^Output:$/ { inOutput = 1; reason = ""; skipped = 0; wantReason = 0; next }
    /^<end of output>$/ {
        if (skipped) {
            if (reason == "") reason = "(no reason given)"
            printf "  %s: %s\n", name, reason
            count++
        }
        inOutput = 0; next
    }
    inOutput && wantReason { reason = $0; wantReason = 0; next }
    inOutput && /: Skipped$/ { wantReason = 1; next }
    inOutput && /^\[  SKIPPED \]/ { skipped = 1; next }
    inOutput && /^skipped: / { skipped = 1; reason = substr($0, 10); next }
    END { if (count) printf "%d skipped test(s), above with the reason each gave.\n", count }
' "$log" | { mapfile -t lines; if [ ${#lines[@]} -gt 0 ]; then echo "Skipped tests:"; printf '%s\n' "${lines[@]}"; fi; }

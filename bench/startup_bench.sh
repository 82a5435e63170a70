#!/usr/bin/env bash
# Start to first window: the application against the smallest Qt Widgets program, in the same rounds.
#
#   DISPLAY=:N bench/startup_bench.sh [build-dir]      (ROUNDS=15; BASELINE_APP=path to time an
#                                                        earlier build of the application as well)
#
# DISPLAY must name an X server with no window manager (Xvfb :N), so that the first top-level
# window mapped is the program's own (bench/first_window watches for it). The programs alternate
# in an order that rotates each round; prints each round's seconds, then the medians and the
# application's over the minimal program's, and how many shared objects each loads before main.
# "text" is the minimal program with one line of text in its window: the fonts' set-up that any
# window showing words pays, which the empty window does not.
# Each program's first picture (the first image it sends to the server, noted by
# bench/first_picture_probe.so loaded into it) is timed too: a mapped window is on the screen, but
# blank until then, and a compositing desktop shows it only once it has drawn. The same probe notes
# when each program's QApplication is constructed: the time from there to the map is the program's
# own window, while what comes before (loading, Qt's set-up) is alike for every Qt Widgets program.
set -euo pipefail

build="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}"
app="$(find "$build" -path '*Contents/MacOS/Ostrivan Nullwell.app/Contents/MacOS/*' -name 'Ostrivan Nullwell' -type f -perm -u+x | head -n 1)"
watch="$build/bench/first_window"
minimal="$build/bench/minimal_window"
[ -x "$app" ] && [ -x "$watch" ] && [ -x "$minimal" ] || { echo "build the application and the benchmarks first" >&2; exit 1; }
[ -f "$build/bench/first_picture_probe.so" ] && export FIRST_PICTURE_PROBE="$build/bench/first_picture_probe.so"
[ -n "${DISPLAY:-}" ] || { echo "DISPLAY must name an X server without a window manager" >&2; exit 1; }
rounds="${ROUNDS:-15}"
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_RUNTIME_DIR="$home"

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk "BEGIN { printf \"%.2f\", $1 / $2 }"; }
tools=(minimal text app)
[ -n "${BASELINE_APP:-}" ] && tools+=(base)
declare -A times=() pictures=() windows=()
row=""
for ((round = 0; round < rounds; round++)); do
    for ((k = 0; k < ${#tools[@]}; k++)); do
        tool="${tools[$(((k + round) % ${#tools[@]}))]}"
        case "$tool" in
        minimal) t="$("$watch" "$minimal" 2>/dev/null)" ;;
        text) t="$("$watch" "$minimal" --text 2>/dev/null)" ;;
        app) t="$("$watch" "$app" 'bench*loaderflag*' 2>/dev/null)" ;;
        base) t="$("$watch" "$BASELINE_APP" 'bench*loaderflag*' 2>/dev/null)" ;;
        esac
        read -r t p c <<<"$t"
        times[$tool]+="$t "
        [ -n "${p:-}" ] && pictures[$tool]+="$p "
        [ -n "${c:-}" ] && awk "BEGIN { exit !($c > 0) }" && windows[$tool]+="$(awk "BEGIN { printf \"%.4f\", $t - $c }") "
        row+=" $tool $t${p:+/$p}"
    done
    echo "round $((round + 1)):$row"
    row=""
done
report() { # label, name of the array of seconds
    local -n of="$2"
    [ -n "${of[minimal]:-}" ] || return 0
    local minimal_s m line
    minimal_s="$(tr ' ' '\n' <<<"${of[minimal]}" | grep . | median)"
    line="$1, median of $rounds:  minimal ${minimal_s}s"
    for tool in text app base; do
        [ -n "${of[$tool]:-}" ] || continue
        m="$(tr ' ' '\n' <<<"${of[$tool]}" | grep . | median)"
        line+="  $tool ${m}s ($tool/minimal $(ratio "$m" "$minimal_s"))"
    done
    echo "$line"
}
report "start to first window" times
report "start to first picture" pictures
# Where the start goes beyond the minimal program's; no ratio, as the empty window's time is near nil.
if [ -n "${windows[minimal]:-}" ]; then
    line="application object to first window, median of $rounds:"
    for tool in minimal text app base; do
        [ -n "${windows[$tool]:-}" ] && line+="  $tool $(tr ' ' '\n' <<<"${windows[$tool]}" | grep . | median)s"
    done
    start_s="$(tr ' ' '\n' <<<"${times[minimal]}" | grep . | median)"
    window_s="$(tr ' ' '\n' <<<"${windows[minimal]}" | grep . | median)"
    # With loading and Qt's set-up alike, a start within 1.2 times the minimal one leaves this much.
    line+="  (within 1.2x: $(awk "BEGIN { printf \"%.4f\", $window_s + 0.2 * $start_s }")s)"
    echo "$line"
fi
# Every shared object loaded before main is searched at each of the start's symbol look-ups.
objects="shared objects loaded at start:  minimal $(ldd "$minimal" | wc -l)  app $(ldd "$app" | wc -l)"
[ -n "${BASELINE_APP:-}" ] && objects+="  base $(ldd "$BASELINE_APP" | wc -l)"
echo "$objects"

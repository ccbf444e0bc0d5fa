#!/usr/bin/env bash
# Memory checks under valgrind memcheck. Usage: scripts/memcheck.sh BUILD_DIR
#
# Builds geometrija, geometrija-lab and geometrija-cli in BUILD_DIR (configured here, warnings as errors, when it holds no
# build yet; a sanitizer build is refused, valgrind cannot run it), then:
# - runs geometrija-cli on every pair in examples/, in a scratch copy of its folder, three times: the
#   meeting points, --json, and --exact with --svg and --figure; and once on each kind of file the reader
#   refuses. That is the whole numeric pipeline: reading, sampling, the search, the hulls, the scene and
#   its export.
#   No suppressions: any error, or any block definitely lost, fails;
# - runs the program itself under Xvfb on examples/default, waits for its first frame, closes the window
#   as a window manager does (the program then exits) and fails on any error or definitely lost block
#   left after scripts/valgrind-graphics.supp, which removes only what belongs to Mesa and the loader;
# - runs the lab the same way, with a control point dragged, added and removed and the search stepped
#   through before the window is closed.
# Prints one line per run and exits non-zero if any run failed. Logs are kept in a temporary folder, named
# on failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build=$(mkdir -p "$1" && cd "$1" && pwd)

source "$root/scripts/deps.sh"
install_deps test
source "$root/scripts/xvfb.sh"

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DGEOMETRIJA_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
if grep -q '^GEOMETRIJA_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
    echo "$build is a sanitizer build; valgrind needs a plain one" >&2
    exit 2
fi
cmake --build "$build" --target geometrija geometrija-lab geometrija-cli >/dev/null

work=$(mktemp -d /tmp/geometrija-memcheck-XXXXXX)
failures=0
trap 'stop_xvfb; [ "$failures" -eq 0 ] && rm -rf "$work"' EXIT

# --error-exitcode: any error (invalid access, uninitialised value, bad free, definite leak) changes the
# exit status; the runs on refused files expect status 1 from the program, so there the error status is 99.
memcheck_options=(--leak-check=full --errors-for-leak-kinds=definite --show-leak-kinds=definite,indirect,possible
    --track-origins=yes --num-callers=40)

# leak_bytes LOG KIND: the bytes the leak summary gives for KIND ("definitely", "indirectly"), 0 without one
leak_bytes() {
    local value
    value=$(sed -n "s/^==[0-9]*== *$2 lost: \([0-9,]*\) bytes.*/\1/p" "$1" | tr -d ,)
    echo "${value:-0}"
}

# report NAME LOG STATUS EXPECTED SECONDS: one line for the run; counts a failure when the status is not
# the expected one, or valgrind saw any error or definitely lost block
report() {
    local name=$1 log=$2 status=$3 expected=$4 seconds=$5
    local errors definite indirect suppressed verdict=ok
    errors=$(sed -n 's/^==[0-9]*== ERROR SUMMARY: \([0-9]*\) errors.*/\1/p' "$log")
    suppressed=$(sed -n 's/^==[0-9]*== ERROR SUMMARY: .*(suppressed: \([0-9]*\) from.*/\1/p' "$log")
    definite=$(leak_bytes "$log" definitely)
    indirect=$(leak_bytes "$log" indirectly)
    if [ -z "$errors" ]; then
        errors="?"
        verdict="FAILED (no valgrind summary)"
    elif [ "$status" -ne "$expected" ] || [ "$errors" -ne 0 ] || [ "$definite" -ne 0 ]; then
        verdict="FAILED (exit status $status, expected $expected)"
    fi
    printf 'memcheck %-38s errors %s (suppressed %s), definitely lost %s B, indirectly lost %s B, %s s: %s\n' \
        "$name" "$errors" "${suppressed:-0}" "$definite" "$indirect" "$seconds" "$verdict"
    if [ "$verdict" != ok ]; then
        failures=$((failures + 1))
        echo "  log: $log" >&2
        grep -E '^==[0-9]+== +(Invalid|Conditional|Use of|Mismatched|[0-9,]+ .*definitely lost)' "$log" | head -n 20 >&2 || true
    fi
}

seconds_since() { echo "$(date +%s.%N) $1" | awk '{ printf "%.1f", $1 - $2 }'; }

# cli_run NAME FOLDER EXPECTED ERROR_EXIT [OPTIONS...]: geometrija-cli in FOLDER under valgrind
cli_run() {
    local name=$1 folder=$2 expected=$3 error_exit=$4
    shift 4
    local log="$work/${name//[^A-Za-z0-9]/_}.log" status=0 start
    start=$(date +%s.%N)
    (cd "$folder" && valgrind --error-exitcode="$error_exit" "${memcheck_options[@]}" --log-file="$log" \
        "$build/geometrija-cli" "$@" >"$log.out" 2>"$log.err") || status=$?
    report "$name" "$log" "$status" "$expected" "$(seconds_since "$start")"
}

# --- the numeric pipeline, every example ---
for example in "$root"/examples/*/; do
    name=$(basename "$example")
    folder="$work/cli-$name"
    mkdir -p "$folder"
    cp "$example"/kriva1.txt "$example"/kriva2.txt "$folder"/
    cli_run "cli $name" "$folder" 0 1
    cli_run "cli $name --json" "$folder" 0 1 --json
    cli_run "cli $name --exact --svg --figure" "$folder" 0 1 --exact --svg "$folder/scene.svg" \
        --figure "$folder/figure.svg" --labels
done

# --- files the reader refuses: the process ends through exit(1) after freeing what it read ---
refused="$work/cli-refused"
mkdir -p "$refused"
cp "$root/examples/default/kriva1.txt" "$refused/"
printf '2\n0 0\nnan 1\n' >"$refused/bad.txt"
printf '33\n' >"$refused/many.txt"
cli_run "cli refused: missing file" "$refused" 1 99 kriva1.txt missing.txt
cli_run "cli refused: too many points" "$refused" 1 99 kriva1.txt many.txt
cli_run "cli refused: bad coordinate" "$refused" 1 99 kriva1.txt bad.txt
mkdir -p "$refused/folder.txt"
cli_run "cli refused: a folder" "$refused" 1 99 kriva1.txt folder.txt

# --- the program itself, under Xvfb, on examples/default ---
# Mesa in software: softpipe is the quickest driver under valgrind (llvmpipe spends its time compiling
# shaders that valgrind then has to translate: about 12 s against 5 s here).
# window_run NAME PROGRAM TITLE [XDOTOOL-ACTION...]: PROGRAM in a folder with examples/default, under Xvfb;
# once its first frame is drawn the actions run (each an xdotool command, with WINDOW for the window's id),
# then the window is closed as a window manager closes it.
window_run() {
    local name=$1 program=$2 title=$3
    shift 3
    local folder="$work/window-$name" log="$work/window_$name.log" status=0 start id="" pid note=""
    mkdir -p "$folder"
    cp "$root/examples/default/kriva1.txt" "$root/examples/default/kriva2.txt" "$folder"/
    start_xvfb
    start=$(date +%s.%N)
    (cd "$folder" && exec env LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=softpipe \
        valgrind --error-exitcode=1 "${memcheck_options[@]}" --keep-debuginfo=yes \
        --suppressions="$root/scripts/valgrind-graphics.supp" --log-file="$log" \
        $program >"$log.out" 2>"$log.err") &
    pid=$!
    # under valgrind the window may take longer than one wait_for_window allows
    for _ in 1 2 3; do
        id=$(wait_for_window "$title") && break
        kill -0 "$pid" 2>/dev/null || break
    done
    if [ -z "$id" ]; then
        note="no window appeared"
    elif ! capture_window "$id" "$work/window-$name.png"; then
        note="no frame drawn"
    fi
    if [ -n "$id" ]; then
        local action
        for action in "$@"; do
            # shellcheck disable=SC2086
            xdotool ${action//WINDOW/$id} >/dev/null 2>&1 || note="${note:+$note; }xdotool $action failed"
        done
        # a lab run with --frame-times says on standard error when it has drawn the dragged frames; the
        # window is closed only then, or the close could overtake the events still queued
        if [[ " $program " == *--frame-times* ]]; then
            local polled=0
            while ! grep -q "motion-to-frame" "$log.err" && [ "$polled" -lt 600 ]; do
                sleep 0.1
                polled=$((polled + 1))
            done
            grep -q "motion-to-frame" "$log.err" || note="${note:+$note; }no dragged frame was drawn"
            capture_window "$id" "$work/window-$name-edited.png" || true
        fi
        close_window "$id"
    fi
    # the program exits once the window closes; a close lost on the way is sent again
    local waited=0
    while kill -0 "$pid" 2>/dev/null && [ "$waited" -lt 600 ]; do
        sleep 0.1
        waited=$((waited + 1))
        if [ -n "$id" ] && [ $((waited % 100)) -eq 0 ]; then close_window "$id" 2>/dev/null || true; fi
    done
    if kill -0 "$pid" 2>/dev/null; then
        note="${note:+$note; }still running after the window was closed"
        kill "$pid" 2>/dev/null || true
    fi
    wait "$pid" || status=$?
    stop_xvfb
    if [ -n "$note" ]; then
        failures=$((failures + 1))
        echo "memcheck window $name: FAILED ($note); log: $log" >&2
    fi
    report "window $name" "$log" "$status" 0 "$(seconds_since "$start")"
}
window_run default "$build/geometrija" "Geometrija - prikaz zadatka"
# the lab, edited as a user edits: a control point dragged, a point added and removed, the search stepped
# through, the exact crossings shown, the view zoomed and fitted, the keys listed
window_run lab "$build/geometrija-lab --frame-times" "Geometrija - laboratorija" \
    "mousemove --window WINDOW 89 645" "mousedown 1" "mousemove --window WINDOW 150 600" \
    "mousemove --window WINDOW 300 560" "mouseup 1" "keydown shift" "mousemove --window WINDOW 500 200" \
    "click 1" "keyup shift" "mousemove --window WINDOW 500 200" "click 3" "key --window WINDOW n" \
    "key --window WINDOW n" "key --window WINDOW x" "click 4" "click 5" "key --window WINDOW f" \
    "key --window WINDOW h" "key --window WINDOW p"

if [ "$failures" -ne 0 ]; then
    echo "memcheck: $failures run(s) failed; logs in $work" >&2
    exit 1
fi
echo "memcheck: all runs clean"

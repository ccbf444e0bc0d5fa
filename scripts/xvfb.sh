# Helpers for showing the program's window without a screen (sourced by the other scripts).

# Starts Xvfb on a free display; sets DISPLAY and XVFB_PID. -noreset keeps the server steady between
# clients, -displayfd makes it pick the display and say when it is ready.
start_xvfb() {
    local fifo
    fifo=$(mktemp -u /tmp/geometrija-xvfb-XXXXXX)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -noreset -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
    XVFB_PID=$!
    local number
    read -r -t 20 number <"$fifo" || { rm -f "$fifo"; echo "Xvfb did not start" >&2; return 1; }
    rm -f "$fifo"
    export DISPLAY=":$number"
}

stop_xvfb() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
}

# Prints the id of the window with the given title, waiting up to 20 s for it to appear.
wait_for_window() {
    local title=$1 id=""
    for _ in $(seq 200); do
        id=$(xdotool search --name "^$title\$" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# Saves the window as a PNG once its first frame is drawn. A mapped window shows nothing of the program
# until then, and a frame may be caught half copied: wait until the background (230 230 204) shows and two
# captures in a row agree.
capture_window() {
    local id=$1 png=$2 current previous
    current=$(mktemp /tmp/geometrija-capture-XXXXXX)
    previous=$(mktemp /tmp/geometrija-capture-XXXXXX)
    for _ in $(seq 400); do
        if xwd -silent -id "$id" 2>/dev/null | xwdtopnm >"$current" 2>/dev/null && [ -s "$current" ]; then
            if cmp -s "$current" "$previous" &&
                ppmhist -noheader "$current" 2>/dev/null | awk '$1 == 230 && $2 == 230 && $3 == 204 { found = 1 } END { exit !found }'; then
                pnmtopng <"$current" >"$png" 2>/dev/null
                rm -f "$current" "$previous"
                return 0
            fi
            cp "$current" "$previous"
        fi
        sleep 0.05
    done
    rm -f "$current" "$previous"
    return 1
}

# Asks the window to close the way a window manager does (WM_DELETE_WINDOW).
close_window() {
    /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/close_window.py" "$1"
}

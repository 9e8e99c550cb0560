# Sourced by the Windows tests that drive windows under Wine: an X display of their own, Wine's server started
# anew on it, and waiting for windows by title; and by run.sh for the Wine server alone. A test that drives
# windows sets $work (screenshots land there) and calls begin_test.
shot=0
display_pid=
# A clean $work, the display stopped on exit, and any failed step (or fail MESSAGE) reported with its
# screenshots under LABEL.
begin_test() { # LABEL
    test_label=$1
    rm -rf "$work"
    mkdir -p "$work"
    fail() {
        screenshot failed
        echo "$test_label: $* (screenshots in $work)" >&2
        exit 1
    }
    trap stop_display EXIT
    trap 'fail "the step at line $LINENO failed"' ERR
}
screenshot() { # NAME: kept for whoever reads a failure (where ImageMagick is installed)
    shot=$((shot + 1))
    ! command -v import >/dev/null || import -display "$DISPLAY" -window root "$work/$shot-$1.png" 2>/dev/null || true
}
stop_display() {
    [ -z "$display_pid" ] || kill "$display_pid" 2>/dev/null || true
}
# Wine's server, started away from our output (a test's output would stay open in it).
restart_wine_server() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true # the old one gone first, or the new one would not start
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1
}
# An X display of our own; its number comes back on a descriptor, so two runs never collide. Wine's desktop
# process belongs to the server: start both anew on this display.
start_display() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" </dev/null >/dev/null 2>&1 &
    display_pid=$!
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || fail "Xvfb did not start"
    DISPLAY=":$(cat "$work/display")"
    export DISPLAY
    restart_wine_server
}
# A visible window by its whole title and a range of heights (the version choice and the main window share
# one title), waited for generously: a busy two-core machine may take a while.
window() { # TITLE LOWEST HIGHEST [SECONDS]
    local id height
    for _ in $(seq $((${4:-60} * 4))); do
        for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
            height=$(xdotool getwindowgeometry --shell "$id" 2>/dev/null | sed -n 's/^HEIGHT=//p')
            if [ -n "$height" ] && [ "$height" -ge "$2" ] && [ "$height" -le "$3" ]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.25
    done
    return 1
}
gone() { # WINDOW_ID
    for _ in $(seq 240); do
        xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
        xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1" || return 0
        sleep 0.25
    done
    return 1
}

#!/usr/bin/env bash
# The command line in a console window: Wine's console on a terminal that tmux keeps, read back as the
# screen shows it. While a search on a silent line goes on, its progress is one line, rewritten; when the
# search ends, nothing of it is left beside what follows; a path with a non-ASCII letter shows as typed.
# Usage: console_progress.sh "WINDOWS_CLI COMMAND" SILENT_PORT ANSWERING_PORT
set -euo pipefail
windows_cli=$1 silent=$2 answering=$3
# A tmux server of its own for each screen: a new one started while the last is still ending would fail.
servers=0
finish() {
    for n in $(seq "$servers"); do tmux -L "meshgate2-console-$$-$n" kill-server 2>/dev/null || true; done
}
trap finish EXIT
fail() {
    echo "console progress: $1"
    printf '%s\n' "$2"
    exit 1
}

# The screen of one search, once `ready` (a pattern) shows, and what it shows when the program ended.
screen() { # PORT PATTERN [OPTIONS]
    servers=$((servers + 1))
    local server="meshgate2-console-$$-$servers"
    tmux -L "$server" new-session -d -x 150 -y 20 "$windows_cli --port $1 ${3:-} search; echo END; sleep 600"
    for _ in $(seq 600); do
        tmux -L "$server" capture-pane -p | grep -q "$2" && break
        sleep 0.1
    done
    tmux -L "$server" capture-pane -p
    tmux -L "$server" kill-server
}

# A silent line: each of the seven addresses takes its three attempts, the search ten seconds in all.
during=$(screen "$silent" 'slave address 95')
[ "$(grep -c 'Searching' <<<"$during")" = 1 ] || fail "more or less than one progress line" "$during"
grep -q "^Searching $silent: slave address 95 (3 of 7)\.\.\. *\$" <<<"$during" ||
    fail "the progress line is not rewritten in place" "$during"
after=$(screen "$silent" END)
! grep -q 'Searching\|\[K' <<<"$after" || fail "the progress is left on the screen" "$after"
grep -q "^meshgate2-cli: No device found on $silent" <<<"$after" || fail "no report at the line's start" "$after"

after=$(screen "$answering" END)
! grep -q 'Searching\|\[K' <<<"$after" || fail "the progress is left on the screen" "$after"
grep -q "^Device: *$answering\$" <<<"$after" || fail "the report does not begin at the line's start" "$after"
after=$(screen "$answering" END '--capture C:\\Jürgen\\missing\\line.pcap')
grep -q 'cannot write --capture C:\\Jürgen\\missing\\line.pcap' <<<"$after" || fail "the path is not shown as typed" "$after"
echo "console: one progress line while searching, nothing left after; a non-ASCII path as typed"

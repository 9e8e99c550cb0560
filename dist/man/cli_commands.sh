#!/bin/sh
# cli_commands.sh MESHGATE2-CLI OUTPUT: writes a help2man include with a COMMANDS section made from the
# program's own help, each command that `--help` lists with the description, arguments and options of
# its `<command> --help`, so the manual follows the program without being edited.
set -eu
cli=$1
exec >"$2"
printf '[COMMANDS]\n'
"$cli" --help | awk '/^Subcommands:/ { on = 1; next } /^[^ ]/ { on = 0 } on && /^  [a-z]/ { print $1 }' |
    while read -r command; do
        "$cli" "$command" --help | awk '
            # Text as roff reads it: backslashes escaped, no line taken for a request; in option names a
            # hyphen is a minus sign.
            function roff(s) { gsub(/\\/, "\\e", s); if (s ~ /^[.'"'"']/) s = "\\&" s; return s }
            function name(s) { s = roff(s); gsub(/-/, "\\-", s); return s }
            function flush() { if (item != "") printf ".TP\n\\fB%s\\fR\n%s\n", name(item), roff(desc); item = "" }
            NR == 1 { description = $0; next }
            /^Usage: / { sub(/^Usage: [^ ]+ /, ""); printf ".SS \"%s\"\n%s\n", name($0), roff(description); next }
            /^[A-Z][A-Za-z ]*:$/ { flush(); keep = ($0 == "Options:" || $0 == "Positionals:"); next }
            !keep { next }
            /^      / { sub(/^ +/, ""); desc = desc == "" ? $0 : desc " " $0; next }
            /^  [^ ]/ {
                flush()
                line = substr($0, 3)
                if (match(line, /  +/)) { item = substr(line, 1, RSTART - 1); desc = substr(line, RSTART + RLENGTH) }
                else { item = line; desc = "" }
                if (item ~ /^-h,--help/) item = ""
            }
            END { flush() }'
    done

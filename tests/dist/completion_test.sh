#!/usr/bin/env bash
# completion_test.sh COMPLETION MESHGATE2-CLI: the installed bash completion offers what the program takes
# (every command and option its help lists), COM names after --port and serial devices after --device.
set -uo pipefail
# shellcheck source=/dev/null
source "$1" || exit 1
cli=$2
failures=0

# The completions offered for a command line whose last word is being typed.
offered()
{
    COMP_WORDS=(meshgate2-cli "$@")
    COMP_CWORD=$#
    COMPREPLY=()
    _meshgate2_cli
    printf '%s\n' "${COMPREPLY[@]}"
}

expect_offered()
{
    local want=$1
    shift
    if ! offered "$@" | grep -xF -- "$want" >/dev/null; then
        echo "FAIL: 'meshgate2-cli $*' does not offer '$want'"
        failures=$((failures + 1))
    fi
}

commands=$("$cli" --help | awk '/^Subcommands:/ { on = 1; next } /^[^ ]/ { on = 0 } on && /^  [a-z]/ { print $1 }')
[ -n "$commands" ] || { echo "FAIL: no commands in 'meshgate2-cli --help'"; exit 1; }
long_options() { grep -oE -- '(^|[ ,])--[a-z][a-z-]*' | grep -oE -- '--[a-z-]+' | sort -u; }
for option in $("$cli" --help | long_options); do
    expect_offered "$option" --
done
for command in $commands; do
    expect_offered "$command" ""
    for option in $("$cli" "$command" --help | long_options); do
        expect_offered "$option" "$command" --
    done
done

for n in 1 5 9; do
    expect_offered "COM$n" --port ""
    expect_offered "COM$n" --json --port = C # as bash splits "--port=C"
    expect_offered "COM$n" assign ""
done
expect_offered /dev/tty --device /dev/tt
expect_offered /dev/tty --timeout 400 assign COM1 /dev/tt
expect_offered current --range c
if offered --port COM1 read "" | grep . >/dev/null; then
    echo "FAIL: 'meshgate2-cli --port COM1 read' offers more words"
    failures=$((failures + 1))
fi

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "completion offers every command and option"

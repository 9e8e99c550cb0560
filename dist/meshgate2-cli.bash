# bash completion for meshgate2-cli
#
# What the program takes; a new command or option is one more word here (and, for an option followed by a
# value, in _meshgate2_cli_value_options; _meshgate2_cli_value says what completes the value, if anything).
_meshgate2_cli_commands="ports search read apply backup restore assign"
_meshgate2_cli_global_options="--help --version --port --device --range --json --trace --capture --log --timeout --slave --quiet"
_meshgate2_cli_apply_options="--address --baud --exchange --mode --ip --mask --gateway"
_meshgate2_cli_assign_options="--clear"
_meshgate2_cli_value_options="--port --device --capture --log --range --timeout --slave --address --baud --exchange --mode --ip --mask --gateway"

_meshgate2_cli_com_names()
{
    compgen -W "COM1 COM2 COM3 COM4 COM5 COM6 COM7 COM8 COM9" -- "$1"
}

# Serial devices; a started path outside /dev may be any file (a simulator's link, say).
_meshgate2_cli_devices()
{
    local d
    for d in /dev/tty* /dev/serial/by-id/*; do
        [ -e "$d" ] && [[ $d == "$1"* ]] && printf '%s\n' "$d"
    done
    [ -n "$1" ] && [[ $1 != /dev/* ]] && compgen -f -- "$1"
    return 0
}

_meshgate2_cli_takes_value()
{
    [[ " $_meshgate2_cli_value_options " == *" $1 "* ]]
}

# The value of option $1 that starts with $2.
_meshgate2_cli_value()
{
    case $1 in
    --port) _meshgate2_cli_com_names "$2" ;;
    --device) _meshgate2_cli_devices "$2" ;;
    --range) compgen -W "legacy current" -- "$2" ;;
    --mode) compgen -W "static dhcp" -- "$2" ;;
    --baud) compgen -W "500 250 125 auto" -- "$2" ;;
    --capture | --log) compgen -f -- "$2" ;;
    esac
    return 0
}

_meshgate2_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    # "--port=CO" reaches us as "--port" "=" "CO".
    if [ "$prev" = "=" ] && [ "$COMP_CWORD" -ge 2 ]; then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    elif [ "$cur" = "=" ]; then
        prev=${COMP_WORDS[COMP_CWORD - 1]}
        cur=""
    fi
    if _meshgate2_cli_takes_value "$prev"; then
        mapfile -t COMPREPLY < <(_meshgate2_cli_value "$prev" "$cur")
        return
    fi

    # The command and the arguments after it, skipping options and their values.
    local command="" i word
    local -a arguments=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [ "$word" = "=" ]; then
            ((i++))
        elif [[ $word == -* ]]; then
            _meshgate2_cli_takes_value "$word" && [ "${COMP_WORDS[i + 1]:-}" != "=" ] && ((i++))
        elif [ -z "$command" ]; then
            command=$word
        else
            arguments+=("$word")
        fi
    done

    if [[ $cur == -* ]]; then
        local options=$_meshgate2_cli_global_options
        local own="_meshgate2_cli_${command}_options"
        [[ $command =~ ^[a-z]+$ ]] && options+=" ${!own:-}"
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return
    fi
    case $command in
    "") mapfile -t COMPREPLY < <(compgen -W "$_meshgate2_cli_commands" -- "$cur") ;;
    assign)
        if [ ${#arguments[@]} -eq 0 ]; then
            mapfile -t COMPREPLY < <(_meshgate2_cli_com_names "$cur")
        elif [ ${#arguments[@]} -eq 1 ]; then
            mapfile -t COMPREPLY < <(_meshgate2_cli_devices "$cur")
        fi
        ;;
    backup | restore)
        if [ ${#arguments[@]} -eq 0 ]; then
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        fi
        ;;
    esac
}
complete -F _meshgate2_cli meshgate2-cli

# bash completion of tq7350ctl: the options, the commands, each command's own
# options, serial devices after --port and files where a file is expected.
# The lists below are those of the program's option and command tables
# (cli/CliOptions.cpp, cli/CommandTable.cpp); tests/cli/test_Completion.cpp
# fails when they differ.

# Options of every command.
_tq7350ctl_global_options="--port --socket --sim --sim-state --timeout --retry --serial-log --lang --json --register --no-register --quiet -q --help -h --version"
# Options followed by a value.
_tq7350ctl_value_options="--port --socket --sim-state --timeout --retry --serial-log --lang --seq --history --serial-no --station-id --user-id --count --channels --conc --register --due-within --run --out"
_tq7350ctl_commands="help ports read write clock history readings zero span default clear-logger clear-power power-off flash-check logger dump-list recover stations users register"
# Commands followed by a file name.
_tq7350ctl_file_commands="write logger dump-list stations users register"

# The own options of the command $1.
_tq7350ctl_command_options() {
    case $1 in
    read) echo "--seq --history" ;;
    write) echo "--history --id --serial-no --station-id --user-id --no-verify --dry-run" ;;
    clock) echo "--set" ;;
    readings) echo "--count" ;;
    span) echo "--channels --conc" ;;
    default | clear-logger | clear-power | power-off | flash-check) echo "--yes" ;;
    recover) echo "--finish --restore" ;;
    stations | users) echo "--no-verify --force" ;;
    register) echo "--due-within --run --out" ;;
    esac
}

_tq7350ctl() {
    local cur prev words cword
    _init_completion -s || return

    case $prev in
    --port)
        # The USB adapters first; any device or file (an emulator's link).
        COMPREPLY=($(compgen -G "${cur:-/dev/tty}*" | grep -E '^/dev/tty(USB|ACM)' || true))
        [[ ${#COMPREPLY[@]} -gt 0 ]] || _filedir
        return
        ;;
    --sim-state | --serial-log | --register)
        _filedir
        return
        ;;
    --out)
        _filedir pdf
        return
        ;;
    --seq)
        _filedir seq
        return
        ;;
    --lang)
        COMPREPLY=($(compgen -W "en ja" -- "$cur"))
        return
        ;;
    --socket | --timeout | --retry | --history | --serial-no | --station-id | --user-id | --count | --channels | --conc | --due-within | --run)
        # A value only the user knows.
        return
        ;;
    esac

    # The command: the first word that is neither an option nor its value.
    local i command=""
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
        --*=*) ;;
        -*)
            [[ " $_tq7350ctl_value_options " == *" ${words[i]} "* ]] && ((i++))
            ;;
        *)
            command=${words[i]}
            break
            ;;
        esac
    done

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$_tq7350ctl_global_options $(_tq7350ctl_command_options "$command")" -- "$cur"))
        return
    fi
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$_tq7350ctl_commands" -- "$cur"))
        return
    fi
    # The list commands take their action before the file.
    if [[ $command == stations || $command == users ]] && ((cword == i + 1)); then
        COMPREPLY=($(compgen -W "export import" -- "$cur"))
        return
    fi
    if [[ $command == register ]]; then
        # register list | show SERIAL | certificate SERIAL | export FILE
        if ((cword == i + 1)); then
            COMPREPLY=($(compgen -W "list show certificate export" -- "$cur"))
        elif [[ ${words[i + 1]} == export ]]; then
            _filedir csv
        fi
        return
    fi
    # The command's file: a settings file for write, a new file otherwise.
    if [[ " $_tq7350ctl_file_commands " == *" $command "* ]]; then
        if [[ $command == write ]]; then
            _filedir seq
        else
            _filedir
        fi
    fi
} &&
    complete -F _tq7350ctl tq7350ctl

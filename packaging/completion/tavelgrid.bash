# Bash completion for tavelgrid and its tools: their options, serial ports and baud rates.
# Installed once and linked under each tool's name, so bash-completion finds it for each.

_tavelgrid_ports()
{
    local p found=()
    # The simulator announces its ports here, beside the serial devices.
    for p in /dev/ttyUSB* /dev/ttyACM* /dev/ttyS* /dev/ttyAMA* /dev/rfcomm* \
             /dev/serial/by-id/* /dev/serial/by-path/* \
             "${XDG_RUNTIME_DIR:-/tmp/tavelgrid-$UID}"/tavelgrid/ports/* "/tmp/tavelgrid-$UID/ports"/*; do
        [[ -e $p ]] && found+=("$p")
    done
    COMPREPLY+=($(compgen -W "${found[*]}" -- "$1"))
}

_tavelgrid_bauds()
{
    COMPREPLY+=($(compgen -W "300 1200 2400 4800 9600 19200 38400 57600 115200 230400 460800 921600" -- "$1"))
}

_tavelgrid_complete()
{
    local command=${1##*/} cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local options positional=0
    COMPREPLY=()
    case $command in
        tavelgrid) options="--port --baud --connect --settings --status --release --wait --help --help-all --version" ;;
        tavelgrid-sim) options="--rate --replay --noise --duration --link --quiet --control --unplug-every --away --help" ;;
        tavelgrid-monitor) options="--quiet --json --stats --send --for --count --help"; positional=1 ;;
        tavelgrid-term) options="--help"; positional=1 ;;
    esac
    case $prev in
        --port) _tavelgrid_ports "$cur"; return ;;
        --baud) _tavelgrid_bauds "$cur"; return ;;
        --settings | --replay) compopt -o filenames 2>/dev/null; COMPREPLY=($(compgen -f -- "$cur")); return ;;
        --rate | --noise | --duration | --link | --unplug-every | --away | --send | --for | --count) return ;; # a number or a name of the user's
    esac
    if [[ $cur == -* || $positional -eq 0 ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    # PORT, then BAUD: count the words before this one that are not options.
    local i words=0
    for ((i = 1; i < COMP_CWORD; ++i)); do
        [[ ${COMP_WORDS[i]} == -* ]] || ((++words))
    done
    case $words in
        0) _tavelgrid_ports "$cur" ;;
        1) _tavelgrid_bauds "$cur" ;;
    esac
}

complete -F _tavelgrid_complete tavelgrid tavelgrid-sim tavelgrid-monitor tavelgrid-term

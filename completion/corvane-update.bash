# bash completion for corvane-update

_corvane_update() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    # bash splits --port=/dev/tty at the "=": take the option before it as the one completed.
    if [[ $cur == = ]]; then
        cur=
    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi
    COMPREPLY=()

    case $prev in
        -f | --family)
            mapfile -t COMPREPLY < <(compgen -W '31 K31 47 K47' -- "$cur")
            return
            ;;
        -p | --port)
            local device devices=()
            for device in /dev/ttyS* /dev/ttyUSB* /dev/ttyACM* /dev/serial/by-id/*; do
                [[ -c $device ]] && devices+=("$device")
            done
            mapfile -t COMPREPLY < <(compgen -W '${devices[@]}' -- "$cur")
            return
            ;;
        -b | --baud)
            mapfile -t COMPREPLY < <(compgen -W '19200 38400 57600 115200 230400' -- "$cur")
            return
            ;;
        --record)
            _corvane_update_files jsonl
            return
            ;;
        --count | --match)
            return
            ;;
        -r | --registry)
            _corvane_update_files reg
            return
            ;;
        -s | --set-name)
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W '--family --port --baud --registry --set-name
            --trace --quiet --list-ports --check --version --help --all --match --watch --count
            --record' -- "$cur")
        return
    fi
    _corvane_update_files prm
}

# Files with the extension (in either case) and folders to look into, as file names, so that
# names with blanks stay whole and folders get their slash.
_corvane_update_files() {
    local extension=$1 name
    compopt -o filenames 2>/dev/null
    while IFS= read -r name; do
        if [[ -d $name || ${name,,} == *."$extension" ]]; then
            COMPREPLY+=("$name")
        fi
    done < <(compgen -f -- "$cur")
}

complete -F _corvane_update corvane-update

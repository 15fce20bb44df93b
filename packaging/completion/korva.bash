# bash completion for korva.
# Commands, options and the values of options are read from korva's own
# --help texts, so they follow the program as it changes; --port offers the
# ports `korva ports` finds.

# The usage lines and option lines of a help text: "usage:" and its indented
# continuation, then every indented line that starts with an option.
_korva_option_lines() {
    "$1" "${@:2}" --help 2>/dev/null | awk '
        /^usage:/ { usage = 1; print; next }
        usage && /^[ \t]/ { print; next }
        { usage = 0 }
        /^[ \t]+-/ { print }'
}

# The command names of `korva --help`: "  logo upload    store ..." -> "logo upload".
_korva_commands() {
    "$1" --help 2>/dev/null | sed -n 's/^  \([a-z][a-z-]*\( [a-z][a-z-]*\)*\)  .*/\1/p'
}

# The values an option names in the help: "--flow F   hw|sw|none" or
# "[--size normal|double-width|...]".
_korva_option_values() {
    local lines=$1 option=$2
    grep -oE -- "(^|[^-a-z])$option([ =][^ ]+)?( +[A-Z][A-Z.]*)? +[A-Za-z0-9.-]+(\|[A-Za-z0-9.-]+)+" <<<"$lines" |
        grep -oE -- '[A-Za-z0-9.-]+(\|[A-Za-z0-9.-]+)+$' | head -n 1 | tr '|' '\n'
}

_korva() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local korva=${COMP_WORDS[0]}
    local option=""
    # "--flow=n" arrives as "--flow" "=" "n" where '=' breaks words.
    if [[ $cur == "=" ]]; then
        option=$prev
        cur=""
    elif [[ $prev == "=" && $COMP_CWORD -ge 2 ]]; then
        option=${COMP_WORDS[COMP_CWORD - 2]}
    elif [[ $cur == --*=* ]]; then
        option=${cur%%=*}
        cur=${cur#*=}
    fi

    # The command: the longest run of leading words that names one.
    local commands typed="" command="" i first=1
    commands=$(_korva_commands "$korva")
    # Common options may come before the command; "korva help CMD" names one.
    while [[ $first -lt $COMP_CWORD && ${COMP_WORDS[first]} == -* ]]; do ((first++)); done
    local asking_help=""
    if [[ $first -lt $COMP_CWORD && ${COMP_WORDS[first]} == help ]]; then
        asking_help=1
        ((first++))
    fi
    for ((i = first; i < COMP_CWORD; i++)); do
        [[ ${COMP_WORDS[i]} == -* ]] && break
        typed+="${typed:+ }${COMP_WORDS[i]}"
        grep -qxF -- "$typed" <<<"$commands" && command=$typed
    done
    if [[ -n $asking_help && -n $command ]]; then
        return
    fi
    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            local top
            top=$("$korva" --help 2>/dev/null | grep -oE -- '(^|[^-a-zA-Z0-9])--?[a-zA-Z][a-zA-Z0-9-]*' |
                grep -oE -- '--?[a-zA-Z][a-zA-Z0-9-]*'; echo --help)
            COMPREPLY=($(compgen -W "$(sort -u <<<"$top")" -- "$cur"))
            return
        fi
        # The next word of a command that begins with the words typed.
        local next
        next=$(sed -n "s/^${typed:+$typed }\([^ ]*\).*/\1/p" <<<"$commands" | sort -u)
        [[ -z $typed && -z $asking_help && $first -eq 1 ]] && next+=" help"
        COMPREPLY=($(compgen -W "$next" -- "$cur"))
        return
    fi

    local lines
    lines=$(_korva_option_lines "$korva" $command)
    [[ -z $option && $prev == -* ]] && option=$prev
    # A short option stands for the long one beside it ("-p, --port P").
    if [[ $option == -[a-zA-Z] ]]; then
        local long
        long=$(grep -oE -- "(^|[^-a-zA-Z])$option, --[a-z][a-z0-9-]*" <<<"$lines" | head -n 1)
        [[ -n $long ]] && option=${long##* }
    fi
    if [[ -n $option ]]; then
        # Does the option take a value? Its line shows one after the name.
        local takes
        takes=$(grep -E -- "(^|[^-a-z])$option[ =][A-Za-z0-9<]" <<<"$lines" | head -n 1)
        if [[ -n $takes ]]; then
            case $option in
                --port)
                    COMPREPLY=($(compgen -W "$("$korva" ports 2>/dev/null | awk '{print $2}') USB ETHERNET_II" -- "$cur"))
                    ;;
                *)
                    local values
                    values=$(_korva_option_values "$lines" "$option")
                    if [[ -n $values ]]; then
                        COMPREPLY=($(compgen -W "$values" -- "$cur"))
                    else
                        compopt -o filenames 2>/dev/null
                        COMPREPLY=($(compgen -f -- "$cur"))
                    fi
                    ;;
            esac
            return
        fi
    fi
    if [[ $cur == -* ]]; then
        local options
        options=$(grep -oE -- '(^|[^-a-zA-Z0-9])--?[a-zA-Z][a-zA-Z0-9-]*' <<<"$lines" |
            grep -oE -- '--?[a-zA-Z][a-zA-Z0-9-]*'; echo --help)
        COMPREPLY=($(compgen -W "$(sort -u <<<"$options")" -- "$cur"))
        return
    fi
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -f -- "$cur"))
}
complete -F _korva korva

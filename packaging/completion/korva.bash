# bash completion for korva.
# korva itself says what fits (`korva __complete WORD...`), from the tables its
# --help is printed from: commands, options, the values an option takes (baud
# rates, models, ports, logo numbers, listed choices), settings for
# `setup write`, and file names only where a file is taken.

_korva() {
    local korva=${COMP_WORDS[0]} cur=${COMP_WORDS[COMP_CWORD]}
    # bash splits "--flow=n" into "--flow" "=" "n"; korva gets the word whole
    # and the candidates lose what bash keeps in front of the cursor's word.
    local words=() i keep=""
    for ((i = 1; i < COMP_CWORD; i++)); do
        if [[ ${COMP_WORDS[i]} == "=" && ${#words[@]} -gt 0 ]] ||
           [[ $i -gt 1 && ${COMP_WORDS[i - 1]} == "=" && ${#words[@]} -gt 0 &&
              ${words[-1]} == *= ]]; then
            words[-1]+=${COMP_WORDS[i]}
        else
            words+=("${COMP_WORDS[i]}")
        fi
    done
    if [[ $cur == "=" && ${#words[@]} -gt 0 ]]; then
        keep=${words[-1]}=
        cur=""
        unset 'words[-1]'
    elif [[ $COMP_CWORD -ge 2 && ${COMP_WORDS[COMP_CWORD - 1]} == "=" && ${#words[@]} -gt 0 &&
            ${words[-1]} == *= ]]; then
        keep=${words[-1]}
        unset 'words[-1]'
    elif [[ $cur == *=* ]]; then
        keep=${cur%%=*}=
        cur=${cur#*=}
    fi

    local line candidates=() files=""
    while IFS= read -r line; do
        if [[ $line == ":files" ]]; then
            files=1
            continue
        fi
        line=${line%%$'\t'*}
        [[ -n $keep ]] && line=${line#"$keep"}
        [[ $line == "$cur"* ]] && candidates+=("$line")
    done < <("$korva" __complete "${words[@]}" "$keep$cur" 2>/dev/null)

    COMPREPLY=("${candidates[@]}")
    if [[ -n $files ]]; then
        compopt -o filenames 2>/dev/null
        local file
        while IFS= read -r file; do COMPREPLY+=("$file"); done < <(compgen -f -- "$cur")
    fi
    # A setting name waits for its value: no space after "paper-width=".
    if [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *= ]]; then
        compopt -o nospace 2>/dev/null
    fi
    return 0
}
complete -F _korva korva

#compdef korva
# zsh completion for korva. korva itself says what fits (`korva __complete
# WORD...`), from the tables its --help is printed from; this only hands the
# answer to zsh: candidates with their descriptions, settings ("name=") with
# no space after them, and file names where a file is taken.

_korva() {
  local -a output plain shown settings
  local line word description files=0
  output=("${(@f)$("${words[1]}" __complete "${(@)words[2,CURRENT]}" 2>/dev/null)}")
  for line in "${output[@]}"; do
    case $line in
      '') ;;
      :files) files=1 ;;
      *)
        word=${line%%$'\t'*}
        description=
        [[ $line == *$'\t'* ]] && description=${line#*$'\t'}
        if [[ $word == *= ]]; then
          settings+=("$word")
        else
          plain+=("$word")
          shown+=("$word${description:+  -- $description}")
        fi
        ;;
    esac
  done
  (( ${#plain} )) && compadd -l -d shown -a plain
  (( ${#settings} )) && compadd -S '' -a settings
  (( files )) && _files
  return 0
}

_korva "$@"

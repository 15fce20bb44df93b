#!/usr/bin/env bash
# Tab completion for korva, as bash, zsh and fish run it: commands, options,
# option values (listed choices, baud rates, the profile's models and logos,
# the ports `korva ports` finds on a fake device tree), settings for `setup
# write`, file names only where a file is taken, and nothing where no value
# fits. Every row is run in each shell that is installed.
# usage: completion.sh BIN_DIR SOURCE_DIR
set -uo pipefail
export LC_ALL=C
bin=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
export PATH=$bin:$PATH
scripts=$source_dir/packaging/completion
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree=$work/tree
mkdir -p "$tree/sys/class/tty/ttyUSB7/device" "$tree/dev/usb"
export KORVA_SYSFS_ROOT=$tree/sys KORVA_DEV_ROOT=$tree/dev
# The profile korva reads: two models, logos 1 and 3.
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
mkdir -p "$XDG_CONFIG_HOME/korvatool"
printf '[DEVICELIST]\r\n1=KORVA20IIS\r\n2=VQM-5146S\r\n[LOGO]\r\nLogofile1=a.bmp\r\nLogofile3=b.bmp\r\n' \
  >"$XDG_CONFIG_HOME/korvatool/KorvaTool.INI"
# The one file in the working directory.
mkdir "$work/files"
cd "$work/files" || exit 1
touch stream.prn

# The completions for the end of a command line, sorted, blank-separated.
# Words are split at blanks; "--flow = n" is how bash splits "--flow=n".
complete_bash() (
    source "$scripts/korva.bash"
    local line=$1
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    _korva 2>/dev/null
    printf '%s\n' "${COMPREPLY[@]}"
)

# zsh: the completion function with compadd and _files standing in for the
# completion system (they match the word under the cursor as zsh would).
cat >"$work/zsh-driver" <<'ZSH'
compadd() {
  local name=${@[-1]} w cur=${words[CURRENT]}
  for w in "${(@P)name}"; do [[ ${w[1,${#cur}]} == "$cur" ]] && print -r -- "$w"; done
}
_files() { print -rl -- ${words[CURRENT]}*(N) }
source "$1" 2>/dev/null
words=(${=2})
[[ $2 == *" " ]] && words+=("")
CURRENT=${#words}
_korva
ZSH
complete_zsh() { zsh -f "$work/zsh-driver" "$scripts/korva.zsh" "$1"; }

# fish falls back to fuzzy matches when nothing begins with the word; the
# rows are about what begins with it.
complete_fish() {
    local cur=${1##* }
    fish --no-config -c 'source $argv[1]; complete -C $argv[2]' "$scripts/korva.fish" "$1" | cut -f1 |
        while IFS= read -r word; do [[ $word == "$cur"* ]] && echo "$word"; done
}

# What replaces the word under the cursor after its "=", as bash shows it.
after_equals() {
    if [[ ${1##* } == *=* ]]; then sed 's/^.*=//'; else cat; fi
}

shells=(bash)
for shell in zsh fish; do
    if command -v "$shell" >/dev/null; then shells+=("$shell"); else echo "note: $shell is not installed, its completion is not checked"; fi
done

failures=0
rows=0
while IFS='|' read -r line expected; do
    [ -z "$line" ] && continue
    rows=$((rows + 1))
    for shell in "${shells[@]}"; do
        # bash alone splits a word at "=".
        [[ $shell != bash && $line == *" = "* ]] && continue
        got=$("complete_$shell" "$line" | { [ "$shell" = bash ] && cat || after_equals "$line"; } | sort | xargs)
        if [ "$got" != "$expected" ]; then
            echo "FAIL ($shell): '$line' completes to '$got', expected '$expected'"
            failures=$((failures + 1))
        fi
    done
done <<ROWS
korva lo|logo
korva h|help
korva logo |convert erase list print upload
korva logo up|upload
korva setup |read test-page write
korva -|--help --json --quiet --verbose --version -h -j -q -v
korva logo print --si|--size
korva logo print --size |double-height double-width normal quadruple
korva logo print --size d|double-height double-width
korva send --flow |hw none sw
korva send --parity |even none odd
korva send --stop-bits |1 1.5 2
korva send --data-bits |5 6 7 8
korva send --baud |115200 1200 19200 230400 2400 38400 460800 4800 57600 600 921600 9600
korva send --device-type |1 2 3
korva send --model |KORVA20IIS VQM-5146S
korva send --model=V|VQM-5146S
korva send --port |$tree/dev/ttyUSB7 ETHERNET_II USB
korva setup read --port U|USB
korva send -p |$tree/dev/ttyUSB7 ETHERNET_II USB
korva send --flow=n|none
korva send --flow = n|none
korva send --port USB |stream.prn
korva send --port USB --fl|--flow
korva send --flow hw --fl|
korva logo upload --gr|--gray
korva logo upload --out |stream.prn
korva logo print --select |1 1-255 3
korva logo print --select 1,|1,1 1,1-255 1,3
korva logo print --all |
korva setup read --js|--json
korva setup read --timeout |
korva setup read |
korva setup write pap|paper-type= paper-width=
korva setup write paper-width=|58 80
korva setup write bell-times=|1 2 3 4 5
korva setup write code-page=|
korva firmware download --area |boot downloader font program
korva firmware download --area program |stream.prn
korva firmware check |stream.prn
korva version |
korva ports |
korva net set --udp|--udp-port
korva net set --dhcp |off on
korva net set --ip |
korva -j setup re|read
korva help logo up|upload
korva help logo upload |
ROWS
[ "$failures" -eq 0 ] && echo "completion ok: $rows rows in ${shells[*]}"
exit "$([ "$failures" -eq 0 ] && echo 0 || echo 1)"

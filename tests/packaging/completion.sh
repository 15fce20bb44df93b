#!/usr/bin/env bash
# Tab completion for korva, as bash runs it: commands, options, option
# values, and --port completing the ports `korva ports` finds (on a fake
# device tree).
# usage: completion.sh BIN_DIR SOURCE_DIR
set -uo pipefail
export PATH=$1:$PATH
source "$2/packaging/completion/korva.bash"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/sys/class/tty/ttyUSB7/device" "$tree/dev/usb"
export KORVA_SYSFS_ROOT=$tree/sys KORVA_DEV_ROOT=$tree/dev

# The completions bash offers at the end of a command line, sorted. Words
# are split at blanks; "--flow = n" is how bash splits "--flow=n".
complete_line() {
    local line=$1
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    _korva 2>/dev/null
    printf '%s\n' "${COMPREPLY[@]}" | sort | xargs
}

failures=0
while IFS='|' read -r line expected; do
    [ -z "$line" ] && continue
    got=$(complete_line "$line")
    if [ "$got" != "$expected" ]; then
        echo "FAIL: '$line' completes to '$got', expected '$expected'"
        failures=$((failures + 1))
    fi
done <<ROWS
korva lo|logo
korva h|help
korva logo |convert erase list print upload
korva logo up|upload
korva setup |read test-page write
korva logo print --si|--size
korva logo print --size |double-height double-width normal quadruple
korva logo print --size d|double-height double-width
korva send --flow |hw none sw
korva send --parity |even none odd
korva send --stop-bits |1 1.5 2
korva send --port |$tree/dev/ttyUSB7 ETHERNET_II USB
korva setup read --port U|USB
korva logo upload --gr|--gray
korva setup read --js|--json
korva firmware download --area |boot downloader font program
korva send --flow=n|none
korva send --flow = n|none
korva send -p |$tree/dev/ttyUSB7 ETHERNET_II USB
korva -j setup re|read
korva help logo up|upload
korva net set --udp|--udp-port
ROWS
[ "$failures" -eq 0 ] && echo "completion ok"
exit "$([ "$failures" -eq 0 ] && echo 0 || echo 1)"

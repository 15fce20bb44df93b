#!/usr/bin/env bash
# Removes the namespaces netns-up.sh made for SUFFIX (their veth pair goes with them).
set -uo pipefail
suffix=${1:?usage: netns-down.sh SUFFIX}
if ! [[ $suffix =~ ^[A-Za-z0-9]{1,11}$ ]]; then
  echo "netns-down.sh: SUFFIX must be 1-11 letters or digits" >&2
  exit 2
fi
ip netns del "korva-host-$suffix" 2>/dev/null
ip netns del "korva-printer-$suffix" 2>/dev/null
exit 0

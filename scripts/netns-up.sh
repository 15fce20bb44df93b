#!/usr/bin/env bash
# Sets up two network namespaces joined by a veth pair, for tests of the
# network-setting datagrams: the "host" side (198.18.0.10/24) where the tool
# runs and the "printer" side (198.18.0.254/24) where korva-sim answers.
# 198.18.0.0/15 is set aside for testing network equipment, so no address of
# a real network is ever a target; broadcasts sent inside them never reach one.
#
# usage: netns-up.sh SUFFIX     (SUFFIX: up to 11 letters/digits, unique per test)
# prints: host=korva-host-SUFFIX and printer=korva-printer-SUFFIX
# exit 77 when namespaces cannot be made here (no permission): skip the test.
set -euo pipefail
suffix=${1:?usage: netns-up.sh SUFFIX}
if ! [[ $suffix =~ ^[A-Za-z0-9]{1,11}$ ]]; then
  echo "netns-up.sh: SUFFIX must be 1-11 letters or digits" >&2
  exit 2
fi
host=korva-host-$suffix
printer=korva-printer-$suffix
host_if=kh-$suffix
printer_if=kp-$suffix

if ! ip netns add "$host" 2>/dev/null; then
  echo "netns-up.sh: cannot create network namespaces (ip netns add not permitted)" >&2
  exit 77
fi
cleanup() { ip netns del "$host" 2>/dev/null || true; ip netns del "$printer" 2>/dev/null || true; }
trap 'cleanup; exit 77' ERR
ip netns add "$printer"
# The pair is made inside the host namespace and one end moved over, so it
# never appears in the machine's own namespace.
ip -n "$host" link add "$host_if" type veth peer name "$printer_if"
ip -n "$host" link set "$printer_if" netns "$printer"
ip -n "$host" addr add 198.18.0.10/24 dev "$host_if"
ip -n "$printer" addr add 198.18.0.254/24 dev "$printer_if"
for ns in "$host" "$printer"; do ip -n "$ns" link set lo up; done
ip -n "$host" link set "$host_if" up
ip -n "$printer" link set "$printer_if" up
# 255.255.255.255 needs a route; inside the host namespace it leads to the veth only.
ip -n "$host" route add default dev "$host_if"
ip -n "$printer" route add default dev "$printer_if"
trap - ERR
echo "host=$host"
echo "printer=$printer"

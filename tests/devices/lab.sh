#!/usr/bin/env bash
# The device lab: boots a Debian kernel under QEMU with the host's root shared
# read-only and runs korva and korva-sim against real drivers (usblp on a USB
# printer gadget, ppdev, 8250 UARTs, an FTDI adapter). See README "Device lab".
#
#   lab.sh BIN_DIR [--if-possible]
#
# Exit status: 0 every scenario passed, 1 a scenario failed or the lab broke
# after it started, 77 the lab cannot start on this machine (the reason is
# printed). With --if-possible a lab that cannot start exits 0.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=$(cd "${1:?usage: lab.sh BIN_DIR [--if-possible]}" && pwd)
if_possible=${2:-}
build=$(dirname "$bin")
lab=${KORVA_LAB_DIR:-$build/devlab}  # the kernel, the RAM disk and the last run
run=$lab/run

skip() {
  echo "device lab skipped: $*"
  [ "$if_possible" = --if-possible ] && exit 0
  exit 77
}

command -v qemu-system-x86_64 >/dev/null || skip "qemu-system-x86_64 is not installed (scripts/deps.sh)"
busybox=$(command -v busybox) || skip "busybox is not installed (scripts/deps.sh)"
file -L "$busybox" | grep -q 'statically linked' || skip "$busybox is not the static busybox (busybox-static)"
[ -x "$bin/korva" ] && [ -x "$bin/korva-sim" ] || skip "no korva or korva-sim in $bin"

# The kernel: the image linux-image-amd64 points at, unpacked into the build
# tree once and kept there.
kernel=$lab/kernel
if ! ls "$kernel"/boot/vmlinuz-* >/dev/null 2>&1; then
  rm -rf "$kernel" "$lab/download" && mkdir -p "$lab/download"
  package=$(apt-cache depends linux-image-amd64 2>/dev/null | sed -n 's/^ *Depends: \(linux-image-[0-9].*\)/\1/p' | head -1)
  [ -n "$package" ] || skip "apt-cache knows no linux-image-amd64 (apt-get update?)"
  (cd "$lab/download" && apt-get download "$package" >/dev/null 2>&1) ||
    skip "cannot download $package"
  dpkg-deb -x "$lab"/download/*.deb "$kernel" || skip "cannot unpack $package"
  version=$(ls "$kernel/lib/modules")
  "$busybox" depmod -b "$kernel" "$version" || skip "cannot index the modules of $package"
  rm -rf "$lab/download" "$lab/initrd.gz"
fi
vmlinuz=$(ls "$kernel"/boot/vmlinuz-* | head -1)
version=$(ls "$kernel/lib/modules")

# The initial RAM disk: busybox, init.sh and what mounting 9p needs.
initrd=$lab/initrd.gz
if [ ! -s "$initrd" ] || [ "$here/init.sh" -nt "$initrd" ]; then
  root=$lab/initrd-root && rm -rf "$root"
  mkdir -p "$root"/{bin,dev,proc,sys,lib/modules/"$version"}
  cp "$busybox" "$root/bin/busybox"
  cp "$here/init.sh" "$root/init"
  modules=$kernel/lib/modules/$version
  cp "$modules"/modules.{dep,alias,symbols,builtin,order} "$root/lib/modules/$version/"
  for m in 9p 9pnet_virtio virtio_pci; do
    for f in $(sed -n "s@^\([^:]*/$m\.ko\):\(.*\)@\1\2@p" "$modules/modules.dep"); do
      mkdir -p "$root/lib/modules/$version/$(dirname "$f")"
      cp "$modules/$f" "$root/lib/modules/$version/$f"
    done
  done
  (cd "$root" && find . | "$busybox" cpio -o -H newc 2>/dev/null | gzip -1 > "$initrd.new") &&
    mv "$initrd.new" "$initrd" || skip "cannot build the initial RAM disk"
fi

# KVM when it works here (nested KVM often boots nothing), emulation otherwise;
# the answer is kept in the build tree.
accel=${KORVA_LAB_ACCEL:-}
if [ -z "$accel" ]; then
  if [ -f "$lab/accel" ]; then
    accel=$(cat "$lab/accel")
  else
    accel=tcg
    if [ -r /dev/kvm ] && [ -w /dev/kvm ]; then
      timeout 10 qemu-system-x86_64 -accel kvm -M pc -m 256 -nodefaults -nographic -no-reboot \
        -serial stdio -kernel "$vmlinuz" -append "console=ttyS0 panic=-1 rdinit=/bin/nothing" \
        2>/dev/null | grep -q 'Kernel panic' && accel=kvm
    fi
    echo "$accel" > "$lab/accel"
  fi
fi

rm -rf "$run" && mkdir -p "$run"
python3 "$here/scenarios.py" prepare "$run" "$bin" || { echo "device lab: cannot prepare its data"; exit 1; }

# Sockets join two of the guest's own ports: ttyS1 to ttyS2 (8250 to 8250)
# and the FTDI adapter to ttyS3, so korva and korva-sim both run inside.
# QEMU's monitor is a pair of pipes: the guest asks for what only QEMU can do
# (device_del of the adapter) by leaving the command in $run/host.request.
sockets=$(mktemp -d /tmp/korva-lab.XXXXXX)
mkfifo "$sockets/monitor.in" "$sockets/monitor.out"
sim_pid= monitor_pid= requests_pid=
cleanup() {
  for pid in $sim_pid $monitor_pid $requests_pid; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  rm -rf "$sockets"
}
trap cleanup EXIT

echo "device lab: booting $version ($accel)"
start=$SECONDS
# ttyS0 is the console. The limit only stops a guest that hangs.
timeout 900 qemu-system-x86_64 -accel "$accel" -M pc -m 768 -smp 2 -nodefaults -nographic \
  -no-reboot -kernel "$vmlinuz" -initrd "$initrd" \
  -append "console=ttyS0 quiet panic=-1 LAB_RUN=$run LAB_BIN=$bin LAB_DIR=$here LAB_KERNEL=$kernel" \
  -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap \
  -virtfs local,path="$run",mount_tag=results,security_model=none,multidevs=remap \
  -serial file:"$run/console.log" \
  -chardev socket,id=uart1,path="$sockets/uart",server=on,wait=off -serial chardev:uart1 \
  -chardev socket,id=uart2,path="$sockets/uart" -serial chardev:uart2 \
  -chardev socket,id=uart3,path="$sockets/ftdi",server=on,wait=off -serial chardev:uart3 \
  -chardev socket,id=ftdi,path="$sockets/ftdi" -usb -device usb-serial,chardev=ftdi,id=ftdi0 \
  -chardev pty,id=lpt -parallel chardev:lpt \
  -chardev pipe,id=monitor,path="$sockets/monitor" -mon chardev=monitor,mode=readline \
  > "$run/qemu.log" 2>&1 &
qemu_pid=$!
cat "$sockets/monitor.out" > "$run/monitor.log" &
monitor_pid=$!
# One request at a time: the command goes to the monitor, then host.done says so.
while kill -0 "$qemu_pid" 2>/dev/null; do
  if [ -e "$run/host.request" ]; then
    command=$(cat "$run/host.request") && rm -f "$run/host.request"
    echo "$command" > "$sockets/monitor.in"
    echo "$command" > "$run/host.done"
  fi
  sleep 0.05
done &
requests_pid=$!
# The parallel port's far end is a pty on this side: the printer there is a
# korva-sim of the host's.
for ((i = 0; i < 200; i++)); do
  pty=$(sed -n 's/.*redirected to \(\/dev\/pts\/[0-9]*\) (label lpt).*/\1/p' "$run/qemu.log")
  [ -n "$pty" ] && break
  sleep 0.05
done
if [ -n "$pty" ]; then
  mkdir -p "$run/parallel"
  "$bin/korva-sim" --device "$pty" --parallel-status --state "$run/parallel/state.json" \
    > "$run/parallel/sim.out" 2> "$run/parallel/sim.err" &
  sim_pid=$!
fi
wait "$qemu_pid"
status=$?
echo "device lab: the guest ran $((SECONDS - start)) s"
# A guest that never reached its plan: the lab cannot start here.
[ -e "$run/guest.log" ] || skip "the guest did not start (QEMU exit $status): $(tail -3 "$run/qemu.log" "$run/console.log" 2>/dev/null | tr -s '\n' ' ')"
if ! grep -q "lab: plan done" "$run/guest.log" 2>/dev/null; then
  echo "device lab: the guest did not finish its plan (exit $status); see $run"
  tail -5 "$run/guest.log" "$run/console.log" 2>/dev/null
fi
python3 "$here/scenarios.py" check "$run"

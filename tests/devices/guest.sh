# Runs inside the lab's guest, chrooted into the host's root: sets up the
# devices and runs the steps of every scenario (plan.sh, written by
# scenarios.py from its table). Each scenario leaves its results in
# $LAB_RUN/<name>/ for the host to check: korva.{out,err,rc}, state.json.
K=$LAB_BIN/korva
SIM=$LAB_BIN/korva-sim
R=$LAB_RUN
DATA=$R/data
GADGETS=/sys/kernel/config/usb_gadget
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=/run/config XDG_STATE_HOME=/run/state

# Waits for a condition that the kernel or a process brings about; the limit
# only keeps a broken lab from hanging, it decides no result.
wait_for() {
  local i
  for ((i = 0; i < 600; i++)); do
    eval "$1" && return 0
    sleep 0.05
  done
  echo "lab: gave up waiting for: $1" >&2
  return 1
}

# A USB printer gadget of vendor 7F3D on a dummy controller: usblp gives
# /dev/usb/lpN on the host side, the gadget /dev/g_printerN on the printer's.
gadget_add() {  # NAME UDC PRODUCT
  local g=$GADGETS/$1
  mkdir -p "$g/strings/0x409" "$g/functions/printer.0" "$g/configs/c.1"
  echo 0x7f3d > "$g/idVendor"
  echo "$3" > "$g/idProduct"
  echo 0x0100 > "$g/bcdDevice"
  echo KORVA > "$g/strings/0x409/manufacturer"
  echo "$1" > "$g/strings/0x409/serialnumber"
  echo "MFG:KORVA;MDL:KORVA20IIU-II;CMD:ESC/POS;CLS:PRINTER;" > "$g/functions/printer.0/pnp_string"
  ln -s "$g/functions/printer.0" "$g/configs/c.1/"
  echo "$2" > "$g/UDC"
}
gadget_unbind() { [ -z "$(cat "$GADGETS/$1/UDC")" ] || echo "" > "$GADGETS/$1/UDC"; }
gadget_remove() {
  local g=$GADGETS/$1
  [ -d "$g" ] || return 0
  [ -z "$(cat "$g/UDC")" ] || gadget_unbind "$1"
  rm -f "$g/configs/c.1/printer.0"
  rmdir "$g/configs/c.1" "$g/functions/printer.0" "$g/strings/0x409" "$g"
}
# The printer unplugged on the host's side: its USB device deauthorized, so
# usblp lets go of it. (Unbinding the gadget in mid-transfer instead frees
# requests still queued and corrupts this kernel's memory.)
usb_unplug() {
  USB_DEVICE=$(readlink -f /sys/class/usbmisc/lp0/device/..)
  echo 0 > "$USB_DEVICE/authorized"
  wait_for '[ ! -e /dev/usb/lp0 ]'
}
# Plugged in again, with what a stopped transfer left in the gadget read away
# (once the simulator has let go of it).
usb_replug() {
  echo 1 > "$USB_DEVICE/authorized"
  wait_for '[ -e /dev/usb/lp0 ]'
  dd if=/dev/g_printer0 of=/dev/null bs=64k iflag=nonblock status=none 2>/dev/null
}
usb_printers() { ls /dev/usb/lp* 2>/dev/null | wc -l; }

# A command for QEMU's monitor, run by lab.sh on the host.
host_do() {
  rm -f "$R/host.done"
  echo "$1" > "$R/host.request.new" && mv "$R/host.request.new" "$R/host.request"
  wait_for '[ -e $R/host.done ]'
}
# The FTDI adapter pulled out: QEMU removes the USB device, as a hand would.
ftdi_unplug() {
  host_do "device_del ftdi0"
  wait_for '[ ! -e /dev/ttyUSB0 ]'
}

# The connection dialog's USB search, the program's own discovery on this
# machine, under the offscreen platform; EXPECTED printers attached.
dialog_search() {  # EXPECTED
  local o=${out:-dialog}
  KORVA_LAB_USB_PRINTERS=$1 "$LAB_BIN/test_app" --gtest_filter=ConnectDlgTest.UsbSearchOnThisMachine \
    > "$o.out" 2> "$o.err"
  echo $? > "$o.rc"
}

# korva-sim on a device node, its state in the scenario's folder.
sim_up() {  # DEVICE [korva-sim options...]
  local fifo=$TMPDIR/sim.out line
  rm -f "$fifo" && mkfifo "$fifo"
  "$SIM" --device "$@" --state "$PWD/state.json" > "$fifo" 2> sim.err &
  SIM_PID=$!
  exec {SIM_FD}< "$fifo"
  while IFS= read -r line <&"$SIM_FD"; do [ "$line" = ready ] && return 0; done
  echo "lab: korva-sim did not start: $(cat sim.err)" >&2
  return 1
}
sim_down() {
  [ -n "${SIM_PID:-}" ] || return 0
  kill "$SIM_PID" 2>/dev/null
  wait "$SIM_PID" 2>/dev/null
  exec {SIM_FD}<&-
  SIM_PID= SIM_FD=
}
# The number of bytes the simulator has read so far.
sim_bytes() {
  sed -n 's/.*"byte_count": *\([0-9]*\).*/\1/p' state.json 2>/dev/null | awk '{n += $1} END {print n + 0}'
}

# korva with its output kept for the checks, in korva.{out,err,rc} or, with
# out=NAME before the call, in NAME.{out,err,rc}.
korva() {
  local o=${out:-korva}
  "$K" "$@" > "$o.out" 2> "$o.err"
  echo $? > "$o.rc"
}
korva_bg() { "$K" "$@" > korva.out 2> korva.err & KORVA_PID=$!; }
korva_wait() { wait "$KORVA_PID"; echo $? > korva.rc; }
# korva as the unprivileged user nobody: korva_as --clear-groups ARGS... or
# korva_as --groups LIST ARGS...
korva_as() {
  local o=${out:-korva} groups=("$1")
  [ "$1" = --groups ] && { groups+=("$2"); shift; }
  shift
  mkdir -p /run/nobody && chown nobody /run/nobody
  setpriv --reuid=65534 --regid=65534 "${groups[@]}" \
    env HOME=/run/nobody XDG_CONFIG_HOME=/run/nobody XDG_STATE_HOME=/run/nobody \
    "$K" "$@" > "$o.out" 2> "$o.err"
  echo $? > "$o.rc"
}

gadget_add korva1 dummy_udc.0 0x0102
wait_for '[ -e /dev/usb/lp0 ] && [ -e /dev/g_printer0 ]'
source "$R/plan.sh"
echo "lab: plan done"

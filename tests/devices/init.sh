#!/bin/busybox sh
# First program of the lab's guest: mounts the host's root (read-only) and the
# run folder (writable) over 9p, loads the drivers the scenarios use and runs
# guest.sh chrooted into the host's root, so the binaries run as they were built.
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
modprobe 9pnet_virtio && modprobe 9p && modprobe virtio_pci || echo "lab: no 9p" > /dev/ttyS0
mkdir -p /host
mount -t 9p -o trans=virtio,version=9p2000.L,ro hostroot /host
h=/host
# Every module, from the kernel tree the host unpacked.
mount --bind "$h$LAB_KERNEL/lib/modules" /lib/modules
modprobe dummy_hcd num=2  # two controllers: room for two printers
for m in configfs libcomposite usb_f_printer usblp parport_pc ppdev \
         usbserial ftdi_sio uhci_hcd; do
  modprobe "$m" || echo "lab: modprobe $m failed"
done
mount -t proc proc "$h/proc"
mount -t sysfs sys "$h/sys"
mount -t configfs none "$h/sys/kernel/config"
mount -t devtmpfs dev "$h/dev"
mkdir -p "$h/dev/pts" && mount -t devpts devpts "$h/dev/pts"
# The guest's own writable place is /run: the host's /tmp stays visible, as
# the build tree may lie below it.
mount -t tmpfs run "$h/run"
mkdir -p "$h/run/tmp" && chmod 1777 "$h/run/tmp"
mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144 results "$h$LAB_RUN"
chroot "$h" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/run TMPDIR=/run/tmp LANG=C.UTF-8 \
  LAB_RUN="$LAB_RUN" LAB_BIN="$LAB_BIN" LAB_DIR="$LAB_DIR" \
  /bin/bash "$LAB_DIR/guest.sh" > "$h$LAB_RUN/guest.log" 2>&1
echo "lab: guest finished" 
sync
poweroff -f

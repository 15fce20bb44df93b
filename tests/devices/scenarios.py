#!/usr/bin/env python3
"""The device lab's scenarios: one table, each row what the guest does
(`steps`, bash with the helpers of guest.sh, run in the scenario's own folder)
and what must hold afterwards (`check`, over the files it left).

usage: scenarios.py prepare RUN_DIR BIN_DIR   writes RUN_DIR/data and RUN_DIR/plan.sh
       scenarios.py check RUN_DIR             one line per scenario, then the count
"""
import json
import struct
import subprocess
import sys
from pathlib import Path

USB_MODEL = "KORVA20IIU-II"
LOGOS = [("logo1.bmp", 96, 40), ("logo2.bmp", 200, 64)]
SEND_SIZE = 1 << 20
STALL_AT = 4096
LAST_BYTES = 16      # the USB unplug comes with this many bytes of an upload unread
FTDI_UNPLUG_AT = 65536


class Result:
    """What a scenario left in its folder."""

    def __init__(self, folder, data):
        self.folder, self.data = folder, data

    def text(self, name):
        path = self.folder / name
        return path.read_text(errors="replace") if path.exists() else ""

    def rc(self, prefix="korva"):
        text = self.text(prefix + ".rc").strip()
        return int(text) if text else None

    def said(self, prefix="korva"):
        return self.text(prefix + ".out") + self.text(prefix + ".err")

    def state(self):
        path = self.folder / "state.json"
        return json.loads(path.read_text()) if path.exists() else {}

    def received(self):
        return b"".join(bytes.fromhex(c["bytes"]) for c in self.state().get("received", []))

    def received_count(self):
        return sum(c["byte_count"] for c in self.state().get("received", []))


def expect(failures, condition, text):
    if not condition:
        failures.append(text)


def ran(failures, r, prefix="korva", rc=0):
    expect(failures, r.rc(prefix) == rc,
           f"{prefix}: exit {r.rc(prefix)}, not {rc}: {r.said(prefix).strip()[-300:]}")


def contains_whole(failures, r, name):
    want = (r.data / name).read_bytes()
    got = r.received()
    expect(failures, got.count(want) == 1,
           f"the {len(want)} bytes of {name} did not arrive whole, once "
           f"({len(got)} bytes received)")


def fnv1a(data):
    h = 2166136261
    for b in data:
        h = ((h ^ b) * 16777619) & 0xFFFFFFFF
    return f"{h:08x}"


# --- checks ---------------------------------------------------------------

def usb_ports(r):
    ports = json.loads(r.text("korva.out") or "{}").get("ports", [])
    return [p for p in ports if p.get("path", "").startswith("/dev/usb/lp")]


def check_ports(f, r):
    ran(f, r)
    usb = usb_ports(r)
    expect(f, [p["path"] for p in usb] == ["/dev/usb/lp0"], f"USB printers listed: {usb}")
    expect(f, usb and usb[0].get("hardware_id", "").upper() == r"USB\VID_7F3D&PID_0102&REV_0100",
           f"hardware id: {usb}")
    # The model comes from the IEEE 1284 ID the gadget was given, read
    # through usblp's ioctl, in the JSON and on the text line.
    expect(f, usb and usb[0].get("model") == USB_MODEL and
           usb[0].get("device_id", "").startswith("MFG:KORVA;MDL:" + USB_MODEL + ";"),
           f"device id: {usb}")
    ran(f, r, "text")
    lines = [x for x in r.text("text.out").splitlines() if "/dev/usb/lp0" in x]
    expect(f, len(lines) == 1 and lines[0].endswith(f"  KORVA20II  model {USB_MODEL}"),
           f"text line: {lines}")


def dialog_found(f, r, prefix, count):
    ran(f, r, prefix)
    said = r.text(prefix + ".out")
    expect(f, "[  PASSED  ] 1 test" in said and "SKIPPED" not in said,
           "the dialog's search did not run: " + said[-400:] + r.text(prefix + ".err")[-300:])
    expect(f, f"usb search found {count} printers" in said, "the dialog found: " + said[-400:])


def check_dialog_search(f, r):
    dialog_found(f, r, "dialog", 1)


def check_two_printers(f, r):
    ran(f, r)
    usb = usb_ports(r)
    expect(f, sorted(p["path"] for p in usb) == ["/dev/usb/lp0", "/dev/usb/lp1"],
           f"USB printers listed: {usb}")
    expect(f, [p.get("model") for p in usb] == [USB_MODEL, USB_MODEL], f"models: {usb}")
    ran(f, r, "setup", rc=2)
    expect(f, "2 KORVA20II USB printers are attached" in r.said("setup"),
           "no several-printer message: " + r.said("setup"))
    # The dialog refuses them with its own message (the test checks its text).
    dialog_found(f, r, "dialog", 2)


def check_upload(f, r):
    ran(f, r)
    contains_whole(f, r, "upload.prn")
    images = [(i["width"], i["height"]) for i in r.state().get("nv_images", [])]
    expect(f, images == [(w, h) for _, w, h in LOGOS], f"stored logos {images}")


def check_print(f, r):
    check_upload(f, r)
    ran(f, r, "print")
    printed = [(p["logo"], p["defined"]) for p in r.state().get("printed", [])]
    expect(f, printed[:2] == [(1, True), (2, True)], f"printed {printed}")


def check_setup(f, r):
    ran(f, r, "read")
    expect(f, "=" in r.text("read.out"), "setup read printed no settings")
    ran(f, r, "write")
    ran(f, r, "reread")
    expect(f, "paper-width=58" in r.text("reread.out"), "written setting not read back: "
           + r.text("reread.out"))


def check_test_page(f, r):
    ran(f, r)
    lines = (r.data / "test-page.hex").read_text().splitlines()
    want = bytes.fromhex("".join(x for x in lines if not x.startswith("#")))
    expect(f, r.received().count(want) == 1, "the test page did not arrive whole")
    expect(f, r.state().get("cuts", 0) == 1, f"cuts: {r.state().get('cuts')}")


def check_firmware(f, r):
    ran(f, r)
    image = (r.data / "fw.K22").read_bytes()
    fw = r.state().get("firmware", [{}])
    fw = fw[-1] if fw else {}
    expect(f, fw.get("area") == "boot" and fw.get("complete") and fw.get("checksum_ok"),
           f"firmware {fw}")
    expect(f, fw.get("data_fnv1a") == fnv1a(image[:0x3FF6]), "firmware data differs")


def outcome(r):
    try:
        return json.loads(r.text("korva.out")).get("outcome")
    except ValueError:
        return None


def reason(r):
    try:
        return json.loads(r.text("korva.out")).get("reason")
    except ValueError:
        return None


def check_stalled(f, r):
    ran(f, r, rc=1)
    expect(f, outcome(r) == "failed", f"outcome {outcome(r)}")
    said = r.text("korva.err").lower()
    # The deadline is the stall limit: the printer took nothing for a while.
    expect(f, "stopped taking data" in said and "reason: stalled" in said,
           "no write deadline message: " + said)
    expect(f, said.count(" bytes handed to the driver") == 1, "more than one count: " + said)
    expect(f, "flow control" not in said, "a USB message speaks of flow control: " + said)
    expect(f, r.received_count() == STALL_AT, f"{r.received_count()} bytes read")


def check_unplug(f, r):
    ran(f, r, rc=1)
    expect(f, outcome(r) == "failed", f"outcome {outcome(r)}")
    said = r.text("korva.err").lower()
    # usblp reports the unplug as ENODEV, or as EIO when it sees its killed
    # transfer first: either way the printer is gone, not hung up.
    expect(f, "gone" in said, "the message does not name the unplug: " + said)
    expect(f, reason(r) == "gone", f"reason {reason(r)}")
    expect(f, "stopped taking data" not in said, "the unplug ended by the write deadline: " + said)


def check_unplug_last_bytes(f, r):
    ran(f, r, rc=1)
    expect(f, outcome(r) == "failed", f"outcome {outcome(r)}")
    said = r.text("korva.err").lower()
    expect(f, "gone" in said and reason(r) == "gone",
           f"the message does not name the unplug (reason {reason(r)}): " + said)
    expect(f, "did not confirm" not in said and "not confirmed" not in said,
           "the unplug was taken for a silent printer: " + said)
    # The printer read all but the last bytes: the upload never reached its end.
    total = int(r.text("total").strip() or 0)
    expect(f, total > LAST_BYTES, "no byte count of a whole upload")
    expect(f, r.received_count() == total - LAST_BYTES, f"{r.received_count()} of {total} bytes read")
    images = r.state().get("nv_images") or []
    expect(f, len(images) < len(LOGOS), f"every logo stored: {images}")


def check_ftdi_unplug(f, r):
    ran(f, r, rc=1)
    expect(f, outcome(r) == "failed", f"outcome {outcome(r)}")
    said = r.text("korva.err").lower()
    expect(f, "gone" in said and reason(r) == "gone",
           f"the message does not name the unplug (reason {reason(r)}): " + said)
    # It ended on the unplug, not on the write deadline of a line that stopped.
    expect(f, "in time" not in said and "flow control" not in said, "ended by a deadline: " + said)
    sent = json.loads(r.text("korva.out") or "{}").get("bytes", -1)
    # A piece counts once the line has put it out, up to one piece behind the reader.
    expect(f, FTDI_UNPLUG_AT - 1024 <= sent < SEND_SIZE, f"{sent} bytes counted as sent")


def check_slow_reader(f, r):
    ran(f, r)
    want = (r.data / "send.bin").read_bytes()
    expect(f, r.received_count() == len(want), f"{r.received_count()} of {len(want)} bytes read")
    expect(f, r.received() == want, "the bytes read differ from the file sent")


def check_access(f, r):
    ran(f, r, "nogroup", rc=1)
    said = r.said("nogroup").lower()
    expect(f, "permission denied" in said and "group lp" in said,
           "no permission message naming group lp: " + said)
    ran(f, r, "group")
    expect(f, r.received() == (r.data / "upload.prn").read_bytes(), "the file sent did not arrive whole")
    ran(f, r, "busy", rc=1)
    said = r.said("busy").lower()
    expect(f, "busy" in said and "another program" in said, "no busy message: " + said)


def check_serial(f, r):
    check_upload(f, r)
    ran(f, r, "write")
    ran(f, r, "reread")
    expect(f, "paper-width=58" in r.text("reread.out"), "written setting not read back: "
           + r.text("reread.out"))
    expect(f, r.state().get("settings", {}).get("2") is not None, "no settings in the state")


def check_old_firmware(f, r):
    ran(f, r)
    image = (r.data / "fw.bin").read_bytes()
    fw = r.state().get("firmware", [{}])
    fw = fw[-1] if fw else {}
    expect(f, fw.get("area") == "boot" and fw.get("complete") and fw.get("checksum_ok"),
           f"firmware {fw}")
    expect(f, fw.get("naks", 0) > 0, "the printer refused no block: the NAK path went untried")
    expect(f, fw.get("data_fnv1a") == fnv1a(image[0x1F0000:0x200000]), "firmware data differs")


def check_parallel(f, r):
    contains_whole(f, r, "upload.prn")
    images = [(i["width"], i["height"]) for i in r.state().get("nv_images", [])]
    expect(f, images == [(w, h) for _, w, h in LOGOS], f"stored logos {images}")
    printed = [(p["logo"], p["defined"]) for p in r.state().get("printed", [])]
    expect(f, printed[:2] == [(1, True), (2, True)], f"printed {printed}")
    for prefix in ("korva", "print"):
        expect(f, r.rc(prefix) is not None, f"{prefix} did not end")
    # QEMU's parallel port reads nothing back: the settings cannot be read,
    # and the read says so once its wait is over.
    ran(f, r, "setup", rc=1)
    expect(f, "no answer" in r.said("setup"), "setup read over parallel: " + r.said("setup"))


def folder_name(name):
    return "".join(c if c.isalnum() else "-" for c in name).strip("-")


USB = f"--port USB --model {USB_MODEL}"
LP0 = f"--port /dev/usb/lp0 --model {USB_MODEL}"
FTDI_BY_ID = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_LAB0001-if00-port0"
LOGO_FILES = " ".join("$DATA/" + n for n, _, _ in LOGOS)

# name, steps (bash in the guest), check
SCENARIOS = [
    ("usb discovery, device id by ioctl", "korva --json ports; out=text korva ports", check_ports),
    ("usb connection dialog search", "dialog_search 1", check_dialog_search),
    ("usb logo upload", f"""
        sim_up /dev/g_printer0 --usb-escape
        korva logo upload {USB} {LOGO_FILES}""", check_upload),
    ("usb logo print", f"""
        sim_up /dev/g_printer0 --usb-escape
        korva logo upload {USB} {LOGO_FILES}
        out=print korva logo print {USB} --select 1-2""", check_print),
    ("usb setup read and write", f"""
        sim_up /dev/g_printer0 --usb-escape
        out=read korva setup read {LP0}
        out=write korva setup write {LP0} paper-width=58
        out=reread korva setup read {LP0}""", check_setup),
    ("usb test page", f"""
        sim_up /dev/g_printer0 --usb-escape
        korva setup test-page {LP0}""", check_test_page),
    ("usb firmware (newer series)", f"""
        sim_up /dev/g_printer0 --usb-escape
        korva firmware download {LP0} --area boot --yes $DATA/fw.K22""", check_firmware),
    ("usb two printers", f"""
        gadget_add korva2 dummy_udc.1 0x0102
        wait_for '[ "$(usb_printers)" = 2 ]'
        korva --json ports
        out=setup korva setup read {USB}
        dialog_search 2
        gadget_remove korva2
        wait_for '[ "$(usb_printers)" = 1 ]'""", check_two_printers),
    ("usb gadget stops reading", f"""
        sim_up /dev/g_printer0 --usb-escape --stall-after-bytes {STALL_AT}
        korva --json send {LP0} $DATA/send.bin
        sim_down
        usb_unplug
        usb_replug""", check_stalled),
] + [
    # The unplug at the quarters of the stream: the simulator stops reading
    # there, and the printer goes once it has read that much.
    (f"usb unplugged at {at} of {SEND_SIZE} bytes", f"""
        sim_up /dev/g_printer0 --usb-escape --stall-after-bytes {at}
        korva_bg --json send {LP0} $DATA/send.bin
        wait_for '[ "$(sim_bytes)" -ge {at} ]'
        usb_unplug
        korva_wait
        sim_down
        usb_replug""", check_unplug)
    for at in (SEND_SIZE // 4, SEND_SIZE // 2, SEND_SIZE * 3 // 4)
] + [
    # All but the last bytes read (of the whole upload, as the row above
    # counted it): the upload waits for the printer's answer to its closing
    # request, and the printer goes instead.
    (f"usb unplugged in the last {LAST_BYTES} bytes", f"""
        (cd ../{folder_name("usb logo upload")} && sim_bytes) > total
        sim_up /dev/g_printer0 --usb-escape --stall-after-bytes $(( $(cat total) - {LAST_BYTES} ))
        korva_bg --json logo upload {USB} {LOGO_FILES}
        wait_for '[ "$(sim_bytes)" -ge $(( $(cat total) - {LAST_BYTES} )) ]'
        usb_unplug
        korva_wait
        sim_down
        usb_replug""", check_unplug_last_bytes),
    ("usb slow reader gets every byte", f"""
        sim_up /dev/g_printer0 --usb-escape --line-rate 4000000 --record-limit {2 * SEND_SIZE}
        korva send {LP0} $DATA/send.bin
        wait_for '[ "$(sim_bytes)" -ge {SEND_SIZE} ]'""", check_slow_reader),
    ("8250 upload and settings", f"""
        sim_up /dev/ttyS2
        korva logo upload --port /dev/ttyS1 --model KORVA20IIS {LOGO_FILES}
        out=write korva setup write --port /dev/ttyS1 --model KORVA20IIS paper-width=58
        out=reread korva setup read --port /dev/ttyS1 --model KORVA20IIS""", check_serial),
    ("ftdi by-id link, older-series firmware", f"""
        sim_up /dev/ttyS3 --series 2 --nak-every 5
        korva firmware download --port {FTDI_BY_ID} --model KORVA10S --area boot --yes \\
          $DATA/fw.bin""", check_old_firmware),
    # Last of the adapter's rows: QEMU cannot plug it in again.
    ("ftdi adapter removed mid-transfer", f"""
        sim_up /dev/ttyS3
        korva_bg --json send --port /dev/ttyUSB0 --model KORVA20IIS $DATA/send.bin
        wait_for '[ "$(sim_bytes)" -ge {FTDI_UNPLUG_AT} ]'
        ftdi_unplug
        korva_wait""", check_ftdi_unplug),
    ("parallel (ppdev) upload and print", f"""
        wait_for '[ -e $R/parallel/state.json ]'
        korva logo upload --port /dev/parport0 --model KORVA20IIP {LOGO_FILES}
        out=print korva logo print --port /dev/parport0 --model KORVA20IIP --select 1-2
        wait_for 'grep -q "\\"logo\\": 2" $R/parallel/state.json'
        out=setup korva setup read --port /dev/parport0 --model KORVA20IIP --timeout 1000
        cp $R/parallel/state.json state.json""", check_parallel),
    ("usb access (group lp, busy)", f"""
        chgrp lp /dev/usb/lp0 && chmod 660 /dev/usb/lp0
        sim_up /dev/g_printer0 --usb-escape
        out=nogroup korva_as --clear-groups send {LP0} $DATA/upload.prn
        out=group korva_as --groups 7 send {LP0} $DATA/upload.prn
        wait_for '[ "$(sim_bytes)" -ge $(stat -c %s $DATA/upload.prn) ]'
        exec 9> /dev/usb/lp0
        out=busy korva send {LP0} $DATA/upload.prn
        exec 9>&-""", check_access),
]


def write_bmp(path, width, height):
    """A 1-bit bitmap whose rows and columns all differ."""
    stride = (width + 31) // 32 * 4
    rows = b""
    for y in range(height):
        row = bytes((x * 37 + y * 11 + (x ^ y)) & 0xFF for x in range(stride))
        rows += row
    header = struct.pack("<2sIHHI", b"BM", 62 + len(rows), 0, 0, 62)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 1, 0, len(rows), 2835, 2835, 2, 0)
    path.write_bytes(header + info + b"\xff\xff\xff\x00\x00\x00\x00\x00" + rows)


def prepare(run, bin_dir, source):
    data = run / "data"
    data.mkdir(parents=True, exist_ok=True)
    for name, width, height in LOGOS:
        write_bmp(data / name, width, height)
    subprocess.run([str(bin_dir / "korva"), "logo", "upload", "--model", USB_MODEL, "--out",
                    str(data / "upload.prn")] + [str(data / n) for n, _, _ in LOGOS], check=True)
    (data / "test-page.hex").write_text((source / "tests/data/usersetup/test-page.hex").read_text())
    image = bytearray((i * 7) % 251 for i in range(0x100000))
    image[0x0FFFFC:0x0FFFFF] = b"K22"
    image[0x0FFFFF] = ord("0")
    (data / "fw.K22").write_bytes(bytes(image))
    (data / "fw.bin").write_bytes(bytes((i * 7 + 5) % 251 for i in range(0x200000)))
    (data / "send.bin").write_bytes(bytes((i * 13 + (i >> 8)) & 0xFF for i in range(SEND_SIZE)))
    with open(run / "plan.sh", "w") as plan:
        # No udev in the guest: the link it would make for the adapter.
        plan.write(f"mkdir -p {Path(FTDI_BY_ID).parent}\n"
                   f"ln -s ../../ttyUSB0 {FTDI_BY_ID}\n")
        for name, steps, _ in SCENARIOS:
            folder = run / folder_name(name)
            plan.write(f"mkdir -p {folder} && cd {folder}\n{{ {steps}\n}} > steps.log 2>&1\n"
                       f"sim_down\necho \"lab: ran {name} (at $SECONDS s)\"\n")


def check(run):
    failed = 0
    for name, _, test in SCENARIOS:
        folder = run / folder_name(name)
        failures = []
        if not (folder / "steps.log").exists():
            failures.append("did not run")
        else:
            try:
                test(failures, Result(folder, run / "data"))
            except (ValueError, KeyError, OSError) as error:
                failures.append(f"unreadable results: {error!r}")
        failed += bool(failures)
        print(f"{'FAIL' if failures else 'ok  '}  {name}" +
              "".join(f"\n        {x}" for x in failures))
    print(f"device lab: {len(SCENARIOS) - failed} of {len(SCENARIOS)} scenarios passed")
    return 1 if failed else 0


if __name__ == "__main__":
    if sys.argv[1] == "prepare":
        prepare(Path(sys.argv[2]), Path(sys.argv[3]), Path(__file__).resolve().parents[2])
        sys.exit(0)
    sys.exit(check(Path(sys.argv[2])))

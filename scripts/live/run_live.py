#!/usr/bin/env python3
"""Boots the live image under QEMU (TCG) twice side by side, once as a CD and
once as a USB stick, each machine with two disks, a stick labelled ORVELLA
and a third disk that is hot-added when the guest asks, and runs the scripted
station run (the GRUB entry picked by its hot key). Then judges each boot on
the host: the disks hold zeros, the boot medium is unchanged, the records on
the ORVELLA stick are sealed and name each disk's serial number, and the
screen was captured during the station run and with the menu (a PNG beside
each PPM QEMU writes).

Usage: run_live.py ISO ORVELLA_CLI WORKDIR
Prints one line per check and "N passed, N failed"; exit 0 only when all passed.
"""
import collections
import hashlib
import json
import pathlib
import shutil
import struct
import subprocess
import sys
import threading
import time
import zlib

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "vm"))
from run import Qmp  # noqa: E402  the test bed's QMP client

MiB = 1 << 20
DISK_SIZE = 32 * MiB  # just above the 65535 sectors below which drives are refused
PATTERN = b"\xa5"
DISKS = [("disk1", "LIVEDISK1"), ("disk2", "LIVEDISK2")]
HOT = ("hot", "LIVEHOT01")
TIMEOUT = 420


def fill(path, size):
    with open(path, "wb") as image:
        for _ in range(size // MiB):
            image.write(PATTERN * MiB)


def digest(path):
    return hashlib.sha256(pathlib.Path(path).read_bytes()).hexdigest()


def all_zero(path):
    with open(path, "rb") as image:
        while block := image.read(MiB):
            if block.count(0) != len(block):
                return False
    return True


def ppm_to_png(ppm, png):
    """QEMU's screendump is a binary PPM; PNG is what viewers show. Returns
    the share of pixels that differ from the background (the commonest)."""
    data = ppm.read_bytes()
    parts = data.split(maxsplit=4)
    width, height = int(parts[1]), int(parts[2])
    pixels = parts[4][: width * height * 3]
    rows = b"".join(b"\0" + pixels[y * width * 3:(y + 1) * width * 3] for y in range(height))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    png.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                    + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
    counts = collections.Counter(pixels[i:i + 3] for i in range(0, len(pixels), 3))
    return 1 - counts.most_common(1)[0][1] / (width * height)


class Boot:
    def __init__(self, mode, iso, work):
        self.mode = mode
        self.work = work / mode
        self.work.mkdir(parents=True)
        self.iso = iso
        self.checks = []

    def prepare(self):
        for name, _ in DISKS + [HOT]:
            fill(self.work / f"{name}.img", DISK_SIZE)
        records = self.work / "records.img"
        with open(records, "wb") as image:
            image.truncate(32 * MiB)
        subprocess.run(["mkfs.vfat", "-n", "ORVELLA", str(records)], check=True, stdout=subprocess.DEVNULL)
        self.medium = self.iso
        if self.mode == "usb":
            self.medium = self.work / "stick.img"
            shutil.copyfile(self.iso, self.medium)
        self.medium_digest = digest(self.medium)

    def qemu_args(self):
        w = self.work
        args = ["qemu-system-x86_64", "-nodefaults", "-vga", "std", "-display", "none", "-no-reboot",
                "-accel", "tcg", "-m", "768", "-smp", "1",
                "-serial", f"file:{w / 'console.log'}", "-serial", f"file:{w / 'guest.log'}",
                "-qmp", f"unix:{w / 'qmp.sock'},server=on,wait=off", "-pidfile", str(w / "qemu.pid"),
                "-device", "qemu-xhci,id=xhci"]
        if self.mode == "cd":
            args += ["-drive", f"file={self.medium},media=cdrom,readonly=on,if=ide", "-boot", "d"]
        else:
            args += ["-drive", f"if=none,id=stick,file={self.medium},format=raw",
                     "-device", "usb-storage,bus=xhci.0,drive=stick,bootindex=0,serial=LIVESTICK1"]
        args += ["-drive", f"if=none,id=records,file={w / 'records.img'},format=raw",
                 "-device", "usb-storage,bus=xhci.0,drive=records,serial=LIVEREC01"]
        for name, serial in DISKS:
            args += ["-drive", f"if=none,id=d{name},file={w / (name + '.img')},format=raw",
                     "-device", f"virtio-blk-pci,drive=d{name},serial={serial}"]
        args += ["-drive", f"if=none,id=dhot,file={w / 'hot.img'},format=raw"]
        return args

    def run(self):
        started = time.monotonic()
        self.prepare()
        qemu = subprocess.Popen(self.qemu_args(), stdout=open(self.work / "qemu.out", "w"), stderr=subprocess.STDOUT)
        try:
            self.output = self.follow(qemu)
        finally:
            if qemu.poll() is None:
                qemu.kill()
            qemu.wait()
        self.seconds = time.monotonic() - started

    def follow(self, qemu):
        qmp = Qmp(self.work / "qmp.sock")
        log = self.work / "guest.log"
        done, booted = 0, False
        deadline = time.monotonic() + TIMEOUT
        while qemu.poll() is None:
            if time.monotonic() > deadline:
                # What the screen showed when the time ran out, to see where it stuck.
                qmp.send({"execute": "screendump", "arguments": {"filename": str(self.work / "timeout.ppm")}})
                qemu.kill()
                break
            text = log.read_text(errors="replace") if log.exists() else ""
            lines = text[:text.rfind("\n") + 1].splitlines()
            for line in lines[done:]:
                booted = booted or line.startswith("@@BOOTED")
                if line.startswith("@@QMP "):
                    reply = qmp.send(json.loads(line[len("@@QMP "):]))
                    (self.work / "qmp.log").open("a").write(f"{line}\n{json.dumps(reply)}\n")
                if line.startswith("@@SCREEN "):
                    self.screendump(qmp, line.split()[1])
            done = len(lines)
            if not booted:  # GRUB's hot key for the scripted run
                qmp.send({"execute": "send-key", "arguments": {"keys": [{"type": "qcode", "data": "t"}]}})
            time.sleep(0.5)
        return log.read_text(errors="replace") if log.exists() else ""

    def screendump(self, qmp, name):
        """The screen into NAME.ppm; taken again a moment later when it is
        blank (a console being redrawn)."""
        ppm = self.work / f"{name}.ppm"
        for _ in range(3):
            qmp.send({"execute": "screendump", "arguments": {"filename": str(ppm)}})
            if ppm.exists() and ppm_to_png(ppm, self.work / f"{name}.png") >= 0.005:
                return
            time.sleep(0.5)

    def check(self, what, ok, detail=""):
        self.checks.append((ok, f"{self.mode}: {what}" + ("" if ok or not detail else f" ({detail})")))

    def judge(self, cli):
        out = self.output
        self.check("the guest booted the scripted run", "@@BOOTED" in out, f"see {self.work}/console.log")
        # A CD is no drive orvella-cli lists (7); a stick holds the running system (8).
        refused = "@@BOOT-ERASE-EXIT 7" if self.mode == "cd" else "@@BOOT-ERASE-EXIT 8"
        self.check("the boot medium was found and refused", refused in out,
                   next((l for l in out.splitlines() if "BOOT-ERASE" in l), "no answer"))
        self.check("the station ended well", "@@STATION-EXIT 0" in out,
                   next((l for l in out.splitlines() if "STATION-EXIT" in l), "no answer"))
        self.check("the guest finished", "@@DONE" in out)
        for name, serial in DISKS + [HOT]:
            self.check(f"{name} ({serial}) holds zeros", all_zero(self.work / f"{name}.img"))
        self.check("the boot medium is unchanged", digest(self.medium) == self.medium_digest)
        self.judge_records(cli)
        for name in ("station", "menu"):
            screen = self.work / f"{name}.ppm"
            lit = ppm_to_png(screen, self.work / f"{name}.png") if screen.exists() else 0
            self.check(f"the {name} screen was captured and shows text", lit >= 0.005, f"{lit:.1%} of it lit")

    def judge_records(self, cli):
        folder = self.work / "records"
        subprocess.run(["mcopy", "-s", "-n", "-i", str(self.work / "records.img"), "::orvella-records", str(folder)],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        files = sorted(folder.glob("*.json")) if folder.exists() else []
        serials = {}
        for file in files:
            # Unsigned records end verify with status 1; the seal and contents are what count.
            answer = subprocess.run([cli, "verify", str(file)], capture_output=True, text=True).stdout
            sealed = "Seal: intact" in answer and "Contents: consistent" in answer
            record = json.loads(file.read_text())
            self.check(f"record {file.name} is sealed", sealed)
            serials[record["media"]["serial"]] = record["result"]
        want = {serial: "complete" for _, serial in DISKS + [HOT]}
        self.check("the ORVELLA stick holds a complete record per disk, by serial", serials == want, str(serials))


def main():
    iso, cli, work = pathlib.Path(sys.argv[1]), sys.argv[2], pathlib.Path(sys.argv[3])
    boots = [Boot("cd", iso, work), Boot("usb", iso, work)]
    threads = [threading.Thread(target=boot.run) for boot in boots]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    passed = failed = 0
    for boot in boots:
        print(f"{boot.mode}: the guest ran {getattr(boot, 'seconds', 0):.0f} s")
        boot.output = getattr(boot, "output", "")
        boot.judge(cli)
        for ok, line in boot.checks:
            print(("PASS " if ok else "FAIL ") + line)
            passed, failed = passed + ok, failed + (not ok)
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())

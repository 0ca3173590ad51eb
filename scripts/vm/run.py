#!/usr/bin/env python3
"""Boots the test bed guest under QEMU with the drives the scenarios use,
sends the QMP commands the guest asks for at its marked points, and judges
each scenario on the host from the guest's answers and the drive images.

Usage: run.py KERNEL INITRAMFS WORKDIR, or run.py --judge WORKDIR to judge
again what a kept run (ORVELLA_VM_KEEP=1) left.
Prints one line per check and a closing "N passed, N failed" line; the exit
status is 0 only when every check passed.
"""
import importlib.util
import json
import os
import pathlib
import signal
import socket
import subprocess
import sys
import time

from machine import DRIVES, qemu_drive_arguments, prepare_images
from results import GuestResults

HERE = pathlib.Path(__file__).resolve().parent
BOOT_TIMEOUT = 600  # seconds for the whole guest run


class Qmp:
    """A QMP client over QEMU's unix socket."""

    def __init__(self, path):
        for _ in range(200):
            try:
                self.sock = socket.socket(socket.AF_UNIX)
                self.sock.connect(str(path))
                break
            except OSError:
                time.sleep(0.05)
        else:
            raise RuntimeError("QEMU's QMP socket never opened")
        self.reader = self.sock.makefile("r")
        self.reader.readline()  # the greeting
        self.send({"execute": "qmp_capabilities"})

    def send(self, command):
        self.sock.sendall(json.dumps(command).encode() + b"\n")
        while True:
            reply = json.loads(self.reader.readline())
            if "event" not in reply:
                return reply


def start_qemu(kernel, initramfs, work):
    accel = os.environ.get("ORVELLA_VM_ACCEL", "tcg")
    args = [
        "qemu-system-x86_64", "-nodefaults", "-display", "none", "-no-reboot",
        "-accel", accel, "-m", "768", "-smp", "1",
        "-kernel", str(kernel), "-initrd", str(initramfs),
        "-append", f"console=ttyS0 loglevel=3 mitigations=off panic=-1 orvella.drives={len([d for d in DRIVES if d.get('boot', True)])}",
        "-serial", f"file:{work / 'console.log'}",
        "-serial", f"file:{work / 'guest.log'}",
        "-qmp", f"unix:{work / 'qmp.sock'},server=on,wait=off",
        "-pidfile", str(work / "qemu.pid"),
    ]
    if str(kernel).endswith("vmlinux"):
        args += ["-bios", "qboot.rom"]
    args += qemu_drive_arguments(work)
    return subprocess.Popen(args, stdout=open(work / "qemu.out", "w"), stderr=subprocess.STDOUT)


def drive_guest(qemu, work):
    """Follows the guest's output until it powers off, sending the QMP
    commands it asks for; returns the guest's output."""
    qmp = Qmp(work / "qmp.sock")
    log = work / "guest.log"
    done = 0
    deadline = time.monotonic() + BOOT_TIMEOUT
    while qemu.poll() is None:
        if time.monotonic() > deadline:
            qemu.kill()
            raise RuntimeError("the guest did not power off in time")
        text = log.read_text(errors="replace") if log.exists() else ""
        # Only whole lines: the guest may be half way through writing the
        # last one when the file is read.
        lines = text[:text.rfind("\n") + 1].splitlines()
        for line in lines[done:]:
            if line.startswith("@@QMP "):
                reply = qmp.send(json.loads(line[len("@@QMP "):]))
                with open(work / "qmp.log", "a") as out:
                    out.write(f"{line}\n{json.dumps(reply)}\n")
        done = len(lines)
        time.sleep(0.1)
    return log.read_text(errors="replace")


def load_checks():
    checks = []
    for path in sorted((HERE / "scenarios").glob("*.py")):
        spec = importlib.util.spec_from_file_location(path.stem, path)
        module = importlib.util.module_from_spec(spec)
        spec.loader.exec_module(module)
        checks.append((path.stem, module.check))
    return checks


def boot(kernel, initramfs, work):
    started = time.monotonic()
    prepare_images(work)
    print(f"images written in {time.monotonic() - started:.1f} s")
    started = time.monotonic()
    qemu = start_qemu(kernel, initramfs, work)
    try:
        output = drive_guest(qemu, work)
    finally:
        if qemu.poll() is None:
            qemu.kill()
        qemu.wait()
    print(f"guest ran {time.monotonic() - started:.0f} s")
    return output


def main():
    # A terminated run still ends its guest (the finally below).
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    if sys.argv[1] == "--judge":
        work = pathlib.Path(sys.argv[2])
        output = (work / "guest.log").read_text(errors="replace")
    else:
        work = pathlib.Path(sys.argv[3])
        output = boot(pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2]), work)
    results = GuestResults(output, work)
    for name, check in load_checks():
        try:
            check(results)
        except Exception as error:  # a check that breaks is a failed check
            results.fail(f"{name}: the check itself failed: {error!r}")
    print(f"{results.passed} passed, {results.failed} failed")
    return 0 if results.failed == 0 and results.passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())

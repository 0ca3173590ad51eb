"""Whole and quick erases per bus, judged by the images' bytes."""
from machine import QUICK_BYTES, size_of


def check(r):
    for drive_id in ("sata", "nvme", "usb", "sd", "vd"):
        name = f"erase-{drive_id}"
        r.exit_code(f"whole erase of {drive_id}", name, 0)
        record = r.run(name).json()
        r.equal(f"whole erase of {drive_id}: the record says complete", record["result"], "complete")
        r.image_holds(f"whole erase of {drive_id}: every byte of the image is zero", drive_id,
                      [(0, size_of(drive_id))])
    for drive_id in ("sataq", "nvmeq", "usbq", "sdq", "vdq"):
        name = f"erase-{drive_id}"
        size = size_of(drive_id)
        r.exit_code(f"quick erase of {drive_id}", name, 9)
        r.equal(f"quick erase of {drive_id}: the record's mode", r.run(name).json()["mode"], "quick")
        r.image_holds(f"quick erase of {drive_id}: both ends zero, the middle untouched", drive_id,
                      [(0, QUICK_BYTES), (size - QUICK_BYTES, size)], [(QUICK_BYTES, size - QUICK_BYTES)])

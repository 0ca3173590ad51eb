"""Busy and idle ext4 and vfat volumes; a disk held by another program."""
from machine import MiB


def check(r):
    listed = {d["serial"]: d for d in r.run("fs-list").json()["drives"]}
    r.ok("volumes: the list shows the disk with mounted partitions as mounted", listed["VVIRTFS01"]["mounted"])

    holders = next(n for n in r.notes if n.startswith("@@HOLDERS")).split()[1:]
    r.exit_code("volumes: busy ext4 and vfat refuse the erase", "erase-busy", 4)
    busy = r.run("erase-busy").json()["busyVolumes"]
    named = {(str(h["pid"]), h["command"]) for v in busy for h in v["holders"]}
    r.ok("volumes: the record names the process holding a busy volume",
         any((pid, "sleep") in named for pid in holders), f"busy volumes {busy}, holders {holders}")
    r.equal("volumes: nothing was written while they were busy", r.run("fs-intact").out, ["kept", "kept"])

    r.exit_code("volumes: idle ext4 and vfat are unmounted and the disk erased", "erase-idle", 0)
    unmounted = sorted(u["mountPoint"] for u in r.run("erase-idle").json()["unmounted"])
    r.equal("volumes: the record lists both unmounted file systems", unmounted, ["/mnt/ext4", "/mnt/vfat"])
    r.ok("volumes: nothing is mounted from the disk afterwards", "/mnt/" not in r.run("mounts-after").stdout)
    r.image_holds("volumes: the erased disk's image is zero", "vdfs", [(0, 64 * MiB)])

    r.exit_code("held disk: a disk another program locked is refused", "erase-flocked", 7)
    r.ok("held disk: the refusal says the disk is in use",
         "in use by another program" in r.run("erase-flocked").stderr, r.run("erase-flocked").stderr)
    r.exit_code("held disk: a disk held by device-mapper is refused", "erase-dm-held", 4)
    held = r.run("erase-dm-held").json()["busyVolumes"]
    r.ok("held disk: the program does not name itself as the holder",
         all(h["command"] != "orvella-cli" for v in held for h in v["holders"]), f"busy volumes {held}")
    r.image_holds("held disk: the image is untouched", "vdheld", [], [(0, 32 * MiB)])

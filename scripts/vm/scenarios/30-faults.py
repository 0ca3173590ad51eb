"""Bad sectors narrowed and recorded, read errors in the read-back, a
write-protected drive, unplugs during writes and read-back, a hot-added
drive left alone."""
from machine import BAD_SECTOR, READ_BAD_SECTOR, MiB

SECTOR = 512


def check(r):
    for drive_id in ("satabad", "nvmebad"):
        name = f"erase-{drive_id}"
        r.exit_code(f"bad sector on {drive_id}", name, 3)
        record = r.run(name).json()
        r.equal(f"bad sector on {drive_id}: the record names exactly the failing sector", record["failed"],
                [{"from": BAD_SECTOR * SECTOR, "to": (BAD_SECTOR + 1) * SECTOR}])
        r.image_holds(f"bad sector on {drive_id}: the rest of the image is zero, the sector untouched", drive_id,
                      [(0, BAD_SECTOR * SECTOR), ((BAD_SECTOR + 1) * SECTOR, 32 * MiB)],
                      [(BAD_SECTOR * SECTOR, (BAD_SECTOR + 1) * SECTOR)])

    r.exit_code("read error during the read-back", "erase-vdread", 3)
    verification = r.run("erase-vdread").json()["verification"]
    r.equal("read error during the read-back: verification result", verification["result"], "unreadable")
    unread = verification["unread"]
    r.ok("read error during the read-back: the unreadable range holds the failing sector",
         any(u["from"] <= READ_BAD_SECTOR * SECTOR < u["to"] for u in unread), f"unread {unread}")
    r.image_holds("read error during the read-back: every byte was written", "vdread", [(0, 32 * MiB)])

    r.exit_code("write-protected drive", "erase-vdro", 3)
    r.equal("write-protected drive: the record says so", r.run("erase-vdro").json()["result"], "write-protected")
    r.image_holds("write-protected drive: the image is untouched", "vdro", [], [(0, 32 * MiB)])

    r.exit_code("USB stick unplugged during the writes", "erase-usbpull", 6)
    r.equal("USB stick unplugged during the writes: the record says so",
            r.run("erase-usbpull").json()["result"], "drive-gone")
    r.image_holds("hot-added drive: untouched by the run", "vdhot", [], [(0, 32 * MiB)])
    serials = [d["serial"] for d in r.run("list-after-hot-add").json()["drives"]]
    r.ok("hot-added drive: listed afterwards", "VVIRTHOT1" in serials, f"serials {serials}")

    r.exit_code("virtio disk unplugged during the read-back", "erase-vdpull", 6)
    record = r.run("erase-vdpull").json()
    r.equal("virtio disk unplugged during the read-back: the record says so", record["result"], "drive-gone")
    r.equal("virtio disk unplugged during the read-back: verification", record["verification"]["result"],
            "drive-gone")
    r.image_holds("virtio disk unplugged during the read-back: its writes were all made", "vdpull", [(0, 32 * MiB)])

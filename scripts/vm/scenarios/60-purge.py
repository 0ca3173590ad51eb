"""The NVMe format erase through the real driver, judged by the image's
bytes; the crypto erase QEMU does not claim, refused with nothing sent; a
SCSI disk's SANITIZE as the real kernel reports it, refused with its
reason."""
from machine import QUICK_BYTES, size_of


def check(r):
    methods = {m["method"]: m for m in r.run("purge-methods").json()["methods"]}
    r.ok("methods: QEMU's NVMe controller offers format-erase", methods["format-erase"]["available"],
         methods["format-erase"].get("reason", ""))
    r.ok("methods: no crypto-erase (FNA and SANICAP are 0)", not methods["crypto-erase"]["available"])
    r.ok("methods: no block-erase (no sanitize)", not methods["block-erase"]["available"])

    r.exit_code("crypto erase refused", "purge-crypto", 8)
    r.ok("crypto erase refused: says nothing was sent", "nothing was sent" in r.run("purge-crypto").stderr,
         r.run("purge-crypto").stderr[-400:])
    size = size_of("nvmeq")
    r.image_holds("crypto erase refused: the drive's middle still holds its old content", "nvmeq", [],
                  [(QUICK_BYTES, size - QUICK_BYTES)])

    r.exit_code("format erase", "purge-format", 0)
    record = r.run("purge-format").json()
    r.equal("format erase: the record says complete", record["result"], "complete")
    r.equal("format erase: the drive's own command", record["purge"]["command"].split(",")[0],
            "NVMe Format NVM (80h)")
    r.ok("format erase: the sample check passed", record["purge"]["check"]["passed"])
    r.equal("format erase: nothing written from the host", record["bytesWritten"], 0)
    r.image_holds("format erase: every byte of the image is zero", "nvmepurge", [(0, size_of("nvmepurge"))])

    check_scsi(r)


def check_scsi(r):
    methods = {m["method"]: m for m in r.run("purge-scsi-methods").json()["methods"]}
    for name in ("block-erase", "crypto-erase", "drive-overwrite"):
        reason = methods[name].get("reason", "")
        r.ok(f"methods: the SCSI disk's {name} is refused with its reason ({reason})",
             not methods[name]["available"] and reason, reason)
    r.ok("methods: the SCSI disk takes zeros", methods["zeros"]["available"])
    r.exit_code("SCSI crypto erase refused", "purge-scsi-crypto", 8)
    r.ok("SCSI crypto erase refused: says nothing was sent", "nothing was sent" in r.run("purge-scsi-crypto").stderr,
         r.run("purge-scsi-crypto").stderr[-400:])
    r.image_holds("SCSI crypto erase refused: the image keeps its content", "scsi", [], [(0, size_of("scsi"))])

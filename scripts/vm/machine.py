"""The test bed's drives: what QEMU attaches, with which model and serial,
and what each image holds before the guest starts."""
import pathlib

MiB = 1 << 20
PATTERN = b"\xa5"  # what every image holds before the run, so that zeros show writes
BAD_SECTOR = 40000  # where blkdebug fails writes on the "bad" drives
READ_BAD_SECTOR = 50000  # where blkdebug fails reads on the read-back drive
SD_SLOTS = {"sdhci0": "0x1e", "sdhci1": "0x1f"}  # PCI slots of the SD controllers

# id: the image's and QEMU drive's name; bus: how it is attached; the rest
# are QEMU device properties and image options. "boot": False drives are
# attached later by the guest's QMP request.
DRIVES = [
    dict(id="sata", bus="sata", port=0, model="Veltra SATA Test", serial="VSATA0001", ver="VT01", size=32 * MiB),
    dict(id="satabad", bus="sata", port=1, model="Veltra SATA Bad", serial="VSATABAD1", ver="VT01", size=32 * MiB,
         blkdebug=dict(iotype="write", sector=BAD_SECTOR)),
    dict(id="sataq", bus="sata", port=2, model="Veltra SATA Quick", serial="VSATAQ001", ver="VT01", size=32 * MiB),
    dict(id="nvme", bus="nvme", serial="VNVME0001", size=32 * MiB),
    dict(id="nvmebad", bus="nvme", serial="VNVMEBAD1", size=32 * MiB, blkdebug=dict(iotype="write", sector=BAD_SECTOR)),
    dict(id="nvmeq", bus="nvme", serial="VNVMEQ001", size=32 * MiB),
    dict(id="nvmepurge", bus="nvme", serial="VNVMEPUR1", size=32 * MiB),
    dict(id="scsi", bus="scsi", serial="VSCSI0001", size=32 * MiB),
    dict(id="usb", bus="usb", serial="VUSB0001", size=32 * MiB),
    dict(id="usbq", bus="usb", serial="VUSBQ0001", size=32 * MiB),
    dict(id="usbpull", bus="usb", serial="VUSBPULL1", size=64 * MiB, throttle="throttling.bps-write=2097152"),
    dict(id="sd", bus="sd", controller="sdhci0", size=32 * MiB),
    dict(id="sdq", bus="sd", controller="sdhci1", size=32 * MiB),
    dict(id="vd", bus="virtio", serial="VVIRT0001", size=32 * MiB),
    dict(id="vdq", bus="virtio", serial="VVIRTQ001", size=32 * MiB),
    dict(id="vdro", bus="virtio", serial="VVIRTRO01", size=32 * MiB, readonly=True),
    dict(id="vdfs", bus="virtio", serial="VVIRTFS01", size=64 * MiB),
    dict(id="vdheld", bus="virtio", serial="VVIRTHLD1", size=32 * MiB),
    dict(id="vdread", bus="virtio", serial="VVIRTRD01", size=32 * MiB,
         blkdebug=dict(iotype="read", sector=READ_BAD_SECTOR)),
    dict(id="vdpull", bus="virtio", serial="VVIRTPUL1", size=32 * MiB, throttle="throttling.bps-read=2097152"),
    dict(id="vdflaky", bus="virtio", serial="VVIRTFLK1", size=32 * MiB),
    dict(id="vdhot", bus="virtio", serial="VVIRTHOT1", size=32 * MiB, boot=False),
]


QUICK_BYTES = 10_240_000  # what a quick erase zeroes at each end


def size_of(drive_id):
    return next(d["size"] for d in DRIVES if d["id"] == drive_id)


def image_path(work, drive_id):
    return pathlib.Path(work) / f"{drive_id}.img"


def prepare_images(work):
    block = PATTERN * MiB
    for drive in DRIVES:
        with open(image_path(work, drive["id"]), "wb") as image:
            for _ in range(drive["size"] // MiB):
                image.write(block)
    for drive in DRIVES:
        if "blkdebug" in drive:
            rule = drive["blkdebug"]
            (pathlib.Path(work) / f"{drive['id']}.blkdebug").write_text(
                "[inject-error]\nevent = \"{0}_aio\"\niotype = \"{0}\"\nerrno = \"5\"\nsector = \"{1}\"\nonce = \"off\"\n"
                .format(rule["iotype"], rule["sector"]))


def drive_option(work, drive):
    """The -drive (backend) argument of a drive."""
    file = image_path(work, drive["id"])
    if "blkdebug" in drive:
        file = f"blkdebug:{pathlib.Path(work) / (drive['id'] + '.blkdebug')}:{file}"
    option = f"if=none,id=d{drive['id']},file={file},format=raw,cache=writeback"
    if drive.get("readonly"):
        option += ",readonly=on"
    if drive.get("throttle"):
        option += "," + drive["throttle"]
    return option


def device_option(drive):
    """The -device argument of a drive (also what device_add takes)."""
    backend = f"d{drive['id']}"
    bus = drive["bus"]
    if bus == "sata":
        return (f"ide-hd,id={drive['id']},drive={backend},bus=ahci.{drive['port']},"
                f"model={drive['model']},serial={drive['serial']},ver={drive['ver']}")
    if bus == "nvme":
        return f"nvme,id={drive['id']},drive={backend},serial={drive['serial']}"
    if bus == "scsi":
        return f"scsi-hd,id={drive['id']},drive={backend},bus=vscsi.0,serial={drive['serial']}"
    if bus == "usb":
        return f"usb-storage,id={drive['id']},drive={backend},bus=xhci.0,serial={drive['serial']},removable=on"
    if bus == "sd":
        # Every SDHCI controller names its bus "sd-bus": the full path tells them apart.
        return f"sd-card,id={drive['id']},drive={backend},bus=/i440FX-pcihost/pci.0/{drive['controller']}/sd-bus"
    return f"virtio-blk-pci,id={drive['id']},drive={backend},serial={drive['serial']}"


def qemu_drive_arguments(work):
    # The SD controllers sit at fixed PCI slots, by which the guest tells the
    # cards apart (QEMU gives every card the same CID).
    args = ["-device", "ahci,id=ahci", "-device", "qemu-xhci,id=xhci", "-device", "virtio-scsi-pci,id=vscsi",
            "-device", f"sdhci-pci,id=sdhci0,addr={SD_SLOTS['sdhci0']}",
            "-device", f"sdhci-pci,id=sdhci1,addr={SD_SLOTS['sdhci1']}"]
    for drive in DRIVES:
        args += ["-drive", drive_option(work, drive)]
        if drive.get("boot", True):
            args += ["-device", device_option(drive)]
    return args


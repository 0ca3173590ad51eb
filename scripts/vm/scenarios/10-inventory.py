"""Every bus listed with its model, serial, firmware and size; the reports
against smartctl and nvme-cli."""
from machine import DRIVES, MiB


def drive_listed(r, drives, bus, serial, model, size):
    found = [d for d in drives if d["serial"] == serial]
    if not r.ok(f"list: the {bus} drive with serial {serial} is listed", len(found) == 1,
                f"serials listed: {[d['serial'] for d in drives]}"):
        return None
    drive = found[0]
    r.equal(f"list: {serial} is on bus {bus}", drive["bus"], bus)
    if model is not None:
        r.equal(f"list: {serial} model", drive["model"], model)
    r.equal(f"list: {serial} size", drive["bytes"], size)
    return drive


def check(r):
    listed = r.run("list").json()["drives"]
    for d in DRIVES:
        if not d.get("boot", True) or d["bus"] == "sd":
            continue
        bus = {"sata": "SATA", "nvme": "NVME", "usb": "USB", "virtio": "VIRTUAL", "scsi": "SCSI"}[d["bus"]]
        model = {"sata": f"ATA {d.get('model')}", "nvme": "NVMe QEMU NVMe Ctrl", "virtio": "VirtIO Block Device",
                 "usb": "QEMU QEMU HARDDISK", "scsi": "QEMU QEMU HARDDISK"}[d["bus"]]
        drive = drive_listed(r, listed, bus, d["serial"], model, d["size"])
        if drive and d["bus"] == "sata":
            r.equal(f"list: {d['serial']} firmware", drive["firmware"], d["ver"])
            r.ok(f"list: {d['serial']} has a stable name from its WWID without udev",
                 (drive["stableLink"] or "").startswith("wwid:t10.ATA_") and d["serial"] in drive["stableLink"],
                 drive["stableLink"])
        if drive and d["bus"] == "virtio":
            r.equal(f"list: {d['serial']} stable name without udev", drive["stableLink"], "serial:" + d["serial"])
        if drive and d.get("readonly"):
            r.ok(f"list: {d['serial']} is read-only", drive["readOnly"])
    sd = [d for d in listed if d["bus"] == "SD"]
    if r.ok("list: both SD cards are listed on bus SD", len(sd) == 2, f"buses: {[d['bus'] for d in listed]}"):
        sysfs = dict(line.split(":", 1) for line in r.run("sd-sysfs").out if ":" in line)
        r.equal("list: SD card serial from its CID", sd[0]["serial"], card_serial(sysfs["serial"]))
        r.equal("list: SD card firmware from its CID", sd[0]["firmware"],
                f"{int(sysfs['hwrev'], 16):x}.{int(sysfs['fwrev'], 16):x}")
        r.equal("list: SD card stable name without udev", sd[0]["stableLink"], "serial:" + sysfs["serial"])
        r.equal("list: SD card size", sd[0]["bytes"], 32 * MiB)
    check_sata_reports(r)
    check_nvme_reports(r)


def card_serial(text):
    return text


def check_sata_reports(r):
    passport = r.run("sata-details").json()["passport"]
    reference = r.run("sata-smartctl").json()
    info = reference["model_name"], reference["serial_number"], reference["firmware_version"]
    r.equal("details: SATA model, serial, firmware equal smartctl's",
            (passport["model"], passport["serial"], passport["firmware"]), info)
    r.equal("details: SATA sectors equal smartctl's", passport["sectors"], reference["user_capacity"]["blocks"])
    ours = {a["id"]: (a["current"], a["worst"], a["raw"], a["threshold"]) for a in r.run("sata-smart").json()["attributes"]}
    theirs = {a["id"]: (a["value"], a["worst"], a["raw"]["value"], a["thresh"])
              for a in reference["ata_smart_attributes"]["table"]}
    r.ok("smart: SATA has attributes", len(theirs) > 0)
    r.equal("smart: SATA attribute values, worst, raw and thresholds equal smartctl's", ours, theirs)


def check_nvme_reports(r):
    ours = r.run("nvme-smart").json()["nvme"]
    log = r.run("nvme-smartlog").json()
    reference = r.run("nvme-smartctl").json()["nvme_smart_health_information_log"]
    if not r.ok("smart: NVMe health log read", ours is not None, r.run("nvme-smart").stderr):
        return
    pairs = {
        "criticalWarning": "critical_warning", "compositeTemperatureKelvin": "temperature",
        "availableSparePercent": "avail_spare", "availableSpareThresholdPercent": "spare_thresh",
        "percentageUsed": "percent_used", "dataUnitsRead": "data_units_read",
        "dataUnitsWritten": "data_units_written", "hostReadCommands": "host_read_commands",
        "hostWriteCommands": "host_write_commands", "controllerBusyMinutes": "controller_busy_time",
        "powerCycles": "power_cycles", "powerOnHours": "power_on_hours", "unsafeShutdowns": "unsafe_shutdowns",
        "mediaErrors": "media_errors", "errorLogEntries": "num_err_log_entries",
        "warningTemperatureMinutes": "warning_temp_time", "criticalTemperatureMinutes": "critical_comp_time",
    }
    r.equal("smart: NVMe health log equals nvme-cli's smart-log",
            {k: ours[k] for k in pairs}, {k: int(log[v]) for k, v in pairs.items()})
    r.equal("smart: NVMe temperature equals smartctl's", ours["compositeTemperatureKelvin"] - 273,
            reference["temperature"])
    r.equal("smart: NVMe host reads equal smartctl's", ours["hostReadCommands"], reference["host_reads"])

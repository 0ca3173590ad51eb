#include "reports/device_details_report.h"

#include "core/log_sinks.h"
#include "core/text.h"
#include "device/identify_device.h"
#include "device/identify_parser.h"
#include "reports/nvme_details_report.h"
#include "reports/report_header.h"
#include "reports/text_forms.h"

namespace orvella {
namespace {

class DetailsWriter {
 public:
  explicit DetailsWriter(Program& program) : program_(program) {}

  void Line(const std::u16string& text) { AddDetailsLine(program_, text); }
  void Supported(bool supported, const std::u16string& subject, const std::u16string& rest = u"") {
    Line(subject + (supported ? u" is supported" : u" is not supported") + rest);
  }

  void Identity(const T_IDE_PASSPORT& p) {
    Line(u"Model: " + p.name);
    Line(u"Firmware Revision: " + p.fw);
    Line(u"Serial Number: " + p.sn);
    if (p.buffersize > 0)
      Line(u"Buffer size: " + CapacityToStr(p.buffersize, program_.locale.DecimalSeparator()));
    Line(kBlankLine);
  }

  void PhysicalParameters(const T_IDE_PASSPORT& p) {
    Line(u"PHYSICAL PARAMETERS:");
    Supported(p.lba28support, u"LBA mode");
    Supported(p.lba48support, u"LBA-48 mode");
    Line(u"Sectors available with LBA commands: " + IntToGroupedStr(p.lba28sectors));
    Line(u"Sectors available with LBA48 commands: " + IntToGroupedStr(p.lba48sectors));
    // The capacity counts 512-byte sectors whatever the drive's sector size.
    // Wrapping arithmetic keeps a nonsensical count from IDENTIFY harmless.
    const auto capacity = static_cast<std::int64_t>(static_cast<std::uint64_t>(p.lbasectors) * 512u);
    Line(u"Full device capacity: " + IntToGroupedStr(capacity) + u" bytes");
    Line(kBlankLine);
  }

  void Security(const T_IDE_PASSPORT& p) {
    Line(u"SECURITY:");
    Supported(p.securitysupport, u"Security features");
    if (!p.locked) {
      Line(u"The device is currently not locked");
    } else {
      Line(u"The drive is currently LOCKED");
      if (p.lockedmax) {
        Line(u"Security level: Maximum");
        Line(u"Device needs USER password to be unlocked.");
        Line(u"If USER password is unknown, the device could be erased with MASTER password.");
      } else {
        Line(u"Security level: High");
        Line(u"Device needs either USER or MASTER password to be unlocked.");
      }
    }
    // A password set (enabled) does not lock an unlocked drive; frozen
    // means the security settings cannot change until the next power-on.
    Line(p.securityenabled ? u"Security is enabled (a password is set)" : u"Security is not enabled");
    Line(p.securityfrozen ? u"Security is frozen" : u"Security is not frozen");
    Line(kBlankLine);
  }

  void Features(const T_IDE_PASSPORT& p) {
    Line(u"FEATURES:");
    Supported(p.smartsupport, u"SMART");
    Supported(p.hpasupport, u"HPA (Host-protected area)");
    Supported(p.aamsupport, u"AAM (Automatic acoustic management)");
    Supported(p.StreamingSupported, u"Streaming feature set");
    Line(kBlankLine);
  }

  void HiddenSectors(const T_IDE_PASSPORT& p, const HiddenAreas& areas) {
    Line(u"HIDDEN AREAS:");
    if (areas.method == NativeMaxMethod::None) {
      Line(p.hpasupport ? u"Host Protected Area: not checked (the drive has no 48-bit addressing)"
                        : u"Host Protected Area: not supported by the drive");
    } else if (!areas.nativeSectors) {
      Line(u"Host Protected Area: the drive did not report its native maximum");
    } else {
      Line(u"Native maximum: " + IntToGroupedStr(*areas.nativeSectors) + u" sectors");
      Line(u"Sectors hidden by a Host Protected Area: " + IntToGroupedStr(areas.HpaHiddenSectors()));
    }
    if (!areas.dcoSupported)
      Line(u"Device Configuration Overlay: not supported by the drive");
    else if (!areas.dcoSectors)
      Line(u"Device Configuration Overlay: the drive did not report its factory maximum");
    else
      Line(u"Sectors hidden by a Device Configuration Overlay: " + IntToGroupedStr(areas.DcoHiddenSectors()));
    Line(kBlankLine);
  }

  // What the storage stack told of a drive that answers no IDENTIFY: the
  // user still learns which drive it is and what it holds.
  void KnownWithoutIdentify(const TDeviceTable& entry) {
    const TIdentifyDeviceData& d = entry.IdentifyData;
    const std::int64_t bytes = DriveBytes(d).value_or(0);
    Line(kBlankLine);
    Line(u"WHAT THE SYSTEM REPORTS:");
    Line(u"Bus: " + BusTypeToStr(d.BusType));
    Line(u"Model: " + Trim(d.Model));
    Line(u"Firmware Revision: " + Trim(d.FW));
    Line(u"Serial Number: " + Trim(d.SN));
    Line(u"Capacity: " + CapacityToStr(bytes, program_.locale.DecimalSeparator()) + u" (" + IntToGroupedStr(d.LBA) +
         u" sectors of " + IntToStr(d.SectorSize) + u" bytes)");
    Line(d.RemovableMedia != 0 ? u"Removable media: yes" : u"Removable media: no");
    Line(u"Device path: " + program_.os.DriveNamesOf(entry.DeviceNumber).devicePath);
  }

  void Queuing(const T_IDE_PASSPORT& p) {
    Line(u"QUEUING:");
    Supported(p.QueueDepth > 0, u"Command Queuing", u" by the device");
    // Word 75 holds the maximum queue depth less one.
    if (p.QueueDepth > 0) Line(u"Maximum Queue Depth: " + IntToStr(p.QueueDepth + 1));
  }

 private:
  Program& program_;
};

}  // namespace

IdentifyOutcome ShowDeviceDetails(DriveRun& run) {
  WriteReportHeader(run, AddDetailsLine, u"Device details for ");
  DetailsWriter writer(run.program);
  // An NVMe drive answers for itself where the system carries its Identify.
  if (run.Entry().IdentifyData.BusType == BusTypeNvme)
    if (const auto nvme = ReadNvmeIdentification(run)) {
      for (const std::u16string& line : NvmeDetailsLines(*nvme, run.program.locale.DecimalSeparator()))
        writer.Line(line);
      return IdentifyOutcome::Identified;
    }

  const DeviceIdentification identification = IdentifyChosenDevice(run);
  switch (identification.outcome) {
    case IdentifyOutcome::InternalError:
      writer.Line(u"Details are unavailable: Internal error.");
      writer.Line(std::u16string(u"Please post this problem on ") + kSupportForumAddress);
      return identification.outcome;
    case IdentifyOutcome::Unavailable:
      writer.Line(u"Details are unavailable for this device.");
      writer.KnownWithoutIdentify(run.Entry());
      return identification.outcome;
    case IdentifyOutcome::Identified:
      break;
  }

  const T_IDE_PASSPORT& passport = identification.passport;
  writer.Identity(passport);
  writer.PhysicalParameters(passport);
  writer.Security(passport);
  writer.Features(passport);
  writer.HiddenSectors(passport, identification.hiddenAreas);
  writer.Queuing(passport);
  return identification.outcome;
}

}  // namespace orvella

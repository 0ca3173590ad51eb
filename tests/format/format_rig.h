// One simulated drive, chosen and opened as the main window leaves it, with
// a recording "LOW-LEVEL FORMAT" page: what the erase tests start from.
#pragma once

#include <string>
#include <vector>

#include "core/program.h"
#include "support/recording_format_page.h"
#include "support/test_program.h"

namespace orvella::test {

inline VirtualDrive Drive(std::int64_t length, std::uint32_t bytesPerSector = 512) {
  VirtualDrive d;
  d.number = 1;
  d.length = length;
  d.bytesPerSector = bytesPerSector;
  return d;
}

struct FormatRig {
  explicit FormatRig(VirtualDrive drive, std::vector<VirtualVolume> volumes = {})
      : t(MachineWith(drive, std::move(volumes))) {
    TDeviceTable& entry = t.program.DeviceTables[1];
    entry.DevicePath = u"\\\\.\\PhysicalDrive1";
    entry.DeviceNumber = drive.number;
    entry.IdentifyData.Model = u"MODEL-A";
    entry.IdentifyData.FW = u"FW01";
    entry.IdentifyData.LBA = drive.length / drive.bytesPerSector;
    entry.IdentifyData.SectorSize = drive.bytesPerSector;
    t.program.DeviceCount = 1;
    t.drive.SelectedDevice = 1;
    t.drive.DeviceTitle = u"[1]  MODEL-A    FW01    [title]";
    t.drive.DeviceHandle =
        t.os.CreateFileW(u"\\\\.\\PhysicalDrive1", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
    t.os.ClearRequests();
  }

  const MediumRecord& Medium() const { return t.os.Medium(1); }
  std::vector<std::u16string> Log() const { return Unstamped(t.panes.formatLog); }
  // Lengths of every write attempt, in order.
  std::vector<std::uint32_t> WriteLengths() const {
    std::vector<std::uint32_t> lengths;
    for (const auto& w : Medium().writes) lengths.push_back(w.length);
    return lengths;
  }
  // True when no byte was written twice: the attempts add up to what the
  // merged extents hold.
  bool NothingWrittenTwice() const {
    std::int64_t sum = 0;
    for (const auto& w : Medium().writes)
      if (w.done) sum += w.length;
    return sum == Medium().BytesWritten();
  }

  TestProgram t;
  RecordingFormatPage page;
};

}  // namespace orvella::test

#include "device/hidden_areas.h"

#include <gtest/gtest.h>

#include "device/ata_pass_through_ex.h"
#include "device/identify_device.h"
#include "device/identify_parser.h"
#include "platform/byte_order.h"
#include "support/ata_drives.h"

namespace orvella {
namespace {

using test::HardDisk;
using test::OpenDrive;

constexpr std::int64_t kAccessible = 976773168;

struct Detection {
  explicit Detection(const VirtualDrive& drive) : os(test::MachineWith(drive)) {
    handle = OpenDrive(os, drive.number);
    AtaSector data{};
    EXPECT_TRUE(IdentifyDevice(os, handle, 0, data));
    passport = ParseIdentifyData(os, data);
    os.ClearRequests();
    areas = DetectHiddenAreas(os, handle, 0, passport);
  }
  std::vector<RequestRecord> TaskFileRequests() const {
    std::vector<RequestRecord> found;
    for (const RequestRecord& r : os.Requests())
      if (r.controlCode == IOCTL_ATA_PASS_THROUGH) found.push_back(r);
    return found;
  }

  VirtualOs os;
  Handle handle = INVALID_HANDLE_VALUE;
  T_IDE_PASSPORT passport;
  HiddenAreas areas;
};

TEST(HiddenAreas, AHostProtectedAreaAsReadNativeMaxAddressExtTellsIt) {
  VirtualDrive drive = HardDisk();
  drive.ata.nativeSectors = kAccessible + 4096;
  const Detection d(drive);
  EXPECT_EQ(d.areas.method, NativeMaxMethod::ReadNativeMaxExt);
  EXPECT_EQ(d.areas.accessibleSectors, kAccessible);
  EXPECT_EQ(d.areas.nativeSectors, kAccessible + 4096);
  EXPECT_EQ(d.areas.HpaHiddenSectors(), 4096);
  EXPECT_FALSE(d.areas.dcoSupported);
  EXPECT_EQ(d.areas.DcoHiddenSectors(), 0);

  // The request: a 48-byte ATA_PASS_THROUGH_EX, 48-bit, no data, LBA mode.
  const auto requests = d.TaskFileRequests();
  ASSERT_EQ(requests.size(), 1u);
  const std::vector<std::uint8_t>& in = requests[0].input;
  EXPECT_EQ(requests[0].inLength, 48u);
  EXPECT_EQ(requests[0].outLength, 48u);
  EXPECT_EQ(GetU16(in.data(), layout::AtaPtLength), 48);
  EXPECT_EQ(GetU16(in.data(), layout::AtaPtFlags), ATA_FLAGS_DRDY_REQUIRED | ATA_FLAGS_48BIT_COMMAND);
  EXPECT_EQ(GetU32(in.data(), layout::AtaPtDataTransferLength), 0u);
  EXPECT_EQ(in[layout::AtaPtCurrentTaskFile + 5], 0xE0);
  EXPECT_EQ(in[layout::AtaPtCurrentTaskFile + 6], 0x27);
}

TEST(HiddenAreas, AccessibleMaxAddressDrivesAreAskedWithGetNativeMaxAddressExt) {
  VirtualDrive drive = HardDisk();
  drive.ata.identify->words[119] = 0x4100;
  drive.ata.identify->words[82] = 0x706B;  // no HPA feature set
  const Detection d(drive);
  EXPECT_EQ(d.areas.method, NativeMaxMethod::GetNativeMaxExt);
  EXPECT_EQ(d.areas.HpaHiddenSectors(), 0);
  EXPECT_EQ(d.areas.nativeSectors, kAccessible);
  const auto requests = d.TaskFileRequests();  // a copy: the input below must outlive the call
  ASSERT_EQ(requests.size(), 1u);
  const std::vector<std::uint8_t>& in = requests[0].input;
  EXPECT_EQ(in[layout::AtaPtCurrentTaskFile + 0], 0x00);  // GET NATIVE MAX ADDRESS EXT
  EXPECT_EQ(in[layout::AtaPtCurrentTaskFile + 6], 0x78);
}

TEST(HiddenAreas, AnOverlayIsReadFromItsIdentifyDataWhenItsIntegrityHolds) {
  VirtualDrive drive = HardDisk();
  drive.ata.identify->words[83] = 0x7E01;
  drive.ata.factorySectors = kAccessible + 100;
  const Detection d(drive);
  EXPECT_TRUE(d.areas.dcoSupported);
  EXPECT_EQ(d.areas.dcoSectors, kAccessible + 100);
  EXPECT_EQ(d.areas.DcoHiddenSectors(), 100);
  const auto requests = d.TaskFileRequests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].inLength, 48u + 512u);
  EXPECT_EQ(GetU16(requests[1].input.data(), layout::AtaPtFlags), ATA_FLAGS_DRDY_REQUIRED | ATA_FLAGS_DATA_IN);

  // A reply whose data area was cut short proves nothing.
  RequestFault cut;
  cut.controlCode = IOCTL_ATA_PASS_THROUGH;
  cut.ataCommand = 0xB1;
  cut.replyBytes = 48 + 256;
  drive.requestFaults.push_back(cut);
  EXPECT_FALSE(Detection(drive).areas.dcoSectors.has_value());
}

TEST(HiddenAreas, ADriveThatAbortsOrLacksTheFeatureSetsTellsNothing) {
  VirtualDrive drive = HardDisk();
  drive.ata.identify->words[82] = 0x706B;  // neither HPA nor Accessible Max Address
  const Detection none(drive);
  EXPECT_EQ(none.areas.method, NativeMaxMethod::None);
  EXPECT_TRUE(none.TaskFileRequests().empty());

  // The drive claims HPA but aborts the command: the status says so.
  VirtualDrive aborting = HardDisk();
  aborting.ata.identify->words[83] = 0x7601;
  RequestFault fail;
  fail.controlCode = IOCTL_ATA_PASS_THROUGH;
  fail.error = ERROR_IO_DEVICE;
  aborting.requestFaults.push_back(fail);
  const Detection refused(aborting);
  EXPECT_EQ(refused.areas.method, NativeMaxMethod::ReadNativeMaxExt);
  EXPECT_FALSE(refused.areas.nativeSectors.has_value());
  EXPECT_EQ(refused.areas.HpaHiddenSectors(), 0);

  // A request that succeeds with ERR in the status register is no answer.
  Detection plain(HardDisk());
  AtaTaskFileCommand command;
  command.current.bCommandReg = 0x37;  // the simulated drive aborts what it does not read
  command.ext48 = true;
  AtaTaskFileResult result;
  EXPECT_FALSE(AtaPassThrough(plain.os, plain.handle, command, result));
  EXPECT_TRUE(plain.os.Requests().back().ok);
}

}  // namespace
}  // namespace orvella

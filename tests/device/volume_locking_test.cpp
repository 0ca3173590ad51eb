#include "device/volume_locking.h"

#include <gtest/gtest.h>

#include "support/test_program.h"

namespace orvella {
namespace {

using test::TestProgram;
using test::Unstamped;
using Lines = std::vector<std::u16string>;

VirtualVolume Volume(const char* name, std::uint32_t deviceNumber, std::uint32_t partition = 1) {
  VirtualVolume v;
  v.name = name;
  v.deviceNumber = deviceNumber;
  v.partition = partition;
  return v;
}

VirtualMachine Machine(std::vector<VirtualVolume> volumes) {
  VirtualMachine m;
  for (std::uint32_t n : {0u, 1u}) {
    VirtualDrive d;
    d.number = n;
    d.length = 1 << 20;
    m.drives.push_back(d);
  }
  m.volumes = std::move(volumes);
  return m;
}

std::vector<RequestRecord> RequestsOf(const VirtualOs& os, RequestRecord::Kind kind) {
  std::vector<RequestRecord> out;
  for (const auto& r : os.Requests())
    if (r.kind == kind) out.push_back(r);
  return out;
}

TEST(ListLogicalDrives, GivesTheRootsWithoutTheirBackslashInSystemOrder) {
  VirtualOs os(Machine({Volume("C:", 0), Volume("E:", 1), Volume("Z:", 1)}));
  DriveNameList names;
  names[5] = u"stale";
  EXPECT_TRUE(ListLogicalDrives(os, names));
  EXPECT_EQ(names[0], u"C:");
  EXPECT_EQ(names[1], u"E:");
  EXPECT_EQ(names[2], u"Z:");
  for (std::size_t i = 3; i < names.size(); ++i) EXPECT_TRUE(names[i].empty()) << i;
}

TEST(ListLogicalDrives, AMachineWithoutRootsHasAnEmptyListButAFailedQueryHasNone) {
  VirtualOs none(Machine({}));
  DriveNameList names;
  EXPECT_TRUE(ListLogicalDrives(none, names));

  VirtualMachine failing = Machine({Volume("C:", 0)});
  failing.driveStringsFail = true;
  VirtualOs os(failing);
  EXPECT_FALSE(ListLogicalDrives(os, names));
  EXPECT_TRUE(names[0].empty());
}

TEST(ListLogicalDrives, AListNeedingTheWholeBufferIsRefused) {
  // 256 roots of "AB:\" plus their zeros need 1,280 characters.
  std::vector<VirtualVolume> many;
  for (int i = 0; i < 256; ++i) many.push_back(Volume("AB:", 0));
  VirtualOs os(Machine(many));
  DriveNameList names;
  EXPECT_FALSE(ListLogicalDrives(os, names));
  EXPECT_TRUE(names[0].empty());
}

TEST(GetVolumeDeviceNumber, AsksWithoutAccessRightsAndAlwaysClosesTheVolume) {
  VirtualMachine m = Machine({Volume("C:", 1, 2), Volume("D:", 1)});
  m.volumes[1].queryError = ERROR_INVALID_FUNCTION;
  VirtualOs os(m);
  TVolumeDeviceNumber info;
  GetVolumeDeviceNumber(os, u"C:", info);
  EXPECT_TRUE(info.Found);
  EXPECT_EQ(info.DeviceType, 7u);
  EXPECT_EQ(info.DeviceNumber, 1u);
  EXPECT_EQ(info.PartitionNumber, 2u);

  GetVolumeDeviceNumber(os, u"D:", info);
  EXPECT_FALSE(info.Found);
  EXPECT_EQ(info.DeviceNumber, 0u);
  GetVolumeDeviceNumber(os, u"Q:", info);  // no such volume
  EXPECT_FALSE(info.Found);

  const auto opens = RequestsOf(os, RequestRecord::Kind::Open);
  ASSERT_EQ(opens.size(), 3u);
  EXPECT_EQ(opens[0].path, u"\\\\.\\C:");
  EXPECT_EQ(opens[0].access, 0u);
  EXPECT_EQ(opens[0].share, FILE_SHARE_READ | FILE_SHARE_WRITE);
  const auto queries = RequestsOf(os, RequestRecord::Kind::Ioctl);
  ASSERT_EQ(queries.size(), 2u);
  EXPECT_EQ(queries[0].controlCode, IOCTL_STORAGE_GET_DEVICE_NUMBER);
  EXPECT_EQ(queries[0].inLength, 0u);
  EXPECT_EQ(queries[0].outLength, 1024u);
  EXPECT_EQ(os.OpenHandleCount(), 0);
}

TEST(LockDeviceVolumes, ADriveWithoutVolumesIsTakenSilently) {
  TestProgram t(Machine({Volume("C:", 0)}));
  EXPECT_TRUE(LockDeviceVolumes(t.drive, 1).locked);
  EXPECT_TRUE(t.drive.LockedVolumes.empty());
  EXPECT_TRUE(t.panes.formatLog.empty());
  EXPECT_EQ(t.os.OpenHandleCount(), 0);
}

TEST(LockDeviceVolumes, LocksEveryVolumeOfTheDriveInListOrderUntilTheRelease) {
  TestProgram t(Machine({Volume("C:", 1), Volume("D:", 0), Volume("E:", 1)}));
  ASSERT_TRUE(LockDeviceVolumes(t.drive, 1).locked);
  ASSERT_EQ(t.drive.LockedVolumes.size(), 2u);
  EXPECT_TRUE(t.os.IsVolumeLocked("C:"));
  EXPECT_FALSE(t.os.IsVolumeLocked("D:"));
  EXPECT_TRUE(t.os.IsVolumeLocked("E:"));

  // Lock, dismount and extended access go to one read handle per volume,
  // C: before E:.
  std::vector<std::pair<Handle, std::uint32_t>> volumeRequests;
  for (const auto& r : RequestsOf(t.os, RequestRecord::Kind::Ioctl))
    if (r.controlCode != IOCTL_STORAGE_GET_DEVICE_NUMBER) volumeRequests.push_back({r.handle, r.controlCode});
  const Handle c = t.drive.LockedVolumes[0], e = t.drive.LockedVolumes[1];
  const std::vector<std::pair<Handle, std::uint32_t>> expected = {
      {c, FSCTL_LOCK_VOLUME}, {c, FSCTL_DISMOUNT_VOLUME}, {c, FSCTL_ALLOW_EXTENDED_DASD_IO},
      {e, FSCTL_LOCK_VOLUME}, {e, FSCTL_DISMOUNT_VOLUME}, {e, FSCTL_ALLOW_EXTENDED_DASD_IO}};
  EXPECT_EQ(volumeRequests, expected);

  t.os.ClearRequests();
  ReleaseDeviceVolumes(t.drive);
  EXPECT_TRUE(t.drive.LockedVolumes.empty());
  const auto closes = RequestsOf(t.os, RequestRecord::Kind::Close);
  ASSERT_EQ(closes.size(), 2u);
  EXPECT_EQ(closes[0].handle, c);
  EXPECT_EQ(closes[1].handle, e);
  EXPECT_FALSE(t.os.IsVolumeLocked("C:"));
  EXPECT_EQ(t.os.OpenHandleCount(), 0);
}

TEST(LockDeviceVolumes, TracesEveryStepInDebugMode) {
  TestProgram t(Machine({Volume("C:", 1, 2), Volume("D:", 0)}));
  t.program.DebugMode = true;
  ASSERT_TRUE(LockDeviceVolumes(t.drive, 1).locked);
  const Lines expected = {u"Looking for partitions...",
                          u"Done.",
                          u"Getting device data...",
                          u"Done.",
                          u"Found partition C:      DeviceType: 7   DeviceNumber: 1   Partition: 2",
                          u"Locking \\\\.\\C:",
                          u"Got handle!",
                          u"Locking volume...",
                          u"Done.",
                          u"Dismounting volume...",
                          u"Done.",
                          u"Extending I/O...",
                          u"Done.",
                          u"Getting device data...",
                          u"Done.",
                          u"Found partition D:      DeviceType: 7   DeviceNumber: 0   Partition: 1"};
  EXPECT_EQ(Unstamped(t.panes.formatLog), expected);
  EXPECT_EQ(t.panes.formatLog[0], t.Stamp() + u"   Looking for partitions...");
}

TEST(LockDeviceVolumes, ComparesOnlyTheNumberNotTheDeviceType) {
  VirtualMachine m = Machine({Volume("F:", 1)});
  m.volumes[0].deviceType = 2;  // an optical drive numbered like the disk
  TestProgram t(m);
  EXPECT_TRUE(LockDeviceVolumes(t.drive, 1).locked);
  EXPECT_EQ(t.drive.LockedVolumes.size(), 1u);
}

TEST(LockDeviceVolumes, SkipsVolumesThatCannotBeAskedAndIgnoresARefusedExtendedAccess) {
  VirtualMachine m = Machine({Volume("C:", 1), Volume("D:", 1), Volume("E:", 1)});
  m.volumes[0].openError = ERROR_ACCESS_DENIED;
  m.volumes[1].queryError = ERROR_INVALID_FUNCTION;
  m.volumes[2].extendedIoError = ERROR_INVALID_FUNCTION;
  TestProgram t(m);
  EXPECT_TRUE(LockDeviceVolumes(t.drive, 1).locked);
  ASSERT_EQ(t.drive.LockedVolumes.size(), 1u);
  EXPECT_TRUE(t.os.IsVolumeLocked("E:"));
  EXPECT_TRUE(t.panes.formatLog.empty());
}

TEST(LockDeviceVolumes, ARefusedStepClosesThatVolumeAndKeepsTheEarlierOnesForTheRelease) {
  for (const bool refuseDismount : {false, true}) {
    VirtualMachine m = Machine({Volume("C:", 1), Volume("E:", 1), Volume("G:", 1)});
    // A refused lock is what a volume with open files gives.
    (refuseDismount ? m.volumes[1].dismountError : m.volumes[1].lockError) = ERROR_ACCESS_DENIED;
    TestProgram t(m);
    t.program.DebugMode = true;
    EXPECT_FALSE(LockDeviceVolumes(t.drive, 1).locked);
    ASSERT_EQ(t.drive.LockedVolumes.size(), 1u);
    EXPECT_TRUE(t.os.IsVolumeLocked("C:"));
    EXPECT_FALSE(t.os.IsVolumeLocked("G:"));  // never reached
    EXPECT_EQ(t.os.OpenHandleCount(), 1);     // the refused handle is closed
    EXPECT_EQ(Unstamped(t.panes.formatLog).back(),
              refuseDismount ? u"Dismounting volume..." : u"Locking volume...");
    ReleaseDeviceVolumes(t.drive);
    EXPECT_EQ(t.os.OpenHandleCount(), 0);
  }
}

TEST(LockDeviceVolumes, ARefusedLockDescribesTheVolumeAndWhatHoldsIt) {
  VirtualMachine m = Machine({Volume("C:", 1), Volume("E:", 1)});
  m.volumes[1].lockError = ERROR_ACCESS_DENIED;
  m.volumes[1].mountPoint = "E:\\";
  m.volumes[1].holders = std::vector<VolumeHolder>{{4242, u"editor"}};
  TestProgram t(m);
  const VolumeLocking refused = LockDeviceVolumes(t.drive, 1);
  EXPECT_FALSE(refused.locked);
  EXPECT_EQ(refused.busyVolumes, (std::vector<BusyVolume>{{u"E:", {u"E:\\"}, true, {{4242, u"editor"}}}}));
  ReleaseDeviceVolumes(t.drive);

  // The next attempt starts afresh.
  t.os.Machine().volumes[1].lockError = 0;
  const VolumeLocking taken = LockDeviceVolumes(t.drive, 1);
  EXPECT_TRUE(taken.locked);
  EXPECT_TRUE(taken.busyVolumes.empty());
  ReleaseDeviceVolumes(t.drive);
}

TEST(BusyVolumeLines, NameTheMountPointsAndEachHolderOrSayWhyNone) {
  EXPECT_EQ(BusyVolumeLines({u"sdb1", {u"/mnt/a", u"/mnt/b"}, true, {{12, u"sleep"}, {40, u"bash"}}}),
            (Lines{u"Volume sdb1, mounted on /mnt/a and /mnt/b is in use.", u"Held by process 12 (sleep)",
                   u"Held by process 40 (bash)"}));
  EXPECT_EQ(BusyVolumeLines({u"sdb2", {}, true, {}}),
            (Lines{u"Volume sdb2 is in use.", u"No process was found holding files open on it."}));
  EXPECT_EQ(BusyVolumeLines({u"E:", {u"E:\\"}, false, {}}),
            (Lines{u"Volume E:, mounted on E:\\ is in use.", u"Which processes hold it cannot be told on this system."}));
}

TEST(LockDeviceVolumes, AVolumeThatWillNotOpenForReadingWritesInvalidHandleUnstamped) {
  VirtualMachine m = Machine({Volume("C:", 1)});
  m.volumes[0].readOpenError = ERROR_ACCESS_DENIED;
  TestProgram t(m);
  EXPECT_FALSE(LockDeviceVolumes(t.drive, 1).locked);
  EXPECT_EQ(t.panes.formatLog, Lines{u"Invalid handle"});
  EXPECT_TRUE(t.drive.LockedVolumes.empty());
}

TEST(LockDeviceVolumes, AMissingDriveNameListIsALockFailure) {
  VirtualMachine m = Machine({Volume("C:", 1)});
  m.driveStringsFail = true;
  TestProgram t(m);
  EXPECT_FALSE(LockDeviceVolumes(t.drive, 1).locked);
  EXPECT_EQ(Unstamped(t.panes.formatLog),
            Lines{u"The list of drive letters could not be read, so no volume could be locked."});
  EXPECT_TRUE(RequestsOf(t.os, RequestRecord::Kind::Open).empty());
}

}  // namespace
}  // namespace orvella

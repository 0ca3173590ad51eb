// The seam's constants and structure layouts against those of the Windows
// headers of the tool chain: the system code builds its request buffers
// from the seam's numbers, and Windows reads them with its own.
//
// The seam's values are taken first; <windows.h> then turns the same names
// into its macros, and the second expansion of each list gives those.
// IOCTL_SCSI_MINIPORT_IDENTIFY is declared by the driver kit's scsi.h only,
// which does not go with <windows.h>; control_codes_test checks it.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <cstdint>
#include <vector>

#include "platform/control_codes.h"
#include "platform/error_codes.h"
#include "platform/os.h"
#include "platform/windows/scsi_pass_through_direct.h"

#define ORVELLA_SEAM_CONSTANTS(X)                                                                    \
  X(IOCTL_DISK_GET_DRIVE_GEOMETRY) X(IOCTL_DISK_GET_LENGTH_INFO) X(IOCTL_DISK_UPDATE_PROPERTIES)   \
  X(IOCTL_STORAGE_QUERY_PROPERTY) X(IOCTL_STORAGE_GET_DEVICE_NUMBER) X(SMART_GET_VERSION)           \
  X(IOCTL_STORAGE_REINITIALIZE_MEDIA)                                                              \
  X(SMART_SEND_DRIVE_COMMAND) X(SMART_RCV_DRIVE_DATA) X(IOCTL_SCSI_MINIPORT) X(IOCTL_SCSI_GET_ADDRESS) \
  X(IOCTL_SCSI_PASS_THROUGH_DIRECT)                                                                  \
  X(FSCTL_LOCK_VOLUME) X(FSCTL_DISMOUNT_VOLUME) X(FSCTL_ALLOW_EXTENDED_DASD_IO)                     \
  X(ERROR_SUCCESS) X(ERROR_INVALID_FUNCTION) X(ERROR_FILE_NOT_FOUND) X(ERROR_ACCESS_DENIED)         \
  X(ERROR_INVALID_HANDLE) X(ERROR_NOT_ENOUGH_MEMORY) X(ERROR_WRITE_PROTECT) X(ERROR_NOT_READY)      \
  X(ERROR_SEEK) X(ERROR_SHARING_VIOLATION) X(ERROR_LOCK_VIOLATION) X(ERROR_HANDLE_EOF) X(ERROR_NOT_SUPPORTED)          \
  X(ERROR_DEV_NOT_EXIST) X(ERROR_INVALID_PARAMETER) X(ERROR_SEM_TIMEOUT)                           \
  X(ERROR_INSUFFICIENT_BUFFER) X(ERROR_MORE_DATA) X(ERROR_IO_DEVICE)                               \
  X(GENERIC_READ) X(GENERIC_WRITE) X(FILE_SHARE_READ) X(FILE_SHARE_WRITE) X(OPEN_EXISTING)          \
  X(FILE_BEGIN) X(VER_PLATFORM_WIN32_NT)

namespace {

struct Constant {
  const char* name;
  std::uint64_t value;
};

#define ORVELLA_SEAM_VALUE(name) Constant{#name, static_cast<std::uint64_t>(orvella::name)},
const std::vector<Constant> kSeamConstants = {ORVELLA_SEAM_CONSTANTS(ORVELLA_SEAM_VALUE)};
const std::uint64_t kSeamFileDeviceDisk = orvella::layout::FILE_DEVICE_DISK;
const auto kSeamInvalidHandle = orvella::INVALID_HANDLE_VALUE;

}  // namespace

#include <windows.h>
#include <ntddscsi.h>
#include <winioctl.h>

namespace orvella {
namespace {

namespace l = layout;

#define ORVELLA_WINDOWS_VALUE(name) static_cast<std::uint64_t>(name),
const std::vector<std::uint64_t> kWindowsConstants = {ORVELLA_SEAM_CONSTANTS(ORVELLA_WINDOWS_VALUE)};

TEST(SeamLayout, ConstantsAreThoseOfTheWindowsHeaders) {
  ASSERT_EQ(kSeamConstants.size(), kWindowsConstants.size());
  for (std::size_t i = 0; i < kSeamConstants.size(); ++i)
    EXPECT_EQ(kSeamConstants[i].value, kWindowsConstants[i]) << kSeamConstants[i].name;
  EXPECT_EQ(kSeamFileDeviceDisk, static_cast<std::uint64_t>(FILE_DEVICE_DISK));
  EXPECT_EQ(kSeamInvalidHandle, reinterpret_cast<Handle>(INVALID_HANDLE_VALUE));
  EXPECT_EQ(l::StorageDeviceProperty, static_cast<std::uint32_t>(StorageDeviceProperty));
  EXPECT_EQ(l::StorageAdapterProperty, static_cast<std::uint32_t>(StorageAdapterProperty));
  EXPECT_EQ(l::PropertyStandardQuery, static_cast<std::uint32_t>(PropertyStandardQuery));
  EXPECT_EQ(l::StorageAdapterProtocolSpecificProperty,
            static_cast<std::uint32_t>(StorageAdapterProtocolSpecificProperty));
  EXPECT_EQ(l::StorageDeviceProtocolSpecificProperty, static_cast<std::uint32_t>(StorageDeviceProtocolSpecificProperty));
  EXPECT_EQ(l::ProtocolTypeNvme, static_cast<std::uint32_t>(ProtocolTypeNvme));
  EXPECT_EQ(l::NVMeDataTypeIdentify, static_cast<std::uint32_t>(NVMeDataTypeIdentify));
  EXPECT_EQ(l::NVMeDataTypeLogPage, static_cast<std::uint32_t>(NVMeDataTypeLogPage));
}

TEST(SeamLayout, ProtocolSpecificQueries) {
  using P = STORAGE_PROTOCOL_SPECIFIC_DATA;
  EXPECT_EQ(l::PropertyQueryAdditionalParameters, offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters));
  EXPECT_EQ(l::ProtocolProtocolType, offsetof(P, ProtocolType));
  EXPECT_EQ(l::ProtocolDataType, offsetof(P, DataType));
  EXPECT_EQ(l::ProtocolRequestValue, offsetof(P, ProtocolDataRequestValue));
  EXPECT_EQ(l::ProtocolRequestSubValue, offsetof(P, ProtocolDataRequestSubValue));
  EXPECT_EQ(l::ProtocolDataOffset, offsetof(P, ProtocolDataOffset));
  EXPECT_EQ(l::ProtocolDataLength, offsetof(P, ProtocolDataLength));
  EXPECT_EQ(l::ProtocolFixedReturnData, offsetof(P, FixedProtocolReturnData));
  EXPECT_EQ(l::ProtocolRequestSubValue2, offsetof(P, ProtocolDataRequestSubValue2));
  EXPECT_EQ(l::ProtocolRequestSubValue3, offsetof(P, ProtocolDataRequestSubValue3));
  EXPECT_EQ(l::ProtocolRequestSubValue4, offsetof(P, ProtocolDataRequestSubValue4));
  EXPECT_EQ(l::ProtocolSpecificDataSize, sizeof(P));
  EXPECT_EQ(l::ProtocolDescriptorData, offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, ProtocolSpecificData));
  EXPECT_EQ(l::ProtocolDescriptorHeaderSize, sizeof(STORAGE_PROTOCOL_DATA_DESCRIPTOR));
}

TEST(SeamLayout, DiskAndStorageStructures) {
  EXPECT_EQ(l::DiskGeometryBytesPerSector, offsetof(DISK_GEOMETRY, BytesPerSector));
  EXPECT_EQ(l::DiskGeometrySize, sizeof(DISK_GEOMETRY));
  EXPECT_EQ(l::LengthInfoLength, offsetof(GET_LENGTH_INFORMATION, Length));
  EXPECT_EQ(l::LengthInfoSize, sizeof(GET_LENGTH_INFORMATION));

  EXPECT_EQ(l::PropertyQueryPropertyId, offsetof(STORAGE_PROPERTY_QUERY, PropertyId));
  EXPECT_EQ(l::PropertyQueryQueryType, offsetof(STORAGE_PROPERTY_QUERY, QueryType));
  EXPECT_EQ(l::PropertyQuerySize, sizeof(STORAGE_PROPERTY_QUERY));

  using A = STORAGE_ADAPTER_DESCRIPTOR;
  EXPECT_EQ(l::AdapterVersion, offsetof(A, Version));
  EXPECT_EQ(l::AdapterSize, offsetof(A, Size));
  EXPECT_EQ(l::AdapterMaximumTransferLength, offsetof(A, MaximumTransferLength));
  EXPECT_EQ(l::AdapterMaximumPhysicalPages, offsetof(A, MaximumPhysicalPages));
  EXPECT_EQ(l::AdapterAlignmentMask, offsetof(A, AlignmentMask));
  EXPECT_EQ(l::AdapterUsesPio, offsetof(A, AdapterUsesPio));
  EXPECT_EQ(l::AdapterScansDown, offsetof(A, AdapterScansDown));
  EXPECT_EQ(l::AdapterCommandQueueing, offsetof(A, CommandQueueing));
  EXPECT_EQ(l::AdapterAcceleratedTransfer, offsetof(A, AcceleratedTransfer));
  EXPECT_EQ(l::AdapterBusType, offsetof(A, BusType));
  EXPECT_EQ(l::AdapterBusMajorVersion, offsetof(A, BusMajorVersion));
  EXPECT_EQ(l::AdapterBusMinorVersion, offsetof(A, BusMinorVersion));
  EXPECT_EQ(l::AdapterDescriptorSize, sizeof(A));

  using D = STORAGE_DEVICE_DESCRIPTOR;
  EXPECT_EQ(l::DeviceVersion, offsetof(D, Version));
  EXPECT_EQ(l::DeviceSize, offsetof(D, Size));
  EXPECT_EQ(l::DeviceType, offsetof(D, DeviceType));
  EXPECT_EQ(l::DeviceTypeModifier, offsetof(D, DeviceTypeModifier));
  EXPECT_EQ(l::DeviceRemovableMedia, offsetof(D, RemovableMedia));
  EXPECT_EQ(l::DeviceCommandQueueing, offsetof(D, CommandQueueing));
  EXPECT_EQ(l::DeviceVendorIdOffset, offsetof(D, VendorIdOffset));
  EXPECT_EQ(l::DeviceProductIdOffset, offsetof(D, ProductIdOffset));
  EXPECT_EQ(l::DeviceProductRevisionOffset, offsetof(D, ProductRevisionOffset));
  EXPECT_EQ(l::DeviceSerialNumberOffset, offsetof(D, SerialNumberOffset));
  EXPECT_EQ(l::DeviceBusType, offsetof(D, BusType));
  EXPECT_EQ(l::DeviceRawPropertiesLength, offsetof(D, RawPropertiesLength));
  EXPECT_EQ(l::DeviceDescriptorHeaderSize, offsetof(D, RawDeviceProperties) + 1);

  EXPECT_EQ(l::DeviceNumberDeviceType, offsetof(STORAGE_DEVICE_NUMBER, DeviceType));
  EXPECT_EQ(l::DeviceNumberDeviceNumber, offsetof(STORAGE_DEVICE_NUMBER, DeviceNumber));
  EXPECT_EQ(l::DeviceNumberPartitionNumber, offsetof(STORAGE_DEVICE_NUMBER, PartitionNumber));
  EXPECT_EQ(l::DeviceNumberSize, sizeof(STORAGE_DEVICE_NUMBER));
}

TEST(SeamLayout, AtaPassThroughStructures) {
  EXPECT_EQ(l::VersionBVersion, offsetof(GETVERSIONINPARAMS, bVersion));
  EXPECT_EQ(l::VersionBRevision, offsetof(GETVERSIONINPARAMS, bRevision));
  EXPECT_EQ(l::VersionBIdeDeviceMap, offsetof(GETVERSIONINPARAMS, bIDEDeviceMap));
  EXPECT_EQ(l::VersionFCapabilities, offsetof(GETVERSIONINPARAMS, fCapabilities));
  EXPECT_EQ(l::VersionParamsSize, sizeof(GETVERSIONINPARAMS));

  EXPECT_EQ(l::IdeRegsFeatures, offsetof(IDEREGS, bFeaturesReg));
  EXPECT_EQ(l::IdeRegsSectorCount, offsetof(IDEREGS, bSectorCountReg));
  EXPECT_EQ(l::IdeRegsSectorNumber, offsetof(IDEREGS, bSectorNumberReg));
  EXPECT_EQ(l::IdeRegsCylLow, offsetof(IDEREGS, bCylLowReg));
  EXPECT_EQ(l::IdeRegsCylHigh, offsetof(IDEREGS, bCylHighReg));
  EXPECT_EQ(l::IdeRegsDriveHead, offsetof(IDEREGS, bDriveHeadReg));
  EXPECT_EQ(l::IdeRegsCommand, offsetof(IDEREGS, bCommandReg));
  EXPECT_EQ(l::IdeRegsReserved, offsetof(IDEREGS, bReserved));
  EXPECT_EQ(l::IdeRegsSize, sizeof(IDEREGS));

  EXPECT_EQ(l::CmdInBufferSize, offsetof(SENDCMDINPARAMS, cBufferSize));
  EXPECT_EQ(l::CmdInDriveRegs, offsetof(SENDCMDINPARAMS, irDriveRegs));
  EXPECT_EQ(l::CmdInDriveNumber, offsetof(SENDCMDINPARAMS, bDriveNumber));
  EXPECT_EQ(l::CmdInBuffer, offsetof(SENDCMDINPARAMS, bBuffer));
  EXPECT_EQ(l::CmdInParamsSize, sizeof(SENDCMDINPARAMS));

  EXPECT_EQ(l::CmdOutBufferSize, offsetof(SENDCMDOUTPARAMS, cBufferSize));
  EXPECT_EQ(l::CmdOutDriverError, offsetof(SENDCMDOUTPARAMS, DriverStatus) + offsetof(DRIVERSTATUS, bDriverError));
  EXPECT_EQ(l::CmdOutIdeError, offsetof(SENDCMDOUTPARAMS, DriverStatus) + offsetof(DRIVERSTATUS, bIDEError));
  EXPECT_EQ(l::CmdOutBuffer, offsetof(SENDCMDOUTPARAMS, bBuffer));

  EXPECT_EQ(l::SrbHeaderLength, offsetof(SRB_IO_CONTROL, HeaderLength));
  EXPECT_EQ(l::SrbSignature, offsetof(SRB_IO_CONTROL, Signature));
  EXPECT_EQ(l::SrbTimeout, offsetof(SRB_IO_CONTROL, Timeout));
  EXPECT_EQ(l::SrbControlCode, offsetof(SRB_IO_CONTROL, ControlCode));
  EXPECT_EQ(l::SrbReturnCode, offsetof(SRB_IO_CONTROL, ReturnCode));
  EXPECT_EQ(l::SrbLength, offsetof(SRB_IO_CONTROL, Length));
  EXPECT_EQ(l::SrbIoControlSize, sizeof(SRB_IO_CONTROL));

  EXPECT_EQ(l::ScsiAddressLength, offsetof(SCSI_ADDRESS, Length));
  EXPECT_EQ(l::ScsiAddressPortNumber, offsetof(SCSI_ADDRESS, PortNumber));
  EXPECT_EQ(l::ScsiAddressPathId, offsetof(SCSI_ADDRESS, PathId));
  EXPECT_EQ(l::ScsiAddressTargetId, offsetof(SCSI_ADDRESS, TargetId));
  EXPECT_EQ(l::ScsiAddressLun, offsetof(SCSI_ADDRESS, Lun));
  EXPECT_EQ(l::ScsiAddressSize, sizeof(SCSI_ADDRESS));
}

TEST(SeamLayout, ScsiPassThroughDirect) {
  using S = SCSI_PASS_THROUGH_DIRECT;
  EXPECT_EQ(l::SptdLength, offsetof(S, Length));
  EXPECT_EQ(l::SptdScsiStatus, offsetof(S, ScsiStatus));
  EXPECT_EQ(l::SptdPathId, offsetof(S, PathId));
  EXPECT_EQ(l::SptdTargetId, offsetof(S, TargetId));
  EXPECT_EQ(l::SptdLun, offsetof(S, Lun));
  EXPECT_EQ(l::SptdCdbLength, offsetof(S, CdbLength));
  EXPECT_EQ(l::SptdSenseInfoLength, offsetof(S, SenseInfoLength));
  EXPECT_EQ(l::SptdDataIn, offsetof(S, DataIn));
  EXPECT_EQ(l::SptdDataTransferLength, offsetof(S, DataTransferLength));
  EXPECT_EQ(l::SptdTimeOutValue, offsetof(S, TimeOutValue));
  EXPECT_EQ(l::SptdDataBuffer, offsetof(S, DataBuffer));
  EXPECT_EQ(l::SptdSenseInfoOffset, offsetof(S, SenseInfoOffset));
  EXPECT_EQ(l::SptdCdb, offsetof(S, Cdb));
  EXPECT_EQ(l::SptdSize, sizeof(S));
  EXPECT_EQ(l::SptdDirectionOut, SCSI_IOCTL_DATA_OUT);
  EXPECT_EQ(l::SptdDirectionIn, SCSI_IOCTL_DATA_IN);
  EXPECT_EQ(l::SptdDirectionNone, SCSI_IOCTL_DATA_UNSPECIFIED);
}

TEST(ScsiPassThroughDirect, TheRequestIsTheStructureWindowsReads) {
  ScsiCommand command = ScsiCommand::Of(std::array<std::uint8_t, 12>{0xA3, 0x0C, 0x02, 0x48, 0, 0x02, 0, 0, 0, 16, 0, 0},
                                        ScsiCommand::Direction::In, std::vector<std::uint8_t>(16, 0));
  command.timeoutMilliseconds = 20500;
  std::uint8_t data[16] = {};
  std::vector<std::uint8_t> request = ScsiPassThroughDirectRequest(command, data);
  ASSERT_EQ(request.size(), sizeof(SCSI_PASS_THROUGH_DIRECT) + 32);
  SCSI_PASS_THROUGH_DIRECT s;
  std::memcpy(&s, request.data(), sizeof s);
  EXPECT_EQ(s.Length, sizeof s);
  EXPECT_EQ(s.CdbLength, 12);
  EXPECT_EQ(s.SenseInfoLength, 32);
  EXPECT_EQ(s.DataIn, SCSI_IOCTL_DATA_IN);
  EXPECT_EQ(s.DataTransferLength, 16u);
  EXPECT_EQ(s.TimeOutValue, 21u) << "whole seconds, rounded up";
  EXPECT_EQ(s.DataBuffer, static_cast<void*>(data));
  EXPECT_EQ(s.SenseInfoOffset, sizeof s);
  EXPECT_EQ(std::vector<std::uint8_t>(s.Cdb, s.Cdb + 12), std::vector<std::uint8_t>(command.cdb.begin(), command.cdb.begin() + 12));

  // Windows answers in place: CHECK CONDITION, 18 sense bytes, 6 data bytes moved.
  SCSI_PASS_THROUGH_DIRECT answered = s;
  answered.ScsiStatus = 2;
  answered.SenseInfoLength = 18;
  answered.DataTransferLength = 6;
  std::memcpy(request.data(), &answered, sizeof answered);
  request[sizeof answered + 2] = 0x05;
  ReadScsiPassThroughDirectAnswer(request, command);
  EXPECT_EQ(command.status, 2);
  ASSERT_EQ(command.sense.size(), 18u);
  EXPECT_EQ(command.sense[2], 0x05);
  EXPECT_EQ(command.residual, 10u);

  ScsiCommand bare = ScsiCommand::Of(std::array<std::uint8_t, 10>{0x48, 0x82});
  std::memcpy(&s, ScsiPassThroughDirectRequest(bare, data).data(), sizeof s);
  EXPECT_EQ(s.DataIn, SCSI_IOCTL_DATA_UNSPECIFIED);
  EXPECT_EQ(s.DataTransferLength, 0u);
  EXPECT_EQ(s.DataBuffer, nullptr);
}

}  // namespace
}  // namespace orvella

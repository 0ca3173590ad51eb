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
#include <cstdint>
#include <vector>

#include "platform/control_codes.h"
#include "platform/error_codes.h"
#include "platform/os.h"

#define ORVELLA_SEAM_CONSTANTS(X)                                                                    \
  X(IOCTL_DISK_GET_DRIVE_GEOMETRY) X(IOCTL_DISK_GET_LENGTH_INFO) X(IOCTL_DISK_UPDATE_PROPERTIES)   \
  X(IOCTL_STORAGE_QUERY_PROPERTY) X(IOCTL_STORAGE_GET_DEVICE_NUMBER) X(SMART_GET_VERSION)           \
  X(IOCTL_STORAGE_REINITIALIZE_MEDIA)                                                              \
  X(SMART_SEND_DRIVE_COMMAND) X(SMART_RCV_DRIVE_DATA) X(IOCTL_SCSI_MINIPORT) X(IOCTL_SCSI_GET_ADDRESS) \
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

}  // namespace
}  // namespace orvella

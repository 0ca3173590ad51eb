// Device-control codes and the byte layouts of their request and reply
// structures, as the Windows storage stack defines them. The system code
// builds and reads these buffers byte for byte; backends decode them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvella {

// Disk and storage queries.
inline constexpr std::uint32_t IOCTL_DISK_GET_DRIVE_GEOMETRY = 0x00070000u;
inline constexpr std::uint32_t IOCTL_DISK_GET_LENGTH_INFO = 0x0007405Cu;
inline constexpr std::uint32_t IOCTL_DISK_UPDATE_PROPERTIES = 0x00070140u;
inline constexpr std::uint32_t IOCTL_STORAGE_QUERY_PROPERTY = 0x002D1400u;
inline constexpr std::uint32_t IOCTL_STORAGE_GET_DEVICE_NUMBER = 0x002D1080u;
// The drive's own sanitize (NVMe block or crypto erase), asked of Windows;
// needs a handle opened for writing.
inline constexpr std::uint32_t IOCTL_STORAGE_REINITIALIZE_MEDIA = 0x002D9640u;

// ATA pass-through through the S.M.A.R.T. requests and the SCSI miniport.
inline constexpr std::uint32_t SMART_GET_VERSION = 0x00074080u;
inline constexpr std::uint32_t SMART_SEND_DRIVE_COMMAND = 0x0007C084u;
inline constexpr std::uint32_t SMART_RCV_DRIVE_DATA = 0x0007C088u;
inline constexpr std::uint32_t IOCTL_SCSI_MINIPORT = 0x0004D008u;
inline constexpr std::uint32_t IOCTL_SCSI_MINIPORT_IDENTIFY = 0x001B0501u;
// CTL_CODE(IOCTL_SCSI_BASE, 0x406, METHOD_BUFFERED, FILE_ANY_ACCESS); 0x4100C
// beside it is IOCTL_SCSI_GET_INQUIRY_DATA, a different request.
inline constexpr std::uint32_t IOCTL_SCSI_GET_ADDRESS = 0x00041018u;
// Any ATA command with its full task file, 48-bit commands included.
inline constexpr std::uint32_t IOCTL_ATA_PASS_THROUGH = 0x0004D02Cu;
// Any SCSI command, its data moved straight from and to the caller's buffer.
inline constexpr std::uint32_t IOCTL_SCSI_PASS_THROUGH_DIRECT = 0x0004D014u;
// ATA_PASS_THROUGH_EX.AtaFlags
inline constexpr std::uint16_t ATA_FLAGS_DRDY_REQUIRED = 0x01;
inline constexpr std::uint16_t ATA_FLAGS_DATA_IN = 0x02;
inline constexpr std::uint16_t ATA_FLAGS_DATA_OUT = 0x04;
inline constexpr std::uint16_t ATA_FLAGS_48BIT_COMMAND = 0x08;

// Volume locking.
inline constexpr std::uint32_t FSCTL_LOCK_VOLUME = 0x00090018u;
inline constexpr std::uint32_t FSCTL_DISMOUNT_VOLUME = 0x00090020u;
inline constexpr std::uint32_t FSCTL_ALLOW_EXTENDED_DASD_IO = 0x00090083u;
// Sent to a drive's own handle, the lock claims the whole disk for the
// caller alone (no other program may open it for itself, mount or lock any
// of its volumes) until the unlock or the close.
inline constexpr std::uint32_t FSCTL_UNLOCK_VOLUME = 0x0009001Cu;

// The ATA commands that travel through the pass-through requests, and the
// S.M.A.R.T. features and signature of the SMART command. The drive's own
// erases are built from these (device/erase_commands.h) and checked against
// them by the backends that pass only those erases on.
namespace ata {
inline constexpr std::uint8_t IdentifyDevice = 0xEC;
inline constexpr std::uint8_t Smart = 0xB0;
inline constexpr std::uint8_t SmartReadData = 0xD0;
inline constexpr std::uint8_t SmartReadThresholds = 0xD1;
inline constexpr std::uint8_t SmartEnableOperations = 0xD8;
inline constexpr std::uint8_t SmartDisableOperations = 0xD9;
inline constexpr std::uint8_t SmartReturnStatus = 0xDA;
inline constexpr std::uint8_t SmartSignatureLow = 0x4F;   // cylinder low
inline constexpr std::uint8_t SmartSignatureHigh = 0xC2;  // cylinder high
// RETURN STATUS of a drive whose thresholds are exceeded.
inline constexpr std::uint8_t SmartFailingLow = 0xF4;
inline constexpr std::uint8_t SmartFailingHigh = 0x2C;
// The commands that tell how far the medium really reaches.
inline constexpr std::uint8_t ReadNativeMaxAddressExt = 0x27;
inline constexpr std::uint8_t AccessibleMaxAddressConfiguration = 0x78;
inline constexpr std::uint8_t GetNativeMaxAddressExt = 0x00;  // its features value
inline constexpr std::uint8_t DeviceConfiguration = 0xB1;
inline constexpr std::uint8_t DeviceConfigurationIdentify = 0xC2;  // its features value
// SANITIZE with its 16-bit features and the keys its erases must carry,
// and the commands of the Security feature set.
inline constexpr std::uint8_t Sanitize = 0xB4;
inline constexpr std::uint16_t SanitizeStatusExt = 0x0000;
inline constexpr std::uint16_t CryptoScrambleExt = 0x0011;
inline constexpr std::uint16_t BlockEraseExt = 0x0012;
inline constexpr std::uint16_t OverwriteExt = 0x0014;
inline constexpr std::uint32_t CryptoScrambleKey = 0x43727970;  // "Cryp"
inline constexpr std::uint32_t BlockEraseKey = 0x426B4572;      // "BkEr"
inline constexpr std::uint16_t OverwriteKey = 0x4F57;           // "OW", in LBA 47:32
inline constexpr std::uint8_t SanitizeFailureMode = 0x10;       // COUNT bit 4
inline constexpr std::uint8_t SecuritySetPassword = 0xF1;
inline constexpr std::uint8_t SecurityUnlock = 0xF2;
inline constexpr std::uint8_t SecurityErasePrepare = 0xF3;
inline constexpr std::uint8_t SecurityEraseUnit = 0xF4;
inline constexpr std::uint8_t SecurityDisablePassword = 0xF6;
// Status register bits.
inline constexpr std::uint8_t StatusError = 0x01;
inline constexpr std::uint8_t StatusDeviceFault = 0x20;
}  // namespace ata

// Byte offsets of the structure fields (all little-endian, packed as the
// platform packs them).
namespace layout {

// DISK_GEOMETRY
inline constexpr std::size_t DiskGeometryBytesPerSector = 20;  // u32
inline constexpr std::size_t DiskGeometrySize = 24;

// GET_LENGTH_INFORMATION
inline constexpr std::size_t LengthInfoLength = 0;  // i64
inline constexpr std::size_t LengthInfoSize = 8;

// STORAGE_PROPERTY_QUERY
inline constexpr std::size_t PropertyQueryPropertyId = 0;  // u32
inline constexpr std::size_t PropertyQueryQueryType = 4;   // u32
inline constexpr std::size_t PropertyQuerySize = 12;
inline constexpr std::uint32_t StorageDeviceProperty = 0;
inline constexpr std::uint32_t StorageAdapterProperty = 1;
inline constexpr std::uint32_t StorageAdapterProtocolSpecificProperty = 49;
inline constexpr std::uint32_t StorageDeviceProtocolSpecificProperty = 50;
inline constexpr std::uint32_t PropertyStandardQuery = 0;
inline constexpr std::size_t PropertyQueryAdditionalParameters = 8;

// STORAGE_PROTOCOL_SPECIFIC_DATA, in a query after its first 8 bytes and in
// the reply (STORAGE_PROTOCOL_DATA_DESCRIPTOR) after Version and Size.
inline constexpr std::size_t ProtocolProtocolType = 0;         // u32
inline constexpr std::size_t ProtocolDataType = 4;             // u32
inline constexpr std::size_t ProtocolRequestValue = 8;         // u32: the log page
inline constexpr std::size_t ProtocolRequestSubValue = 12;     // u32
inline constexpr std::size_t ProtocolDataOffset = 16;          // u32, from this structure
inline constexpr std::size_t ProtocolDataLength = 20;          // u32
inline constexpr std::size_t ProtocolFixedReturnData = 24;     // u32
inline constexpr std::size_t ProtocolRequestSubValue2 = 28;    // u32: log page offset, high half
inline constexpr std::size_t ProtocolRequestSubValue3 = 32;    // u32: log specific identifier
inline constexpr std::size_t ProtocolRequestSubValue4 = 36;    // u32: retain event, log specific field
inline constexpr std::size_t ProtocolSpecificDataSize = 40;
inline constexpr std::uint32_t ProtocolTypeNvme = 3;
inline constexpr std::uint32_t NVMeDataTypeIdentify = 1;
inline constexpr std::uint32_t NVMeDataTypeLogPage = 2;
inline constexpr std::size_t ProtocolDescriptorVersion = 0;    // u32
inline constexpr std::size_t ProtocolDescriptorSize = 4;       // u32
inline constexpr std::size_t ProtocolDescriptorData = 8;       // STORAGE_PROTOCOL_SPECIFIC_DATA
inline constexpr std::size_t ProtocolDescriptorHeaderSize = 48;

// STORAGE_REINITIALIZE_MEDIA; SanitizeOption holds SanitizeMethod in bits
// 3:0 and DisallowUnrestrictedSanitizeExit in bit 4.
inline constexpr std::size_t ReinitializeVersion = 0;           // u32
inline constexpr std::size_t ReinitializeSize = 4;              // u32
inline constexpr std::size_t ReinitializeTimeoutInSeconds = 8;  // u32
inline constexpr std::size_t ReinitializeSanitizeOption = 12;   // u32
inline constexpr std::size_t ReinitializeMediaSize = 16;
inline constexpr std::uint32_t StorageSanitizeMethodBlockErase = 1;
inline constexpr std::uint32_t StorageSanitizeMethodCryptoErase = 2;
inline constexpr std::uint32_t DisallowUnrestrictedSanitizeExit = 1u << 4;

// STORAGE_ADAPTER_DESCRIPTOR
inline constexpr std::size_t AdapterVersion = 0;                // u32
inline constexpr std::size_t AdapterSize = 4;                   // u32
inline constexpr std::size_t AdapterMaximumTransferLength = 8;  // u32
inline constexpr std::size_t AdapterMaximumPhysicalPages = 12;  // u32
inline constexpr std::size_t AdapterAlignmentMask = 16;         // u32
inline constexpr std::size_t AdapterUsesPio = 20;               // u8
inline constexpr std::size_t AdapterScansDown = 21;             // u8
inline constexpr std::size_t AdapterCommandQueueing = 22;       // u8
inline constexpr std::size_t AdapterAcceleratedTransfer = 23;   // u8
inline constexpr std::size_t AdapterBusType = 24;               // u8
inline constexpr std::size_t AdapterBusMajorVersion = 26;       // u16
inline constexpr std::size_t AdapterBusMinorVersion = 28;       // u16
inline constexpr std::size_t AdapterDescriptorSize = 32;

// STORAGE_DEVICE_DESCRIPTOR
inline constexpr std::size_t DeviceVersion = 0;                // u32
inline constexpr std::size_t DeviceSize = 4;                   // u32
inline constexpr std::size_t DeviceType = 8;                   // u8
inline constexpr std::size_t DeviceTypeModifier = 9;           // u8
inline constexpr std::size_t DeviceRemovableMedia = 10;        // u8
inline constexpr std::size_t DeviceCommandQueueing = 11;       // u8
inline constexpr std::size_t DeviceVendorIdOffset = 12;        // u32
inline constexpr std::size_t DeviceProductIdOffset = 16;       // u32
inline constexpr std::size_t DeviceProductRevisionOffset = 20; // u32
inline constexpr std::size_t DeviceSerialNumberOffset = 24;    // u32
inline constexpr std::size_t DeviceBusType = 28;               // u32
inline constexpr std::size_t DeviceRawPropertiesLength = 32;   // u32
inline constexpr std::size_t DeviceDescriptorHeaderSize = 37;

// GETVERSIONINPARAMS
inline constexpr std::size_t VersionBVersion = 0;        // u8
inline constexpr std::size_t VersionBRevision = 1;       // u8
inline constexpr std::size_t VersionBIdeDeviceMap = 3;   // u8
inline constexpr std::size_t VersionFCapabilities = 4;   // u32
inline constexpr std::size_t VersionParamsSize = 24;

// IDEREGS, inside SENDCMDINPARAMS
inline constexpr std::size_t IdeRegsFeatures = 0;
inline constexpr std::size_t IdeRegsSectorCount = 1;
inline constexpr std::size_t IdeRegsSectorNumber = 2;
inline constexpr std::size_t IdeRegsCylLow = 3;
inline constexpr std::size_t IdeRegsCylHigh = 4;
inline constexpr std::size_t IdeRegsDriveHead = 5;
inline constexpr std::size_t IdeRegsCommand = 6;
inline constexpr std::size_t IdeRegsReserved = 7;
inline constexpr std::size_t IdeRegsSize = 8;

// SENDCMDINPARAMS
inline constexpr std::size_t CmdInBufferSize = 0;    // u32
inline constexpr std::size_t CmdInDriveRegs = 4;     // IDEREGS
inline constexpr std::size_t CmdInDriveNumber = 12;  // u8
inline constexpr std::size_t CmdInBuffer = 32;
inline constexpr std::size_t CmdInParamsSize = 33;

// SENDCMDOUTPARAMS
inline constexpr std::size_t CmdOutBufferSize = 0;     // u32
inline constexpr std::size_t CmdOutDriverError = 4;    // u8
inline constexpr std::size_t CmdOutIdeError = 5;       // u8
inline constexpr std::size_t CmdOutBuffer = 16;

// SRB_IO_CONTROL, the header of a miniport request
inline constexpr std::size_t SrbHeaderLength = 0;   // u32
inline constexpr std::size_t SrbSignature = 4;      // 8 bytes
inline constexpr std::size_t SrbTimeout = 12;       // u32
inline constexpr std::size_t SrbControlCode = 16;   // u32
inline constexpr std::size_t SrbReturnCode = 20;    // u32
inline constexpr std::size_t SrbLength = 24;        // u32
inline constexpr std::size_t SrbIoControlSize = 28;

// ATA_PASS_THROUGH_EX as a 64-bit process lays it out; the data follows it.
inline constexpr std::size_t AtaPtLength = 0;               // u16
inline constexpr std::size_t AtaPtFlags = 2;                // u16
inline constexpr std::size_t AtaPtDataTransferLength = 8;   // u32
inline constexpr std::size_t AtaPtTimeOutValue = 12;        // u32, seconds
inline constexpr std::size_t AtaPtDataBufferOffset = 24;    // u64, from the structure's start
inline constexpr std::size_t AtaPtPreviousTaskFile = 32;    // 8 bytes: the high bytes of 48-bit values
inline constexpr std::size_t AtaPtCurrentTaskFile = 40;     // 8 bytes, in the order of IDEREGS
inline constexpr std::size_t AtaPtSize = 48;

// SCSI_ADDRESS
inline constexpr std::size_t ScsiAddressLength = 0;      // u32
inline constexpr std::size_t ScsiAddressPortNumber = 4;  // u8
inline constexpr std::size_t ScsiAddressPathId = 5;      // u8
inline constexpr std::size_t ScsiAddressTargetId = 6;    // u8
inline constexpr std::size_t ScsiAddressLun = 7;         // u8
inline constexpr std::size_t ScsiAddressSize = 8;

// STORAGE_DEVICE_NUMBER
inline constexpr std::size_t DeviceNumberDeviceType = 0;       // u32
inline constexpr std::size_t DeviceNumberDeviceNumber = 4;     // u32
inline constexpr std::size_t DeviceNumberPartitionNumber = 8;  // u32
inline constexpr std::size_t DeviceNumberSize = 12;
inline constexpr std::uint32_t FILE_DEVICE_DISK = 7;

}  // namespace layout
}  // namespace orvella

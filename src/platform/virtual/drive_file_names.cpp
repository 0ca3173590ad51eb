#include "platform/virtual/drive_file_names.h"

#include <array>

#include "platform/os.h"

namespace orvella {
namespace {

#define ORVELLA_NAMED(constant) NamedValue{#constant, constant}

constexpr std::array kErrorCodes{
    ORVELLA_NAMED(ERROR_SUCCESS),           ORVELLA_NAMED(ERROR_INVALID_FUNCTION),
    ORVELLA_NAMED(ERROR_FILE_NOT_FOUND),    ORVELLA_NAMED(ERROR_ACCESS_DENIED),
    ORVELLA_NAMED(ERROR_INVALID_HANDLE),    ORVELLA_NAMED(ERROR_NOT_ENOUGH_MEMORY),
    ORVELLA_NAMED(ERROR_WRITE_PROTECT),     ORVELLA_NAMED(ERROR_NOT_READY),
    ORVELLA_NAMED(ERROR_SEEK),              ORVELLA_NAMED(ERROR_SHARING_VIOLATION),
    ORVELLA_NAMED(ERROR_LOCK_VIOLATION),    ORVELLA_NAMED(ERROR_NOT_SUPPORTED),
    ORVELLA_NAMED(ERROR_DEV_NOT_EXIST),     ORVELLA_NAMED(ERROR_INVALID_PARAMETER),
    ORVELLA_NAMED(ERROR_SEM_TIMEOUT),       ORVELLA_NAMED(ERROR_INSUFFICIENT_BUFFER),
    ORVELLA_NAMED(ERROR_MORE_DATA),         ORVELLA_NAMED(ERROR_IO_DEVICE),
    ORVELLA_NAMED(ERROR_DISK_FULL),
};

constexpr std::array kDriveControlCodes{
    ORVELLA_NAMED(IOCTL_DISK_GET_DRIVE_GEOMETRY),   ORVELLA_NAMED(IOCTL_DISK_GET_LENGTH_INFO),
    ORVELLA_NAMED(IOCTL_DISK_UPDATE_PROPERTIES),    ORVELLA_NAMED(IOCTL_STORAGE_QUERY_PROPERTY),
    ORVELLA_NAMED(IOCTL_STORAGE_GET_DEVICE_NUMBER), ORVELLA_NAMED(SMART_GET_VERSION),
    ORVELLA_NAMED(SMART_SEND_DRIVE_COMMAND),        ORVELLA_NAMED(SMART_RCV_DRIVE_DATA),
    ORVELLA_NAMED(IOCTL_SCSI_MINIPORT),             ORVELLA_NAMED(IOCTL_SCSI_GET_ADDRESS),
    ORVELLA_NAMED(FSCTL_LOCK_VOLUME),               ORVELLA_NAMED(FSCTL_UNLOCK_VOLUME),
    ORVELLA_NAMED(IOCTL_ATA_PASS_THROUGH),
};

#undef ORVELLA_NAMED

// The operating system's STORAGE_BUS_TYPE values, as an adapter reports them.
constexpr std::array kBusTypes{
    NamedValue{"BusTypeUnknown", 0},  NamedValue{"BusTypeScsi", 1},   NamedValue{"BusTypeAtapi", 2},
    NamedValue{"BusTypeAta", 3},      NamedValue{"BusType1394", 4},   NamedValue{"BusTypeSsa", 5},
    NamedValue{"BusTypeFibre", 6},    NamedValue{"BusTypeUsb", 7},    NamedValue{"BusTypeRAID", 8},
    NamedValue{"BusTypeiScsi", 9},    NamedValue{"BusTypeSas", 10},   NamedValue{"BusTypeSata", 11},
    NamedValue{"BusTypeSd", 12},      NamedValue{"BusTypeMmc", 13},   NamedValue{"BusTypeVirtual", 14},
    NamedValue{"BusTypeFileBackedVirtual", 15}, NamedValue{"BusTypeNvme", 17},
};

}  // namespace

std::span<const NamedValue> ErrorCodeNames() { return kErrorCodes; }
std::span<const NamedValue> DriveControlCodeNames() { return kDriveControlCodes; }
std::span<const NamedValue> BusTypeNames() { return kBusTypes; }

}  // namespace orvella

// ATA pass-through of a simulated drive: the S.M.A.R.T. version query, the
// SCSI address, and (to come) the S.M.A.R.T. and miniport commands.
#include <array>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/virtual/virtual_os.h"

namespace orvella {

bool VirtualOs::AtaRequest(OpenObject& object, std::uint32_t code, const void*, std::uint32_t, void* out,
                           std::uint32_t outSize, std::uint32_t* returned) {
  const VirtualDrive& drive = machine_.drives[object.index];
  switch (code) {
    case SMART_GET_VERSION: {
      if (!drive.ata.versionAnswers) return Fail(ERROR_INVALID_FUNCTION);
      if (out == nullptr || outSize < layout::VersionParamsSize) return Fail(ERROR_INSUFFICIENT_BUFFER);
      std::memset(out, 0, layout::VersionParamsSize);
      PutU8(out, layout::VersionBVersion, 1);
      PutU8(out, layout::VersionBRevision, 1);
      PutU8(out, layout::VersionBIdeDeviceMap, drive.ata.ideDeviceMap);
      PutU32(out, layout::VersionFCapabilities, 0x7);  // ATA, ATAPI, S.M.A.R.T.
      if (returned != nullptr) *returned = layout::VersionParamsSize;
      return Succeed();
    }
    case IOCTL_SCSI_GET_ADDRESS: {
      if (!drive.ata.scsiAddressAnswers) return Fail(ERROR_INVALID_FUNCTION);
      if (out == nullptr || outSize < layout::ScsiAddressSize) return Fail(ERROR_INSUFFICIENT_BUFFER);
      PutU32(out, layout::ScsiAddressLength, layout::ScsiAddressSize);
      PutU8(out, layout::ScsiAddressTargetId, drive.ata.scsiTargetId);
      if (returned != nullptr) *returned = layout::ScsiAddressSize;
      return Succeed();
    }
    default:
      return Fail(ERROR_INVALID_FUNCTION);
  }
}

}  // namespace orvella

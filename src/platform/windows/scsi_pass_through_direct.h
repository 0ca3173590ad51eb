// The request of IOCTL_SCSI_PASS_THROUGH_DIRECT as bytes: SCSI_PASS_THROUGH_DIRECT
// of this build's pointer size, followed by the sense buffer, with the data
// in the caller's buffer; and the command's answer read back from it. Pure
// (no <windows.h>), so that the layout is checked against the Windows
// headers by a test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/scsi_command.h"

namespace orvella {

namespace layout {
inline constexpr std::size_t SptdLength = 0;
inline constexpr std::size_t SptdScsiStatus = 2;
inline constexpr std::size_t SptdPathId = 3;
inline constexpr std::size_t SptdTargetId = 4;
inline constexpr std::size_t SptdLun = 5;
inline constexpr std::size_t SptdCdbLength = 6;
inline constexpr std::size_t SptdSenseInfoLength = 7;
inline constexpr std::size_t SptdDataIn = 8;
inline constexpr std::size_t SptdDataTransferLength = 12;
inline constexpr std::size_t SptdTimeOutValue = 16;
// The pointer sits on its own alignment: 24 on 64-bit builds, 20 on 32-bit.
inline constexpr std::size_t SptdDataBuffer = (20 + alignof(void*) - 1) / alignof(void*) * alignof(void*);
inline constexpr std::size_t SptdSenseInfoOffset = SptdDataBuffer + sizeof(void*);
inline constexpr std::size_t SptdCdb = SptdSenseInfoOffset + 4;
inline constexpr std::size_t SptdSize = (SptdCdb + 16 + alignof(void*) - 1) / alignof(void*) * alignof(void*);
// The sense buffer follows the structure.
inline constexpr std::size_t SptdSense = SptdSize;
inline constexpr std::size_t SptdRequestSize = SptdSense + kScsiSenseSize;
// SCSI_PASS_THROUGH_DIRECT.DataIn: SCSI_IOCTL_DATA_OUT, _IN, _UNSPECIFIED.
inline constexpr std::uint8_t SptdDirectionOut = 0;
inline constexpr std::uint8_t SptdDirectionIn = 1;
inline constexpr std::uint8_t SptdDirectionNone = 2;
}  // namespace layout

// The request for `command`, whose data (in or out) is at `data`. The
// timeout is rounded up to whole seconds.
std::vector<std::uint8_t> ScsiPassThroughDirectRequest(const ScsiCommand& command, void* data);

// The device's status, its sense bytes and the residual, from the request
// as Windows handed it back.
void ReadScsiPassThroughDirectAnswer(const std::vector<std::uint8_t>& request, ScsiCommand& command);

}  // namespace orvella

#include "platform/linux/scsi_requests.h"

#include <scsi/sg.h>

#include <algorithm>
#include <array>

#include "platform/linux/ata_pass_through.h"

namespace orvella::linux_backend {
namespace {

// The largest reply a reading command may ask for: the program's are tiny.
constexpr std::size_t kMaxReadLength = 4096;
constexpr std::uint8_t kImmed = 0x80;

std::size_t Big(const ScsiCommand& c, std::size_t from, std::size_t bytes) {
  std::size_t value = 0;
  for (std::size_t i = 0; i < bytes; ++i) value = value << 8 | c.cdb[from + i];
  return value;
}

// A data-in command whose allocation length fits the buffer it brings.
bool ReadsInto(const ScsiCommand& c, std::size_t allocation) {
  return c.direction == ScsiCommand::Direction::In && !c.data.empty() && c.data.size() <= kMaxReadLength &&
         allocation <= c.data.size();
}

bool Reading(const ScsiCommand& c) {
  if (c.Opcode() == scsi::RequestSense) return c.cdbLength == 6 && (c.cdb[1] & 0x01) == 0 && ReadsInto(c, c.cdb[4]);
  // REPORT SUPPORTED OPERATION CODES, one command (reporting options 1 to 3).
  if (c.Opcode() == scsi::MaintenanceIn)
    return c.cdbLength == 12 && (c.cdb[1] & 0x1F) == scsi::ReportSupportedOperationCodes &&
           (c.cdb[2] & 0x07) >= 1 && (c.cdb[2] & 0x07) <= 3 && ReadsInto(c, Big(c, 6, 4));
  return false;
}

bool Erasing(const ScsiCommand& c) {
  if (c.Opcode() != scsi::Sanitize || c.cdbLength != 10) return false;
  // IMMED and a service action, no AUSE, no ZNR; EXIT FAILURE MODE never.
  const std::uint8_t action = c.cdb[1] & 0x1F;
  if ((c.cdb[1] & 0xE0) != kImmed) return false;
  if (std::any_of(c.cdb.begin() + 2, c.cdb.begin() + 7, [](std::uint8_t b) { return b != 0; }) || c.cdb[9] != 0)
    return false;
  const std::size_t parameters = Big(c, 7, 2);
  if (action == scsi::SanitizeOverwrite)
    return c.direction == ScsiCommand::Direction::Out && parameters > 4 && parameters == c.data.size();
  if (action == scsi::SanitizeBlockErase || action == scsi::SanitizeCryptoErase)
    return c.direction == ScsiCommand::Direction::None && parameters == 0 && c.data.empty();
  return false;
}

}  // namespace

std::optional<ScsiUse> PermittedScsi(const ScsiCommand& command, bool claimed) {
  if (command.cdbLength == 0 || command.cdbLength > kScsiMaxCdbSize) return std::nullopt;
  if (Reading(command)) return ScsiUse::Reading;
  if (claimed && Erasing(command)) return ScsiUse::Erasing;
  return std::nullopt;
}

std::uint32_t RunScsiCommand(Syscalls& syscalls, int fd, ScsiCommand& command) {
  std::array<std::uint8_t, kScsiSenseSize> sense{};
  sg_io_hdr_t request{};
  request.interface_id = 'S';
  request.cmdp = command.cdb.data();
  request.cmd_len = command.cdbLength;
  request.sbp = sense.data();
  request.mx_sb_len = static_cast<unsigned char>(sense.size());
  request.timeout = command.timeoutMilliseconds;
  request.dxfer_direction = SG_DXFER_NONE;
  if (command.direction != ScsiCommand::Direction::None) {
    request.dxfer_direction = command.direction == ScsiCommand::Direction::In ? SG_DXFER_FROM_DEV : SG_DXFER_TO_DEV;
    request.dxferp = command.data.data();
    request.dxfer_len = static_cast<unsigned>(command.data.size());
  }
  SgAnswer answer;
  answer.ioctlResult = syscalls.Ioctl(fd, SG_IO, &request);
  answer.hostStatus = request.host_status;
  answer.driverStatus = request.driver_status;
  if (const std::uint32_t error = SgDeliveryError(answer); error != 0) return error;
  command.status = request.status;
  command.sense.assign(sense.begin(), sense.begin() + std::min<std::size_t>(request.sb_len_wr, sense.size()));
  command.residual = static_cast<std::uint32_t>(std::max(request.resid, 0));
  return 0;
}

}  // namespace orvella::linux_backend

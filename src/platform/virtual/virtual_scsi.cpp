// The SCSI commands of a simulated SCSI or SAS drive: REPORT SUPPORTED
// OPERATION CODES for SANITIZE and its service actions, SANITIZE itself
// (overwrite, block erase, cryptographic erase; it answers at once and runs
// in simulated time, as with IMMED) and REQUEST SENSE, which tells a running
// sanitize with its progress, or one that failed. Every other command is an
// invalid operation code. Other drives take no SCSI commands at all.
#include <algorithm>

#include "device/device_records.h"
#include "platform/virtual/virtual_os.h"

namespace orvella {
namespace {

using State = VirtualOwnErase::State;

constexpr std::uint8_t kNoSense = 0x00;
constexpr std::uint8_t kNotReady = 0x02;
constexpr std::uint8_t kMediumError = 0x03;
constexpr std::uint8_t kIllegalRequest = 0x05;
constexpr std::size_t kFixedSenseSize = 18;

bool TakesScsi(const VirtualDrive& drive) { return drive.busType == BusTypeScsi || drive.busType == BusTypeSas; }

// Fixed-format sense data; `progress` fills the sense-key-specific bytes.
std::vector<std::uint8_t> FixedSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq,
                                     std::optional<std::uint16_t> progress = std::nullopt) {
  std::vector<std::uint8_t> sense(kFixedSenseSize, 0);
  sense[0] = 0x70;
  sense[2] = key;
  sense[7] = kFixedSenseSize - 8;
  sense[12] = asc;
  sense[13] = ascq;
  if (progress) {
    sense[15] = 0x80;  // SKSV
    sense[16] = static_cast<std::uint8_t>(*progress >> 8);
    sense[17] = static_cast<std::uint8_t>(*progress);
  }
  return sense;
}

void CheckCondition(ScsiCommand& command, std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) {
  command.status = scsi::StatusCheckCondition;
  command.sense = FixedSense(key, asc, ascq);
  if (command.direction == ScsiCommand::Direction::In) command.residual = static_cast<std::uint32_t>(command.data.size());
}

// Hands `reply` back in the data-in buffer, cut to the buffer and to the
// allocation length.
void Reply(ScsiCommand& command, const std::vector<std::uint8_t>& reply, std::size_t allocation) {
  std::fill(command.data.begin(), command.data.end(), 0);
  const std::size_t n = std::min({reply.size(), command.data.size(), allocation});
  std::copy_n(reply.begin(), n, command.data.begin());
  command.residual = static_cast<std::uint32_t>(command.data.size() - n);
}

bool Offers(const VirtualDrive& drive, std::uint8_t serviceAction) {
  if (!drive.ownErase) return false;
  switch (serviceAction) {
    case scsi::SanitizeOverwrite: return drive.ownErase->sanitizeOverwrite;
    case scsi::SanitizeBlockErase: return drive.ownErase->sanitizeBlock;
    case scsi::SanitizeCryptoErase: return drive.ownErase->sanitizeCrypto;
    default: return false;
  }
}

// One command's answer to REPORT SUPPORTED OPERATION CODES (reporting
// option 2): supported as the standard says, with its usage map, or not.
std::vector<std::uint8_t> OneCommandReply(const VirtualDrive& drive, std::uint8_t opcode, std::uint16_t serviceAction) {
  if (opcode != scsi::Sanitize || !Offers(drive, static_cast<std::uint8_t>(serviceAction))) return {0, 0x01, 0, 0};
  return {0, 0x03, 0, 10, scsi::Sanitize, 0xBF, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0};
}

}  // namespace

void VirtualOs::ScsiSanitize(const VirtualDrive& drive, ScsiCommand& command) {
  DriveState& state = driveStates_[drive.number];
  const std::uint8_t action = command.cdb[1] & 0x1Fu;
  if (!Offers(drive, action)) return CheckCondition(command, kIllegalRequest, 0x24, 0x00);
  if (state.ownErase.state == State::InProgress) return CheckCondition(command, kNotReady, 0x04, 0x1B);
  std::optional<std::uint8_t> fill;
  if (action == scsi::SanitizeBlockErase) fill = drive.ownErase->BlockEraseByte();
  if (action == scsi::SanitizeOverwrite) {
    // The parameter list: its length in the command block, a pattern of
    // at least one byte after a four-byte header.
    const std::size_t length = std::size_t{command.cdb[7]} << 8 | command.cdb[8];
    const std::vector<std::uint8_t>& list = command.data;
    const bool out = command.direction == ScsiCommand::Direction::Out;
    if (!out || length < 5 || list.size() < length || (std::size_t{list[2]} << 8 | list[3]) + 4 > length)
      return CheckCondition(command, kIllegalRequest, 0x26, 0x00);
    fill = list[4];  // the pattern's first byte, as a one-byte pattern
  }
  StartOwnErase(drive, fill, action);
}

void VirtualOs::ScsiAnswer(const VirtualDrive& drive, ScsiCommand& command) {
  command.status = scsi::StatusGood;
  command.sense.clear();
  command.residual = 0;
  const bool in = command.direction == ScsiCommand::Direction::In;
  switch (command.Opcode()) {
    case scsi::MaintenanceIn: {
      if ((command.cdb[1] & 0x1Fu) != scsi::ReportSupportedOperationCodes || (command.cdb[2] & 0x07u) != 0x02 || !in)
        return CheckCondition(command, kIllegalRequest, 0x24, 0x00);
      const std::size_t allocation = std::size_t{command.cdb[6]} << 24 | std::size_t{command.cdb[7]} << 16 |
                                     std::size_t{command.cdb[8]} << 8 | command.cdb[9];
      return Reply(command, OneCommandReply(drive, command.cdb[3], static_cast<std::uint16_t>(command.cdb[4] << 8 | command.cdb[5])),
                   allocation);
    }
    case scsi::RequestSense: {
      if (!in) return CheckCondition(command, kIllegalRequest, 0x24, 0x00);
      const OwnEraseRun& run = driveStates_[drive.number].ownErase;
      std::vector<std::uint8_t> sense = FixedSense(kNoSense, 0, 0);
      if (run.state == State::InProgress) sense = FixedSense(kNotReady, 0x04, 0x1B, OwnEraseProgress(drive));
      if (run.state == State::Failed) sense = FixedSense(kMediumError, 0x31, 0x03);
      return Reply(command, sense, command.cdb[4]);
    }
    case scsi::Sanitize:
      if (!drive.ownErase) return CheckCondition(command, kIllegalRequest, 0x20, 0x00);
      return ScsiSanitize(drive, command);
    default:
      return CheckCondition(command, kIllegalRequest, 0x20, 0x00);
  }
}

std::uint32_t VirtualOs::SendScsi(Handle handle, ScsiCommand& command) {
  RequestRecord record = RequestRecord::Of(RequestRecord::Kind::Scsi, handle);
  record.input.assign(command.cdb.begin(), command.cdb.begin() + command.cdbLength);
  if (command.direction == ScsiCommand::Direction::Out)
    record.input.insert(record.input.end(), command.data.begin(), command.data.end());
  record.length = static_cast<std::uint32_t>(command.data.size());
  return DriveCommand(handle, std::move(record), [&](const VirtualDrive& drive) {
    if (!TakesScsi(drive)) return std::uint32_t{ERROR_NOT_SUPPORTED};
    ScsiAnswer(drive, command);
    return std::uint32_t{0};
  });
}

}  // namespace orvella

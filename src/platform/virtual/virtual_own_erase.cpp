// A simulated drive's own erase commands: ATA SANITIZE (through
// IOCTL_ATA_PASS_THROUGH), NVMe Identify, Get Log Page, Sanitize and
// Format NVM (through SendNvmeAdmin). A sanitize runs in simulated time:
// it starts when accepted, reports its progress when asked, and when its
// time is up leaves the medium reading as the command leaves it (zeros or
// ones after a block erase or overwrite, new random data after a crypto
// erase), unless the drive is described as lying.
#include <algorithm>
#include <cstring>
#include <utility>

#include "device/erase_commands.h"
#include "platform/byte_order.h"
#include "platform/virtual/virtual_identify.h"
#include "platform/virtual/virtual_os.h"

namespace orvella {
namespace {

using State = VirtualOwnErase::State;
using Lie = VirtualOwnErase::Lie;

constexpr std::uint8_t kStatusReady = 0x50;
constexpr std::uint8_t kStatusAborted = 0x51;
constexpr std::uint8_t kErrorAbort = 0x04;
constexpr std::uint8_t kReasonUnsuccessful = 0x01;
constexpr std::uint8_t kReasonFrozen = 0x03;

// Whether the drive accepts a sanitize erase, and what it leaves in every
// sector: a byte, or none for a crypto scramble's unreadable data.
struct SanitizeFill {
  bool accepted = false;
  std::optional<std::uint8_t> byte;
};

// The ATA SANITIZE erase of `feature`, accepted with its key.
SanitizeFill SanitizeFillOf(const VirtualDrive& drive, std::uint16_t word59, std::uint16_t feature,
                            std::uint64_t lba) {
  if (feature == ata::BlockEraseExt && (word59 & 0x8000) && (lba & 0xFFFFFFFFu) == ata::BlockEraseKey)
    return {true, drive.ownErase.value_or(VirtualOwnErase{}).BlockEraseByte()};
  if (feature == ata::CryptoScrambleExt && (word59 & 0x2000) && (lba & 0xFFFFFFFFu) == ata::CryptoScrambleKey)
    return {true, std::nullopt};
  if (feature == ata::OverwriteExt && (word59 & 0x4000) && (lba >> 32) == ata::OverwriteKey)
    return {true, static_cast<std::uint8_t>(lba)};  // the pattern's low byte, as a one-byte pattern
  return {};
}

// The data a crypto erase leaves: the old data decrypted with a new key.
std::uint8_t RandomByteAt(std::int64_t offset, int generation) {
  std::uint64_t x = static_cast<std::uint64_t>(offset) * 0x9E3779B97F4A7C15ull + static_cast<std::uint64_t>(generation);
  x ^= x >> 31;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 29;
  return static_cast<std::uint8_t>(x);
}

void PutAsciiField(std::uint8_t* page, std::size_t offset, std::size_t length, const std::optional<std::string>& text) {
  std::memset(page + offset, ' ', length);
  if (text) std::memcpy(page + offset, text->data(), std::min(length, text->size()));
}

// The device property holds the serial number with the two bytes of each
// pair exchanged, as the storage stack hands it over; the controller's own
// Identify page holds it in reading order.
std::optional<std::string> ReadingOrder(const std::optional<std::string>& pairOrder) {
  if (!pairOrder) return std::nullopt;
  std::string text = *pairOrder;
  if (text.size() % 2 != 0) text.push_back(' ');
  for (std::size_t k = 0; k + 1 < text.size(); k += 2) std::swap(text[k], text[k + 1]);
  return text;
}

std::uint32_t Log2(std::uint32_t value) {
  std::uint32_t n = 0;
  while ((1u << (n + 1)) <= value) ++n;
  return n;
}

}  // namespace

void VirtualOs::StartOwnErase(const VirtualDrive& drive, std::optional<std::uint8_t> fill, std::uint16_t command) {
  OwnEraseRun& run = driveStates_[drive.number].ownErase;
  run.state = State::InProgress;
  run.startedAt = simulatedMilliseconds_;
  run.fill = fill;
  run.lastCommand = command;
}

void VirtualOs::FinishOwnErase(const VirtualDrive& drive, DriveState& state) {
  state.ownErase.ran = true;
  state.ownErase.state = State::Idle;
  if (drive.ownErase->lie == Lie::ChangesNothing) return;
  state.medium.extents.clear();
  state.erasedFill = state.ownErase.fill;
  if (!state.ownErase.fill) ++state.keyGeneration;
}

std::uint16_t VirtualOs::OwnEraseProgress(const VirtualDrive& drive) const {
  const OwnEraseRun& run = driveStates_.at(drive.number).ownErase;
  const std::int64_t total = std::max<std::int64_t>(drive.ownErase->milliseconds, 1);
  return static_cast<std::uint16_t>(std::min<std::int64_t>(0xFFFF, (simulatedMilliseconds_ - run.startedAt) * 0xFFFF / total));
}

void VirtualOs::AdvanceOwnErase(const VirtualDrive& drive) {
  DriveState& state = driveStates_[drive.number];
  if (!drive.ownErase || state.ownErase.state != State::InProgress) return;
  const std::int64_t elapsed = simulatedMilliseconds_ - state.ownErase.startedAt;
  const std::int64_t total = std::max<std::int64_t>(drive.ownErase->milliseconds, 1);
  const Lie lie = drive.ownErase->lie;
  if ((lie == Lie::FailsHalfWay || lie == Lie::UnpluggedHalfWay) && elapsed * 2 >= total) {
    state.ownErase.ran = true;
    state.ownErase.state = State::Failed;
    if (lie == Lie::UnpluggedHalfWay) state.unplugged = true;
    return;
  }
  if (lie != Lie::NeverCompletes && elapsed >= total) FinishOwnErase(drive, state);
}

std::uint16_t VirtualOs::AtaSanitize(const VirtualDrive& drive, std::uint16_t feature, std::uint64_t lba, std::array<std::uint8_t, 8>& current,
                                     std::array<std::uint8_t, 8>& previous) {
  DriveState& state = driveStates_[drive.number];
  AdvanceOwnErase(drive);
  const OwnEraseRun& run = state.ownErase;
  const bool frozen = drive.ownErase && drive.ownErase->sanitizeFrozen;
  const auto abort = [&](std::uint8_t reason) {
    current[layout::IdeRegsFeatures] = kErrorAbort;
    current[layout::IdeRegsSectorNumber] = reason;
    current[layout::IdeRegsCommand] = kStatusAborted;
    return std::uint16_t{0};
  };
  const auto putCount = [&](std::uint16_t value) {
    current[layout::IdeRegsSectorCount] = static_cast<std::uint8_t>(value);
    previous[layout::IdeRegsSectorCount] = static_cast<std::uint8_t>(value >> 8);
  };
  if (feature == ata::SanitizeStatusExt) {
    if (run.state == State::Failed) return abort(kReasonUnsuccessful);
    std::uint16_t answer = frozen ? 0x2000 : 0;
    if (run.state == State::InProgress) {
      answer |= 0x4000;
      const std::uint16_t progress = OwnEraseProgress(drive);
      current[layout::IdeRegsSectorNumber] = static_cast<std::uint8_t>(progress);
      current[layout::IdeRegsCylLow] = static_cast<std::uint8_t>(progress >> 8);
    } else if (run.ran) {
      answer |= 0x8000;
    }
    putCount(answer);
    current[layout::IdeRegsCommand] = kStatusReady;
    return answer;
  }
  if (!drive.ata.identify) return abort(0x02);
  const std::vector<std::uint8_t> identify = VirtualIdentifySector(drive.ata);
  const std::uint16_t word59 = GetU16(identify.data(), 2 * 59);
  const bool sanitize = (word59 & 0x1000) != 0 && drive.ownErase;
  const SanitizeFill fill = SanitizeFillOf(drive, word59, feature, lba);
  if (!sanitize || !fill.accepted) return abort(0x02);
  if (frozen) return abort(kReasonFrozen);
  if (run.state == State::InProgress) return abort(kReasonUnsuccessful);
  StartOwnErase(drive, fill.byte, feature);
  current[layout::IdeRegsCommand] = kStatusReady;
  return 0;
}

void VirtualOs::NvmeAnswer(const VirtualDrive& drive, NvmeAdminCommand& command) {
  DriveState& state = driveStates_[drive.number];
  AdvanceOwnErase(drive);
  const VirtualOwnErase own = drive.ownErase.value_or(VirtualOwnErase{});
  const bool hasOwnErase = drive.ownErase.has_value();
  const auto fail = [&](std::uint16_t status) { command.status = status; };
  switch (command.Opcode()) {
    case nvme::Identify: {
      if (!command.dataIn || command.data.size() < kNvmeIdentifySize) return fail(nvme::InvalidField);
      std::uint8_t* page = command.data.data();
      std::fill(command.data.begin(), command.data.end(), 0);
      const std::uint32_t cns = command.Dword(10) & 0xFFu;
      const auto sector = std::max<std::uint32_t>(drive.bytesPerSector, 512);
      if (cns == 1) {
        PutAsciiField(page, 4, 20, ReadingOrder(drive.serial));
        PutAsciiField(page, 24, 40, drive.product);
        PutAsciiField(page, 64, 8, drive.revision);
        PutU32(page, 80, 0x00010400);
        PutU16(page, 256, hasOwnErase && own.formatNvm ? 0x0002 : 0x0000);
        PutU16(page, 266, drive.nvme->warningThresholdKelvin);
        PutU16(page, 268, drive.nvme->criticalThresholdKelvin);
        PutU32(page, 328, (own.sanitizeCrypto ? 1u : 0u) | (own.sanitizeBlock ? 2u : 0u) | (own.sanitizeOverwrite ? 4u : 0u));
        PutU32(page, 516, 1);
        page[524] = static_cast<std::uint8_t>(own.formatCrypto ? 0x04 : 0x00);
      } else if (cns == 0 && command.NamespaceId() == 1) {
        PutLE(page, 0, 8, static_cast<std::uint64_t>(drive.length / sector));
        PutLE(page, 8, 8, static_cast<std::uint64_t>(drive.length / sector));
        page[128 + 2] = static_cast<std::uint8_t>(Log2(sector));
      } else {
        return fail(nvme::InvalidField);
      }
      return;
    }
    case nvme::GetLogPage: {
      if ((command.Dword(10) & 0xFFu) != kNvmeSanitizeLogPage || command.data.size() < kNvmeSanitizeLogSize)
        return fail(nvme::InvalidField);
      std::uint8_t* page = command.data.data();
      std::fill(command.data.begin(), command.data.end(), 0);
      const OwnEraseRun& run = state.ownErase;
      std::uint16_t progress = 0xFFFF;
      std::uint16_t status = run.ran ? 1 : 0;
      if (run.state == State::InProgress) {
        status = 2;
        progress = std::min<std::uint16_t>(0xFFFE, OwnEraseProgress(drive));
      } else if (run.state == State::Failed) {
        status = 3;
      }
      PutU16(page, 0, progress);
      PutU16(page, 2, status);
      PutU32(page, 4, run.lastCommand);
      const auto seconds = static_cast<std::uint32_t>(std::max<std::int64_t>(1, own.milliseconds / 1000));
      PutU32(page, 8, own.sanitizeOverwrite ? seconds : 0xFFFFFFFFu);
      PutU32(page, 12, own.sanitizeBlock ? seconds : 0xFFFFFFFFu);
      PutU32(page, 16, own.sanitizeCrypto ? seconds : 0xFFFFFFFFu);
      return;
    }
    case nvme::Sanitize: {
      const auto action = static_cast<std::uint8_t>(command.Dword(10) & 0x7u);
      SanitizeFill fill;
      if (action == 2 && own.sanitizeBlock) fill = {true, own.BlockEraseByte()};
      if (action == 3 && own.sanitizeOverwrite) fill = {true, static_cast<std::uint8_t>(command.Dword(11))};
      if (action == 4 && own.sanitizeCrypto) fill = {true, std::nullopt};
      if (!fill.accepted) return fail(nvme::InvalidOpcode);
      if (state.ownErase.state == State::InProgress) return fail(nvme::SanitizeInProgress);
      StartOwnErase(drive, fill.byte, action);
      return;
    }
    case nvme::FormatNvm: {
      const std::uint32_t ses = command.Dword(10) >> 9 & 0x7u;
      if (!own.formatNvm || ses > 2) return fail(nvme::InvalidField);
      if (ses == 2 && !own.formatCrypto && !own.acceptsUnclaimedCryptoFormat) return fail(nvme::InvalidField);
      if (state.ownErase.state == State::InProgress) return fail(nvme::SanitizeInProgress);
      // A format finishes before it answers.
      state.ownErase.fill = ses == 2 ? std::optional<std::uint8_t>{} : std::optional<std::uint8_t>{0};
      FinishOwnErase(drive, state);
      state.ownErase.ran = false;  // a format is no sanitize
      return;
    }
    default:
      return fail(nvme::InvalidOpcode);
  }
}

std::uint32_t VirtualOs::SendNvmeAdmin(Handle handle, NvmeAdminCommand& command) {
  RequestRecord record = RequestRecord::Of(RequestRecord::Kind::NvmeAdmin, handle);
  record.input.assign(command.entry.begin(), command.entry.end());
  return DriveCommand(handle, std::move(record), [&](const VirtualDrive& drive) {
    if (!drive.nvme) return std::uint32_t{ERROR_NOT_SUPPORTED};
    NvmeAnswer(drive, command);
    return std::uint32_t{0};
  });
}

std::uint32_t VirtualOs::DriveCommand(Handle handle, RequestRecord record,
                                      const std::function<std::uint32_t(const VirtualDrive&)>& answer) {
  std::uint32_t error = ERROR_INVALID_HANDLE;
  if (OpenObject* object = FindDrive(handle)) {
    const VirtualDrive& drive = machine_.drives[object->index];
    AdvanceOwnErase(drive);
    error = driveStates_[drive.number].unplugged ? drive.unplugError : answer(drive);
  }
  if (error != 0) Fail(error);
  else Succeed();
  Log(std::move(record), error == 0);
  return error;
}

void VirtualOs::FillFromDrive(const VirtualDrive& drive, std::int64_t offset, std::uint32_t length, std::uint8_t* out) {
  const DriveState& state = driveStates_[drive.number];
  for (std::uint32_t i = 0; i < length; ++i) {
    const std::int64_t at = offset + i;
    if (state.erasedFill) out[i] = *state.erasedFill;
    else if (state.keyGeneration > 0) out[i] = RandomByteAt(at, state.keyGeneration);
    else out[i] = OldByteAt(at);
  }
  for (const ByteRange& e : state.medium.extents) {
    const std::int64_t from = std::max(e.from, offset);
    const std::int64_t to = std::min(e.to, offset + length);
    if (from < to) std::memset(out + (from - offset), 0, static_cast<std::size_t>(to - from));
  }
}

}  // namespace orvella

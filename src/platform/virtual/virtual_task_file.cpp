// IOCTL_ATA_PASS_THROUGH of a simulated drive: the commands that tell how
// far the medium reaches (READ NATIVE MAX ADDRESS EXT, GET NATIVE MAX
// ADDRESS EXT, DEVICE CONFIGURATION IDENTIFY), answered in the task file
// and data as a drive would, SANITIZE and the Security commands (handed to
// the drive's own erase); any other command is aborted by the drive.
#include <algorithm>
#include <cstring>
#include <numeric>
#include <optional>
#include <vector>

#include "device/erase_commands.h"
#include "platform/byte_order.h"
#include "platform/virtual/virtual_identify.h"
#include "platform/virtual/virtual_os.h"

namespace orvella {
namespace {

constexpr std::size_t kSector = 512;
constexpr std::uint8_t kStatusReady = 0x50;    // DRDY, DSC
constexpr std::uint8_t kStatusAborted = 0x51;  // DRDY, DSC, ERR
constexpr std::uint8_t kErrorAbort = 0x04;

using Sector = std::vector<std::uint8_t>;

struct Words {
  const Sector& identify;
  std::uint16_t operator()(std::size_t n) const { return GetU16(identify.data(), 2 * n); }
  bool Bit(std::size_t n, int bit) const { return ((*this)(n) >> bit & 1) != 0; }
};

// What IDENTIFY offers: the 48-bit count when the feature set is claimed,
// else the 28-bit one.
std::uint64_t AccessibleSectors(const Words& word) {
  if (word.Bit(83, 10)) return GetLE(word.identify.data(), 200, 8);
  return GetLE(word.identify.data(), 120, 4);
}

// The answer of one command: the registers it leaves (current and
// previous task file), and a sector for DEVICE CONFIGURATION IDENTIFY.
struct Answer {
  std::array<std::uint8_t, 8> current{};
  std::array<std::uint8_t, 8> previous{};
  std::optional<Sector> data;
};

void PutMaxAddress(Answer& answer, std::uint64_t sectors) {
  const std::uint64_t last = sectors == 0 ? 0 : sectors - 1;
  answer.current[layout::IdeRegsSectorNumber] = static_cast<std::uint8_t>(last);
  answer.current[layout::IdeRegsCylLow] = static_cast<std::uint8_t>(last >> 8);
  answer.current[layout::IdeRegsCylHigh] = static_cast<std::uint8_t>(last >> 16);
  answer.previous[layout::IdeRegsSectorNumber] = static_cast<std::uint8_t>(last >> 24);
  answer.previous[layout::IdeRegsCylLow] = static_cast<std::uint8_t>(last >> 32);
  answer.previous[layout::IdeRegsCylHigh] = static_cast<std::uint8_t>(last >> 40);
}

// The overlay's data: revision 2, the factory maximum address in words 3-6,
// and the integrity word (signature A5h, checksum).
Sector OverlaySector(std::uint64_t factorySectors) {
  Sector data(kSector, 0);
  PutU16(data.data(), 0, 0x0002);
  PutLE(data.data(), 6, 8, factorySectors == 0 ? 0 : factorySectors - 1);
  data[kSector - 2] = 0xA5;
  const unsigned sum = std::accumulate(data.begin(), data.end() - 1, 0u);
  data[kSector - 1] = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
  return data;
}

// Carries out one command; nothing when the drive aborts it.
std::optional<Answer> Execute(const VirtualAta& ata, std::uint8_t command, std::uint8_t feature, bool dataIn) {
  if (!ata.identify) return std::nullopt;
  const Sector identify = VirtualIdentifySector(ata);
  const Words word{identify};
  const bool amaValid = (word(119) & 0xC000) == 0x4000;
  const std::uint64_t native = ata.nativeSectors.value_or(AccessibleSectors(word));
  Answer answer;
  if (command == ata::ReadNativeMaxAddressExt && !dataIn && word.Bit(82, 10)) {
    PutMaxAddress(answer, native);
  } else if (command == ata::AccessibleMaxAddressConfiguration && feature == ata::GetNativeMaxAddressExt && !dataIn &&
             amaValid && word.Bit(119, 8)) {
    PutMaxAddress(answer, native);
  } else if (command == ata::DeviceConfiguration && feature == ata::DeviceConfigurationIdentify && dataIn &&
             word.Bit(83, 11)) {
    answer.data = OverlaySector(ata.factorySectors.value_or(native));
  } else {
    return std::nullopt;
  }
  answer.current[layout::IdeRegsCommand] = kStatusReady;
  return answer;
}

bool IsSecurityCommand(std::uint8_t command) {
  return command == ata::SecuritySetPassword || command == ata::SecurityUnlock ||
         command == ata::SecurityErasePrepare || command == ata::SecurityEraseUnit ||
         command == ata::SecurityDisablePassword;
}

}  // namespace

bool VirtualOs::TaskFileRequest(OpenObject& object, const void* in, std::uint32_t inSize, void* out,
                                std::uint32_t outSize, std::uint32_t* returned) {
  const VirtualAta& ata = machine_.drives[object.index].ata;
  if (!ata.taskFileAnswers) return Fail(ERROR_INVALID_FUNCTION);
  if (in == nullptr || inSize < layout::AtaPtSize || GetU16(in, layout::AtaPtLength) != layout::AtaPtSize)
    return Fail(ERROR_INVALID_PARAMETER);
  const std::uint16_t flags = GetU16(in, layout::AtaPtFlags);
  const bool dataIn = (flags & ATA_FLAGS_DATA_IN) != 0;
  const std::uint32_t dataLength = GetU32(in, layout::AtaPtDataTransferLength);
  const std::uint64_t dataOffset = GetLE(in, layout::AtaPtDataBufferOffset, 8);
  const auto* command = static_cast<const std::uint8_t*>(in) + layout::AtaPtCurrentTaskFile;
  if (IsSecurityCommand(command[layout::IdeRegsCommand]) && (flags & ATA_FLAGS_48BIT_COMMAND) == 0 && !dataIn)
    return SecurityRequest(object, in, inSize, out, outSize, returned);
  // Only the Security commands carry a sector to a simulated drive.
  if ((flags & ATA_FLAGS_DATA_OUT) != 0) return Fail(ERROR_INVALID_PARAMETER);
  const std::uint64_t size = dataIn ? dataOffset + dataLength : layout::AtaPtSize;
  if (dataIn && (dataLength < kSector || dataOffset < layout::AtaPtSize)) return Fail(ERROR_INVALID_PARAMETER);
  if (out == nullptr || outSize < size) return Fail(ERROR_INSUFFICIENT_BUFFER);

  const auto* task = static_cast<const std::uint8_t*>(in) + layout::AtaPtCurrentTaskFile;
  const auto* high = static_cast<const std::uint8_t*>(in) + layout::AtaPtPreviousTaskFile;
  if (task[layout::IdeRegsCommand] == ata::Sanitize && (flags & ATA_FLAGS_48BIT_COMMAND) != 0 && !dataIn) {
    const auto feature = static_cast<std::uint16_t>(high[layout::IdeRegsFeatures] << 8 | task[layout::IdeRegsFeatures]);
    std::uint64_t lba = 0;
    for (int i = 0; i < 3; ++i) {
      lba |= std::uint64_t{task[layout::IdeRegsSectorNumber + i]} << (8 * i);
      lba |= std::uint64_t{high[layout::IdeRegsSectorNumber + i]} << (8 * (i + 3));
    }
    Answer answer;
    AtaSanitize(machine_.drives[object.index], feature, lba, answer.current, answer.previous);
    std::vector<std::uint8_t> reply(static_cast<const std::uint8_t*>(in), static_cast<const std::uint8_t*>(in) + layout::AtaPtSize);
    std::copy(answer.current.begin(), answer.current.end(), reply.begin() + layout::AtaPtCurrentTaskFile);
    std::copy(answer.previous.begin(), answer.previous.end(), reply.begin() + layout::AtaPtPreviousTaskFile);
    std::memcpy(out, reply.data(), reply.size());
    if (returned != nullptr) *returned = static_cast<std::uint32_t>(reply.size());
    return Succeed();
  }
  const auto answer = Execute(ata, task[layout::IdeRegsCommand], task[layout::IdeRegsFeatures], dataIn);
  std::vector<std::uint8_t> reply(static_cast<const std::uint8_t*>(in), static_cast<const std::uint8_t*>(in) + layout::AtaPtSize);
  reply.resize(size, 0);
  std::uint8_t* current = reply.data() + layout::AtaPtCurrentTaskFile;
  std::uint8_t* previous = reply.data() + layout::AtaPtPreviousTaskFile;
  if (!answer) {
    std::fill_n(current, 8, 0);
    current[layout::IdeRegsFeatures] = kErrorAbort;  // the error register
    current[layout::IdeRegsCommand] = kStatusAborted;
  } else {
    std::copy(answer->current.begin(), answer->current.end(), current);
    std::copy(answer->previous.begin(), answer->previous.end(), previous);
    if (answer->data) std::copy(answer->data->begin(), answer->data->end(), reply.begin() + static_cast<std::ptrdiff_t>(dataOffset));
  }
  std::memcpy(out, reply.data(), reply.size());
  if (returned != nullptr) *returned = static_cast<std::uint32_t>(reply.size());
  return Succeed();
}

// A Security command: the password sector it carries (when its flags say
// so) goes to the drive; the reply is the block with the drive's status.
bool VirtualOs::SecurityRequest(OpenObject& object, const void* in, std::uint32_t inSize, void* out,
                                std::uint32_t outSize, std::uint32_t* returned) {
  const auto* request = static_cast<const std::uint8_t*>(in);
  const bool dataOut = (GetU16(in, layout::AtaPtFlags) & ATA_FLAGS_DATA_OUT) != 0;
  const std::uint64_t dataOffset = GetLE(in, layout::AtaPtDataBufferOffset, 8);
  if (dataOut && (GetU32(in, layout::AtaPtDataTransferLength) < kSector || dataOffset < layout::AtaPtSize ||
                  dataOffset + kSector > inSize))
    return Fail(ERROR_INVALID_PARAMETER);
  if (out == nullptr || outSize < layout::AtaPtSize) return Fail(ERROR_INSUFFICIENT_BUFFER);
  VirtualDrive& drive = machine_.drives[object.index];
  const std::uint8_t command = request[layout::AtaPtCurrentTaskFile + layout::IdeRegsCommand];
  const SecurityAnswer answer = AtaSecurity(drive, command, dataOut ? request + dataOffset : nullptr);
  switch (answer) {
    case SecurityAnswer::Unplugged: return Fail(drive.unplugError);
    case SecurityAnswer::TimedOut: return Fail(ERROR_SEM_TIMEOUT);
    case SecurityAnswer::Done:
    case SecurityAnswer::Aborted: break;
  }
  std::vector<std::uint8_t> reply(request, request + layout::AtaPtSize);
  std::uint8_t* current = reply.data() + layout::AtaPtCurrentTaskFile;
  std::fill_n(current, 8, 0);
  current[layout::IdeRegsFeatures] = answer == SecurityAnswer::Aborted ? kErrorAbort : 0;  // the error register
  current[layout::IdeRegsCommand] = answer == SecurityAnswer::Aborted ? kStatusAborted : kStatusReady;
  std::memcpy(out, reply.data(), reply.size());
  if (returned != nullptr) *returned = static_cast<std::uint32_t>(reply.size());
  return Succeed();
}

}  // namespace orvella

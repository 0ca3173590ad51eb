// The S.M.A.R.T., SCSI miniport and ATA pass-through requests of a drive,
// run as ATA commands through SG_IO on drives whose transport is ATA or
// SATA. An NVMe drive answers the miniport identify from its own Identify
// data, and the protocol-specific property query from its health log. Other
// requests and drives answer as a Windows driver without ATA pass-through
// does: "invalid function". SCSI commands of the program pass through SG_IO
// behind their allow-list on any drive.
#include <algorithm>
#include <array>
#include <cerrno>

#include "platform/linux/error_mapping.h"
#include "platform/linux/linux_os.h"
#include "platform/linux/nvme_admin.h"
#include "platform/linux/nvme_health.h"
#include "platform/linux/nvme_identify.h"
#include "platform/linux/scsi_requests.h"
#include "platform/linux/smart_requests.h"
#include "platform/linux/storage_replies.h"
#include "platform/linux/task_file_requests.h"
#include "platform/nvme_log_query.h"

namespace orvella {

using namespace linux_backend;

namespace {

std::vector<std::uint8_t> ScsiAddressReply(const ScsiAddress& address) {
  std::vector<std::uint8_t> reply(layout::ScsiAddressSize, 0);
  reply[layout::ScsiAddressLength] = layout::ScsiAddressSize;
  reply[layout::ScsiAddressPortNumber] = address.host;
  reply[layout::ScsiAddressPathId] = address.channel;
  reply[layout::ScsiAddressTargetId] = address.target;
  reply[layout::ScsiAddressLun] = address.lun;
  return reply;
}

}  // namespace

bool LinuxOs::AtaRequest(DiskObject& disk, std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                         std::uint32_t outSize, std::uint32_t* returned) {
  const DriveFacts facts = ReadDriveFacts(tree_, Drives()[disk.drive].name);
  if (code == IOCTL_SCSI_GET_ADDRESS) {
    if (!facts.scsiAddress) return Fail(ERROR_INVALID_FUNCTION);
    return Reply(ScsiAddressReply(*facts.scsiAddress), out, outSize, returned, false);
  }
  const auto* input = static_cast<const std::uint8_t*>(in);
  if (facts.busType == kBusNvme && code == IOCTL_SCSI_MINIPORT)
    return NvmeMiniportIdentify(disk, input, inSize, out, outSize, returned);
  if (!TakesAtaCommands(facts.busType)) return Fail(ERROR_INVALID_FUNCTION);
  const std::uint8_t position = facts.scsiAddress ? facts.scsiAddress->target : 0;  // libata: target 1 is a slave
  if (code == SMART_GET_VERSION) return Reply(SmartVersionReply(position), out, outSize, returned, false);
  if (code == IOCTL_ATA_PASS_THROUGH) return TaskFileRequest(disk, input, inSize, out, outSize, returned);

  const bool miniport = code == IOCTL_SCSI_MINIPORT;
  const auto command = miniport ? ParseMiniportIdentify(input, inSize) : ParseSendCmdIn(input, inSize);
  if (!command) return Fail(miniport ? ERROR_INVALID_FUNCTION : ERROR_INVALID_PARAMETER);
  const auto transfer = PermittedTransfer(code, *command);
  if (!transfer) return Fail(ERROR_INVALID_PARAMETER);

  std::array<std::uint8_t, kAtaSectorSize> data{};
  const AtaOutcome outcome = RunAtaCommand(sys_, disk.fd, command->registers, *transfer, data.data());
  if (outcome.error != 0) return Fail(outcome.error);
  if (!miniport && AnswersInRegisters(*command)) {
    // Without the registers there is no answer to hand back.
    if (!outcome.registers) return Fail(ERROR_IO_DEVICE);
    const auto registers = RegistersReply(*outcome.registers);
    return Reply(SendCmdOutReply(outcome, registers.data(), registers.size()), out, outSize, returned, false);
  }
  const std::size_t dataSize = *transfer == AtaTransfer::PioIn512 ? data.size() : 0;
  const auto reply =
      miniport ? MiniportReply(input, outcome, data.data()) : SendCmdOutReply(outcome, data.data(), dataSize);
  return Reply(reply, out, outSize, returned, false);
}

bool LinuxOs::TaskFileRequest(DiskObject& disk, const std::uint8_t* in, std::uint32_t inSize, void* out,
                              std::uint32_t outSize, std::uint32_t* returned) {
  const auto command = ParseAtaPassThrough(in, inSize);
  if (!command) return Fail(ERROR_INVALID_PARAMETER);
  const auto transfer = PermittedTaskFile(*command, disk.claimed);
  if (!transfer) return Fail(ERROR_INVALID_PARAMETER);
  std::array<std::uint8_t, kAtaSectorSize> data{};
  if (*transfer == AtaTransfer::PioOut512)
    std::copy_n(in + command->dataOffset, kAtaSectorSize, data.begin());
  // ERASE UNIT answers only when the drive is done: the request's own
  // timeout holds, never less than the usual one.
  const std::uint32_t timeout =
      std::max<std::uint32_t>(kAtaTimeoutMilliseconds, std::min<std::uint32_t>(command->timeoutSeconds, 86400u) * 1000u);
  const int fd = disk.claimed ? disk.writeFd : disk.fd;
  const AtaOutcome outcome =
      RunAtaCommand(sys_, fd, command->current, *transfer, data.data(), command->previous, timeout);
  // A drive that refused the command (ERR in its status) still answered:
  // its registers go back as the request hands them over, since some
  // commands say why in them (SANITIZE STATUS EXT after a failed sanitize).
  const bool refusedWithRegisters = outcome.registers && (outcome.ataStatus & ata::StatusError) != 0;
  if (outcome.error != 0 && !refusedWithRegisters) return Fail(outcome.error);
  // A 48-bit answer whose high bytes the sense data did not carry would be
  // a wrong address.
  if (*transfer == AtaTransfer::None && !refusedWithRegisters &&
      (!outcome.registers || (command->previous && !outcome.previous)))
    return Fail(ERROR_IO_DEVICE);
  return Reply(TaskFileReply(in, *command, outcome, data.data()), out, outSize, returned, false);
}

bool LinuxOs::NvmeLogRequest(DiskObject& disk, const std::uint8_t* in, std::uint32_t inSize, void* out,
                             std::uint32_t outSize, std::uint32_t* returned) {
  if (!IsNvmeHealthLogQuery(in, inSize)) return Fail(ERROR_NOT_SUPPORTED);
  NvmeHealthLogData log{};
  if (const int result = GetNvmeHealthLog(sys_, disk.fd, log); result < 0)
    return Fail(result == -EOPNOTSUPP || result == -ENOTTY ? ERROR_NOT_SUPPORTED : WindowsErrorOf(-result));
  return Reply(NvmeHealthLogReply(in, log.data()), out, outSize, returned, false);
}

std::uint32_t LinuxOs::SendNvmeAdmin(Handle handle, NvmeAdminCommand& command) {
  DiskObject* disk = FindDisk(handle);
  if (disk == nullptr) return ERROR_INVALID_HANDLE;
  // Reading commands always; the erasing ones only inside a run that holds
  // the whole disk for itself.
  const bool reading = command.Opcode() == nvme::Identify || command.Opcode() == nvme::GetLogPage;
  const bool erasing = command.Opcode() == nvme::Sanitize || command.Opcode() == nvme::FormatNvm;
  if (!reading && !erasing) return ERROR_INVALID_FUNCTION;
  if (erasing && (!disk->claimed || command.dataIn || !command.data.empty())) return ERROR_ACCESS_DENIED;
  if (reading && !command.dataIn) return ERROR_INVALID_PARAMETER;
  const int result = RunNvmeAdminEntry(sys_, erasing ? disk->writeFd : disk->fd, command);
  if (result < 0) return result == -ENOTTY || result == -EOPNOTSUPP ? ERROR_NOT_SUPPORTED : WindowsErrorOf(-result);
  return 0;
}

std::uint32_t LinuxOs::SendScsi(Handle handle, ScsiCommand& command) {
  DiskObject* disk = FindDisk(handle);
  std::uint32_t error = ERROR_INVALID_HANDLE;
  if (disk != nullptr) {
    const auto use = PermittedScsi(command, disk->claimed);
    // A SANITIZE outside the claimed run is no read: refused as a change.
    error = !use ? (command.Opcode() == scsi::Sanitize ? ERROR_ACCESS_DENIED : ERROR_INVALID_PARAMETER)
                 : RunScsiCommand(sys_, *use == ScsiUse::Erasing ? disk->writeFd : disk->fd, command);
  }
  if (error != 0) Fail(error);
  else Succeed();
  return error;
}

bool LinuxOs::NvmeMiniportIdentify(DiskObject& disk, const std::uint8_t* in, std::uint32_t inSize, void* out,
                                   std::uint32_t outSize, std::uint32_t* returned) {
  if (!ParseMiniportIdentify(in, inSize)) return Fail(ERROR_INVALID_FUNCTION);
  std::uint32_t error = 0;
  const auto identify = IdentifyNvmeAsAta(sys_, disk.fd, error);
  if (!identify) return Fail(error);
  return Reply(MiniportReply(in, AtaOutcome{}, identify->data()), out, outSize, returned, false);
}

}  // namespace orvella

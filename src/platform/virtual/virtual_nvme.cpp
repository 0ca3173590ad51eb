// The storage property query for protocol-specific data of a simulated NVMe
// drive: its SMART / Health Information log (log page 02h).
#include <cstring>
#include <vector>

#include "platform/byte_order.h"
#include "platform/nvme_log_query.h"
#include "platform/virtual/virtual_os.h"

namespace orvella {
namespace {


std::vector<std::uint8_t> HealthLog(const VirtualNvme& n) {
  std::vector<std::uint8_t> log(kNvmeHealthLogSize, 0);
  log[0] = n.criticalWarning;
  PutU16(log.data(), 1, n.temperatureKelvin);
  log[3] = n.availableSpare;
  log[4] = n.availableSpareThreshold;
  log[5] = n.percentageUsed;
  const std::uint64_t counters[] = {n.dataUnitsRead,    n.dataUnitsWritten,      n.hostReadCommands,
                                    n.hostWriteCommands, n.controllerBusyMinutes, n.powerCycles,
                                    n.powerOnHours,     n.unsafeShutdowns,       n.mediaErrors,
                                    n.errorLogEntries};
  for (std::size_t i = 0; i < std::size(counters); ++i) PutLE(log.data(), 32 + 16 * i, 8, counters[i]);
  PutU32(log.data(), 192, n.warningTemperatureMinutes);
  PutU32(log.data(), 196, n.criticalTemperatureMinutes);
  return log;
}

}  // namespace

bool VirtualOs::NvmeLogRequest(OpenObject& object, const void* in, std::uint32_t inSize, void* out,
                               std::uint32_t outSize, std::uint32_t* returned) {
  const VirtualDrive& drive = machine_.drives[object.index];
  if (!drive.nvme) return Fail(ERROR_NOT_SUPPORTED);
  const auto* query = static_cast<const std::uint8_t*>(in);
  if (!IsNvmeHealthLogQuery(query, inSize)) return Fail(ERROR_NOT_SUPPORTED);
  const std::vector<std::uint8_t> reply = NvmeHealthLogReply(query, HealthLog(*drive.nvme).data());
  if (out == nullptr || outSize < reply.size()) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(out, reply.data(), reply.size());
  if (returned != nullptr) *returned = static_cast<std::uint32_t>(reply.size());
  return Succeed();
}

}  // namespace orvella

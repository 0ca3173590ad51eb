// SG_IO answers: any sense data, of any length, with any statuses, is
// judged without reading past it.
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/linux/ata_pass_through.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvella::linux_backend;
  if (size < 6) return 0;
  SgAnswer answer;
  answer.ioctlResult = -static_cast<int>(data[0]);
  answer.hostStatus = data[1];
  answer.driverStatus = data[2];
  answer.scsiStatus = data[3];
  // A copy of exactly the sense bytes, so that any read past them is seen.
  const std::vector<std::uint8_t> sense(data + 4, data + size);
  answer.sense = sense.data();
  answer.senseLength = sense.size();
  DecodeSense(sense.data(), sense.size());
  JudgeAtaAnswer(answer);
  return 0;
}

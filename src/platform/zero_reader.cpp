#include "platform/zero_reader.h"

#include "platform/os.h"

namespace orvella {

void BlockByBlockReader::Queue(std::int64_t offset, std::uint32_t length) {
  BlockRead block;
  block.offset = offset;
  block.length = length;
  queued_.push_back(std::move(block));
}

BlockRead BlockByBlockReader::Take() {
  BlockRead block = std::move(queued_.front());
  queued_.erase(queued_.begin());
  std::int64_t position = -1;
  if (!os_.SetFilePointerEx(handle_, block.offset, &position, FILE_BEGIN) || position != block.offset) {
    block.positioned = false;
    return block;
  }
  block.read = os_.ReadZeros(handle_, buffer_, block.length, sectorSize_, &block.nonZero);
  if (!block.read) block.error = os_.GetLastError();
  return block;
}

}  // namespace orvella

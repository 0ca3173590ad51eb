// Built without liburing: every drive transfer goes one at a time.
#include "platform/linux/transfer_queue.h"

namespace orvella::linux_backend {

std::unique_ptr<TransferQueue> MakeUringQueue(unsigned) { return nullptr; }

}  // namespace orvella::linux_backend

#include "replay_os.h"

#include <algorithm>
#include <cstring>

namespace orvella::fuzz {

std::uint8_t ReplayOs::Take() {
  if (input_.empty()) return 0;
  const std::uint8_t byte = input_.front();
  input_ = input_.subspan(1);
  return byte;
}

Handle ReplayOs::CreateFileW(const std::u16string&, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {
  lastError_ = 0;
  return 1;
}

bool ReplayOs::DeviceIoControl(Handle, std::uint32_t, const void*, std::uint32_t, void* out, std::uint32_t outSize,
                               std::uint32_t* returned) {
  const std::uint8_t control = Take();
  const std::size_t wanted = std::size_t{Take()} * 4;
  const std::size_t length = std::min({wanted, std::size_t{outSize}, input_.size()});
  if (out != nullptr && length > 0) std::memcpy(out, input_.data(), length);
  input_ = input_.subspan(length);
  if (returned != nullptr) *returned = static_cast<std::uint32_t>(length);
  const bool fails = (control & 1) != 0;
  lastError_ = fails ? control >> 1 : 0;
  return !fails;
}

std::u16string ReplayOs::AnsiToText(const std::uint8_t* bytes, std::size_t count) {
  return std::u16string(bytes, bytes + count);
}

}  // namespace orvella::fuzz

// An operating system whose drive answers come from fuzzer input: every
// device-control request takes its outcome and its reply bytes from the
// next bytes of the input, so the probe, the ATA channel and the reports
// read replies nobody designed. Everything else simply succeeds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/os.h"

namespace orvella::fuzz {

class ReplayOs final : public Os {
 public:
  explicit ReplayOs(std::span<const std::uint8_t> input) : input_(input) {}

  Handle CreateFileW(const std::u16string&, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) override;
  bool CloseHandle(Handle) override { return Succeed(); }
  // One control byte (bit 0: the request fails; bits 1-7: its error code),
  // a reply length byte (times 4), then that many reply bytes, cut to the
  // reply buffer.
  bool DeviceIoControl(Handle, std::uint32_t, const void*, std::uint32_t, void* out, std::uint32_t outSize,
                       std::uint32_t* returned) override;
  bool SetFilePointerEx(Handle, std::int64_t, std::int64_t*, std::uint32_t) override { return Succeed(); }
  bool WriteFile(Handle, const void*, std::uint32_t, std::uint32_t*) override { return false; }
  // The parsers under test neither read the medium nor name the host.
  bool ReadFile(Handle, void*, std::uint32_t, std::uint32_t*) override { return false; }
  HostIdentity QueryHostIdentity() override { return {}; }
  bool FlushFileBuffers(Handle) override { return Succeed(); }
  std::uint32_t GetLastError() override { return lastError_; }
  std::u16string SystemErrorText(std::uint32_t) override { return u"Error text.\r\n"; }
  std::uint32_t GetLogicalDriveStringsW(std::uint32_t, char16_t*) override { return 0; }
  OsVersionInfo GetVersionExW() override { return {true, 10, 0, 19045, VER_PLATFORM_WIN32_NT, {}}; }
  Wow64Answer IsWow64Process() override { return Wow64Answer::No; }
  std::u16string ModuleFileName() override { return u"C:\\orvella.exe"; }
  bool LoadSetupLibrary() override { return true; }
  void Sleep(std::uint32_t) override {}
  void* AllocateAligned(std::size_t) override { return nullptr; }
  void FreeAligned(void*) override {}
  std::u16string AnsiToText(const std::uint8_t* bytes, std::size_t count) override;

 private:
  bool Succeed() {
    lastError_ = 0;
    return true;
  }
  std::uint8_t Take();

  std::span<const std::uint8_t> input_;
  std::uint32_t lastError_ = 0;
};

}  // namespace orvella::fuzz

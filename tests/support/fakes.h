// Test doubles for the program's surroundings.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/halt.h"
#include "core/locale.h"
#include "core/log_panes.h"

namespace orvella::test {

// Clocks that stand still until a test (or a simulated drive) moves them.
// Advance moves both; StepWall and Set move only the wall clock, as a clock
// adjustment or a daylight-saving change does.
class FakeClock final : public Clock {
 public:
  explicit FakeClock(LocalDateTime start = {2026, 12, 8, 14, 30, 5, 0}) : ms_(ToMilliseconds(start)) {}
  LocalDateTime Now() override {
    ++reads;
    return FromMilliseconds(ms_);
  }
  std::int64_t MonotonicMilliseconds() override { return monotonicMs_; }
  void Advance(std::int64_t milliseconds) {
    ms_ += milliseconds;
    monotonicMs_ += milliseconds;
  }
  void StepWall(std::int64_t milliseconds) { ms_ += milliseconds; }
  void Set(const LocalDateTime& time) { ms_ = ToMilliseconds(time); }
  std::int64_t Milliseconds() const { return ms_; }
  int reads = 0;

 private:
  std::int64_t ms_;
  std::int64_t monotonicMs_ = 1'000'000;
};

// Short date "dd.mm.yyyy", long time "hh:mm:ss", and a chosen decimal separator.
class FakeLocale final : public Locale {
 public:
  std::u16string ShortDate(const LocalDateTime& t) override;
  std::u16string LongTime(const LocalDateTime& t) override;
  char16_t DecimalSeparator() override { return decimalSeparator; }
  char16_t decimalSeparator = u'.';
};

class RecordingPanes final : public LogPanes {
 public:
  void AppendFormatLog(const std::u16string& line) override { formatLog.push_back(line); }
  void AppendDebugLog(const std::u16string& line) override { debugLog.push_back(line); }
  void AppendDetails(const std::u16string& line) override { details.push_back(line); }
  void AppendSmart(const std::u16string& line) override { smart.push_back(line); }
  std::vector<std::u16string> formatLog, debugLog, details, smart;
};

// Thrown where the real program would end at once. Not a std::exception, so
// that code which shows the errors of a window event to the user (as the
// application does) lets a halt through.
struct ProgramHalted {
  explicit ProgramHalted(int code) : exitCode(code) {}
  int exitCode;
};

class RecordingHalt final : public Halt {
 public:
  void ShowErrorMessage(const std::u16string& text, const std::u16string& caption) override {
    messages.push_back({text, caption});
  }
  [[noreturn]] void Terminate(int exitCode) override { throw ProgramHalted(exitCode); }
  struct Message {
    std::u16string text, caption;
  };
  std::vector<Message> messages;
};

}  // namespace orvella::test

// Ctrl+C (and a polite kill, a hang-up of the terminal, or on Windows
// Ctrl+Break and closing the console) during an erase: the signal only sets
// a flag;
// the erase page turns it into a press of the Stop button the next time the
// write loop lets pending messages run, so the pass in progress finishes
// and the run ends as a cancelled one.
#pragma once

#include <cstdint>

namespace orvella::cli {

class InterruptWatch {
 public:
  // Catches SIGINT, SIGTERM and SIGHUP until destroyed; the handling they
  // had is restored then. A SIGHUP that was ignored (nohup) stays ignored.
  InterruptWatch();
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  // True once, for each interrupt that arrived since the last call.
  bool TakeInterrupt();
};

// Real time for a simulated drive's slow write, cut short once an interrupt
// arrived during the watch: a block of a very slow drive may take minutes,
// and Ctrl+C must not wait for it.
void SleepUnlessInterrupted(std::int64_t milliseconds);

}  // namespace orvella::cli

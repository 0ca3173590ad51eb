#include "cli/interrupt.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <thread>

namespace orvella::cli {
namespace {

volatile std::sig_atomic_t interrupted = 0;
// Stays set once an interrupt arrived while the watch is on: the run is
// being stopped, and no simulated write should keep it waiting any more.
volatile std::sig_atomic_t stopping = 0;

extern "C" void OnInterrupt(int) {
  interrupted = 1;
  stopping = 1;
}

// Without SA_RESTART, so that a read waiting for the confirmation ends.
void Catch(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  sigaction(signal, &action, nullptr);
}

}  // namespace

InterruptWatch::InterruptWatch() {
  interrupted = 0;
  stopping = 0;
  Catch(SIGINT, OnInterrupt);
  Catch(SIGTERM, OnInterrupt);
}

InterruptWatch::~InterruptWatch() {
  Catch(SIGINT, SIG_DFL);
  Catch(SIGTERM, SIG_DFL);
  stopping = 0;
}

bool InterruptWatch::TakeInterrupt() {
  if (interrupted == 0) return false;
  interrupted = 0;
  return true;
}

void SleepUnlessInterrupted(std::int64_t milliseconds) {
  constexpr std::int64_t kSlice = 20;
  for (std::int64_t left = milliseconds; left > 0 && stopping == 0; left -= kSlice)
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, kSlice)));
}

}  // namespace orvella::cli

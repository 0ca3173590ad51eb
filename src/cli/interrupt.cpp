#include "cli/interrupt.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <iterator>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace orvella::cli {
namespace {

volatile std::sig_atomic_t interrupted = 0;
// Stays set once an interrupt arrived while the watch is on: the run is
// being stopped, and no simulated write should keep it waiting any more.
volatile std::sig_atomic_t stopping = 0;

void NoteInterrupt() {
  interrupted = 1;
  stopping = 1;
}

#ifdef _WIN32

// Ctrl+C, Ctrl+Break and the console window's close run this on a thread of
// their own; taking the event keeps the process alive to stop cleanly.
BOOL WINAPI OnConsoleEvent(DWORD) {
  NoteInterrupt();
  return TRUE;
}

void CatchInterrupts(bool on) { ::SetConsoleCtrlHandler(OnConsoleEvent, on ? TRUE : FALSE); }

#else

extern "C" void OnInterrupt(int) { NoteInterrupt(); }

// A dropped SSH connection or a closed terminal window hangs up: the erase
// then stops as Ctrl+C stops it, and writes its record, rather than dying
// halfway with nothing to show for it.
constexpr int kCaught[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction before[std::size(kCaught)];

// Without SA_RESTART, so that a read waiting for the confirmation ends.
void Catch(int signal, struct sigaction& previous) {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  sigaction(signal, nullptr, &previous);
  // Started under nohup: the hang-up is meant to pass unnoticed.
  if (signal == SIGHUP && previous.sa_handler == SIG_IGN) return;
  sigaction(signal, &action, nullptr);
}

void CatchInterrupts(bool on) {
  for (std::size_t i = 0; i < std::size(kCaught); ++i) {
    if (on)
      Catch(kCaught[i], before[i]);
    else
      sigaction(kCaught[i], &before[i], nullptr);
  }
}

#endif

}  // namespace

InterruptWatch::InterruptWatch() {
  interrupted = 0;
  stopping = 0;
  CatchInterrupts(true);
}

InterruptWatch::~InterruptWatch() {
  CatchInterrupts(false);
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

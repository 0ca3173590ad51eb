#include "cli/interrupt.h"

#include <csignal>
#include <initializer_list>

#ifdef _WIN32
#include <windows.h>
#endif

namespace orvella::cli {
namespace {

volatile std::sig_atomic_t interrupted = 0;

#ifdef _WIN32

// Ctrl+C, Ctrl+Break and the console window's close run this on a thread of
// their own; taking the event keeps the process alive to stop cleanly.
BOOL WINAPI OnConsoleEvent(DWORD) {
  interrupted = 1;
  return TRUE;
}

void CatchInterrupts(bool on) { ::SetConsoleCtrlHandler(OnConsoleEvent, on ? TRUE : FALSE); }

#else

extern "C" void OnInterrupt(int) { interrupted = 1; }

// Without SA_RESTART, so that a read waiting for the confirmation ends.
void Catch(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  sigaction(signal, &action, nullptr);
}

void CatchInterrupts(bool on) {
  for (int signal : {SIGINT, SIGTERM}) Catch(signal, on ? OnInterrupt : SIG_DFL);
}

#endif

}  // namespace

InterruptWatch::InterruptWatch() {
  interrupted = 0;
  CatchInterrupts(true);
}

InterruptWatch::~InterruptWatch() { CatchInterrupts(false); }

bool InterruptWatch::TakeInterrupt() {
  if (interrupted == 0) return false;
  interrupted = 0;
  return true;
}

}  // namespace orvella::cli

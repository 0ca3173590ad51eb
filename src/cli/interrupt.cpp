#include "cli/interrupt.h"

#include <csignal>

namespace orvella::cli {
namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) { interrupted = 1; }

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
  Catch(SIGINT, OnInterrupt);
  Catch(SIGTERM, OnInterrupt);
}

InterruptWatch::~InterruptWatch() {
  Catch(SIGINT, SIG_DFL);
  Catch(SIGTERM, SIG_DFL);
}

bool InterruptWatch::TakeInterrupt() {
  if (interrupted == 0) return false;
  interrupted = 0;
  return true;
}

}  // namespace orvella::cli

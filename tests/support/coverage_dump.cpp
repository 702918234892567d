// Linked into every program of the coverage build only (TARVEL_COVERAGE): gcc's counters
// are written at a normal exit, but the end-to-end tests end the program with SIGTERM and
// the layer leaves through _exit when the X server goes, so without this their runs
// would count for nothing.
#include <signal.h>
#include <unistd.h>

extern "C" void __gcov_dump();
extern "C" [[noreturn]] void __real__exit(int status);

// The linker sends every _exit of our code here (-Wl,--wrap=_exit).
extern "C" [[noreturn]] void __wrap__exit(int status) {
  __gcov_dump();
  __real__exit(status);
}

namespace {

void DumpAndEnd(int signal) {
  __gcov_dump();
  ::signal(signal, SIG_DFL);
  raise(signal);
}

// SIGTERM still ends the program as before, only after writing the counters.
[[gnu::constructor]] void DumpOnTerm() {
  struct sigaction action = {};
  sigaction(SIGTERM, nullptr, &action);
  if (action.sa_handler != SIG_DFL) return;
  action.sa_handler = DumpAndEnd;
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

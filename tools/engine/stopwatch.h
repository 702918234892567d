// Timing for the tool: clock_gettime, since <chrono> has no clock for a process's
// processor time.
#pragma once

#include <time.h>

// Wall-clock time by default; with CLOCK_PROCESS_CPUTIME_ID the processor time
// of the process, which a busy machine does not stretch while it waits for a core.
class Stopwatch {
 public:
  explicit Stopwatch(clockid_t clock = CLOCK_MONOTONIC) : clock_(clock) { clock_gettime(clock_, &start_); }

  double Milliseconds() const {
    timespec now;
    clock_gettime(clock_, &now);
    return (now.tv_sec - start_.tv_sec) * 1e3 + (now.tv_nsec - start_.tv_nsec) / 1e6;
  }

 private:
  clockid_t clock_;
  timespec start_;
};

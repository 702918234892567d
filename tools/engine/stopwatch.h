// Wall-clock timing for the tool. <chrono> cannot be used in this build: its
// micro suffix has no code page 932 form.
#pragma once

#include <time.h>

class Stopwatch {
 public:
  Stopwatch() { clock_gettime(CLOCK_MONOTONIC, &start_); }

  double Milliseconds() const {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (now.tv_sec - start_.tv_sec) * 1e3 + (now.tv_nsec - start_.tv_nsec) / 1e6;
  }

 private:
  timespec start_;
};

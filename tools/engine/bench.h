// Timing of AlphaCom::NextMove over sets of positions.
#pragma once

#include <string>
#include <vector>

// Runs `bench` with the arguments that follow it; returns the exit code.
int RunBench(const std::vector<std::string>& args);

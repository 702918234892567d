#include "bench.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "notation.h"
#include "players/alpha_com.h"
#include "positions.h"
#include "stopwatch.h"

namespace {

struct Timing {
  double ms;
  std::uint64_t positions;
  CellPos cell;
};

Timing TimeNextMove(Board& board) {
  AlphaCom alpha(&board, board.SideToMove());
  const Stopwatch watch;
  const CellPos cell = alpha.NextMove();
  return {watch.Milliseconds(), alpha.SearchedPositions(), cell};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int PassesIn(const Board& board) { return board.GetMoveCount() - static_cast<int>(board.GetHistory().size()); }

}  // namespace

int RunBench(const std::vector<std::string>& args) {
  const std::vector<std::string> records = BuiltInPositions();
  if (!args.empty() && args[0] == "--list") {
    for (const auto& record : records) std::cout << record << '\n';
    return 0;
  }
  if (!args.empty()) {
    std::cerr << "bench: unknown argument '" << args[0] << "' (see --help)\n";
    return 2;
  }

  Board board(0, 0);
  std::vector<double> times;
  size_t slowest = 0;
  std::printf("%4s %5s %6s %10s %12s %5s\n", "#", "count", "passes", "ms", "positions", "cell");
  for (size_t i = 0; i < records.size(); ++i) {
    PlayRecord(board, records[i]);
    const Timing t = TimeNextMove(board);
    times.push_back(t.ms);
    if (t.ms > times[slowest]) slowest = i;
    std::printf("%4zu %5d %6d %10.2f %12llu %5s\n", i + 1, board.GetMoveCount(), PassesIn(board), t.ms,
                static_cast<unsigned long long>(t.positions), FormatCell(t.cell).c_str());
    std::fflush(stdout);
  }
  PlayRecord(board, records[slowest]);
  std::printf("%zu positions: median %.2f ms, max %.2f ms (#%zu, move count %d)\n", records.size(), Median(times),
              times[slowest], slowest + 1, board.GetMoveCount());
  return 0;
}

#include "bench.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>

#include "arguments.h"
#include "notation.h"
#include "players/alpha_com.h"
#include "positions.h"
#include "stopwatch.h"

namespace {

// The plain search's time per position, unless told otherwise.
constexpr int kDefaultPlainLimitSeconds = 5;
// Ten minutes per position keep the side-by-side run over the built-in set's 113
// positions within a day.
constexpr std::int64_t kMaxPlainLimitSeconds = 600;
// A game of the fast-only sample takes about 10 ms and its records about 1.5 KB:
// a million games stay within hours and two gigabytes.
constexpr std::int64_t kMaxFastOnlyGames = 1000000;

struct Timing {
  double ms;
  std::uint64_t positions;
  CellPos cell;
};

Timing TimeFast(Board& board) {
  AlphaCom alpha(&board, board.SideToMove());
  const Stopwatch watch;
  const CellPos cell = alpha.NextMove();
  return {watch.Milliseconds(), alpha.SearchedPositions(), cell};
}

// The plain search runs in a child process, so that it can be given up after
// limitMs without leaving the board half searched.
std::optional<Timing> TimePlain(Board& board, double limitMs) {
  int fds[2];
  if (pipe(fds) != 0) return std::nullopt;
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    AlphaCom alpha(&board, board.SideToMove());
    const Stopwatch watch;
    const CellPos cell = alpha.PlainChoose(AlphaCom::DepthFor(board.GetMoveCount()));
    const Timing timing{watch.Milliseconds(), alpha.SearchedPositions(), cell};
    const bool written = write(fds[1], &timing, sizeof timing) == sizeof timing;
    _exit(written ? 0 : 1);
  }
  close(fds[1]);
  std::optional<Timing> result;
  if (pid > 0) {
    pollfd wait{fds[0], POLLIN, 0};
    Timing timing;
    if (poll(&wait, 1, static_cast<int>(limitMs)) == 1 && read(fds[0], &timing, sizeof timing) == sizeof timing)
      result = timing;
    else
      kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  close(fds[0]);
  return result;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int PassesIn(const Board& board) { return board.GetMoveCount() - static_cast<int>(board.GetHistory().size()); }

struct Slowest {
  double ms = -1;
  size_t index = 0;
  void Offer(double t, size_t i) {
    if (t > ms) ms = t, index = i;
  }
};

int SideBySide(const std::vector<std::string>& records, double plainLimitMs) {
  Board board(0, 0);
  // All fast timings come first: each fork for the plain search would leave the
  // parent's pages shared, and the fast search's writes would then pay for copying.
  std::vector<Timing> fast;
  for (const std::string& record : records) {
    PlayRecord(board, record);
    fast.push_back(TimeFast(board));
  }

  std::vector<double> fastTimes, plainTimes, fastWherePlain;
  Slowest fastSlowest, plainSlowest;
  int mismatches = 0;
  std::printf("%4s %5s %6s %9s %10s %10s %10s %8s %5s\n", "#", "count", "passes", "fast ms", "fast pos",
              "plain ms", "plain pos", "ratio", "cell");
  for (size_t i = 0; i < records.size(); ++i) {
    PlayRecord(board, records[i]);
    fastTimes.push_back(fast[i].ms);
    fastSlowest.Offer(fast[i].ms, i);
    std::printf("%4zu %5d %6d %9.3f %10llu", i + 1, board.GetMoveCount(), PassesIn(board), fast[i].ms,
                static_cast<unsigned long long>(fast[i].positions));
    if (const auto plain = TimePlain(board, plainLimitMs)) {
      plainTimes.push_back(plain->ms);
      fastWherePlain.push_back(fast[i].ms);
      plainSlowest.Offer(plain->ms, i);
      std::printf(" %10.2f %10llu %8.0f %5s", plain->ms, static_cast<unsigned long long>(plain->positions),
                  plain->ms / fast[i].ms, FormatCell(fast[i].cell).c_str());
      if (!(plain->cell == fast[i].cell)) {
        std::printf("  MISMATCH: plain chose %s", FormatCell(plain->cell).c_str());
        ++mismatches;
      }
    } else {
      std::printf(" %10s %10s %8s %5s", ">limit", "-", "-", FormatCell(fast[i].cell).c_str());
    }
    std::printf("\n");
  }

  PlayRecord(board, records[fastSlowest.index]);
  std::printf("\nfast,  all %zu positions: median %.3f ms, max %.3f ms (#%zu, move count %d, passes %d)\n",
              records.size(), Median(fastTimes), fastSlowest.ms, fastSlowest.index + 1, board.GetMoveCount(),
              PassesIn(board));
  if (!plainTimes.empty()) {
    PlayRecord(board, records[plainSlowest.index]);
    std::printf("fast,  the %zu positions the plain search finished within %.0f s: median %.3f ms, max %.3f ms\n",
                plainTimes.size(), plainLimitMs / 1000, Median(fastWherePlain),
                *std::max_element(fastWherePlain.begin(), fastWherePlain.end()));
    std::printf("plain, the same positions: median %.2f ms, max %.2f ms (#%zu, move count %d, passes %d)\n",
                Median(plainTimes), plainSlowest.ms, plainSlowest.index + 1, board.GetMoveCount(),
                PassesIn(board));
    std::printf("ratio plain/fast: of the medians %.0f, at the plain search's slowest position %.0f\n",
                Median(plainTimes) / Median(fastWherePlain), plainSlowest.ms / fastTimes[plainSlowest.index]);
  }
  std::printf("%zu positions beyond the plain search's limit; %d different choices\n",
              records.size() - plainTimes.size(), mismatches);
  return mismatches ? 1 : 0;
}

int FastOnly(const GameSample& sample) {
  Board board(0, 0);
  std::vector<double> all, heavy, spread;
  Slowest slowest;
  std::vector<std::string> records;
  std::uint64_t searched = 0;
  for (const auto* part : {&sample.heavy, &sample.spread})
    for (const std::string& record : *part) {
      PlayRecord(board, record);
      const Timing fast = TimeFast(board);
      all.push_back(fast.ms);
      (part == &sample.heavy ? heavy : spread).push_back(fast.ms);
      searched += fast.positions;
      slowest.Offer(fast.ms, records.size());
      records.push_back(record);
    }
  PlayRecord(board, records[slowest.index]);
  std::printf("fast, all %zu positions: median %.3f ms, max %.3f ms (move count %d, passes %d)\n", all.size(),
              Median(all), slowest.ms, board.GetMoveCount(), PassesIn(board));
  std::printf("fast, the %zu positions at move counts 44 to 46: median %.3f ms, max %.3f ms\n", heavy.size(),
              Median(heavy), heavy.empty() ? 0.0 : *std::max_element(heavy.begin(), heavy.end()));
  std::printf("fast, the %zu positions spread over move counts 0 to 59: median %.3f ms, max %.3f ms\n",
              spread.size(), Median(spread), spread.empty() ? 0.0 : *std::max_element(spread.begin(), spread.end()));
  std::printf("positions searched: %llu in all\n", static_cast<unsigned long long>(searched));
  std::printf("slowest: %s\n", records[slowest.index].c_str());
  return 0;
}

// The one number after an option: present, alone, a whole count within 1..max.
// Reports bad usage itself.
std::optional<std::int64_t> CountArgument(const std::string& option, const std::vector<std::string>& rest,
                                          std::int64_t min, std::int64_t max, const char* unit) {
  const std::string expected = "a whole number of " + std::string(unit) + " from " + std::to_string(min) + " to " +
                               std::to_string(max);
  if (rest.empty()) {
    UsageError(option + " needs " + expected);
    return std::nullopt;
  }
  if (rest.size() > 1) {
    UsageError(option + " takes one number, got also '" + Shown(rest[1]) + "'");
    return std::nullopt;
  }
  const auto value = ParseCount(rest[0], min, max);
  if (!value) UsageError(option + " needs " + expected + ", got '" + Shown(rest[0]) + "'");
  return value;
}

// plainLimitMs 0: the fast search only.
int FromInput(double plainLimitMs) {
  Board board(0, 0);
  const bool allPlayed = ForEachRecord(std::cin, std::cerr, board, [&](const std::string& record) {
    if (TurnOf(board) != Turn::kPlace) {
      std::printf("%s => %s\n", record.c_str(), TurnOf(board) == Turn::kPass ? "pass" : "end");
    } else {
      const Timing fast = TimeFast(board);
      std::printf("%s => %s %.3f ms", record.c_str(), FormatCell(fast.cell).c_str(), fast.ms);
      if (plainLimitMs > 0) {
        if (const auto plain = TimePlain(board, plainLimitMs))
          std::printf(", plain %s %.2f ms, ratio %.0f", FormatCell(plain->cell).c_str(), plain->ms, plain->ms / fast.ms);
        else
          std::printf(", plain beyond %.0f s", plainLimitMs / 1000);
      }
      std::printf("\n");
    }
    std::fflush(stdout);
  });
  return allPlayed ? 0 : 1;
}

}  // namespace

int RunBench(const std::vector<std::string>& args) {
  if (args.empty()) return SideBySide(BuiltInPositions(), kDefaultPlainLimitSeconds * 1000.0);
  const std::string& mode = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (mode == "--list") {
    if (!rest.empty()) return UsageError("bench --list takes nothing more, got '" + Shown(rest[0]) + "'");
    for (const auto& record : BuiltInPositions()) std::cout << record << '\n';
    return 0;
  }
  if (mode == "-") {
    if (rest.empty()) return FromInput(0);
    if (rest[0] != "--with-plain") return UsageError("bench - takes only --with-plain S, got '" + Shown(rest[0]) + "'");
    const std::vector<std::string> limit(rest.begin() + 1, rest.end());
    const auto seconds = CountArgument("bench - --with-plain", limit, 1, kMaxPlainLimitSeconds, "seconds");
    return seconds ? FromInput(*seconds * 1000.0) : 2;
  }
  if (mode == "--plain-limit") {
    const auto seconds = CountArgument("bench --plain-limit", rest, 1, kMaxPlainLimitSeconds, "seconds");
    return seconds ? SideBySide(BuiltInPositions(), *seconds * 1000.0) : 2;
  }
  if (mode == "--fast-only") {
    const auto games = CountArgument("bench --fast-only", rest, 1, kMaxFastOnlyGames, "games");
    return games ? FastOnly(SampleGames(static_cast<int>(*games))) : 2;
  }
  return UsageError("bench: unknown option '" + Shown(mode) + "'");
}

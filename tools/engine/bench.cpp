#include "bench.h"

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
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
// Runs of every fast search, of which the least time counts: the machine's other
// work only ever adds time.
constexpr int kDefaultRepeats = 3;
constexpr std::int64_t kMaxRepeats = 100;
// A whole game takes about 0.1 s: a hundred thousand of them stay within hours.
constexpr std::int64_t kMaxWholeGames = 100000;
// A game of the fast-only sample takes about 10 ms and its records about 1.5 KB:
// a million games stay within hours and two gigabytes.
constexpr std::int64_t kMaxFastOnlyGames = 1000000;

struct Timing {
  double ms;
  std::uint64_t positions;
  CellPos cell;
  double processorMs = 0;
  long faults = 0;  // page faults that the system met without reading a file
  // Making the player before the search: the first one made in a process takes the
  // search table's memory from the system, as the game does when the player is chosen.
  double madeMs = 0;
};

long PageFaults() {
  rusage usage;
  return getrusage(RUSAGE_SELF, &usage) == 0 ? usage.ru_minflt : 0;
}

Timing TimeFast(Board& board) {
  const Stopwatch making;
  AlphaCom alpha(&board, board.SideToMove());
  const double madeMs = making.Milliseconds();
  const long faults = PageFaults();
  const Stopwatch processor(CLOCK_PROCESS_CPUTIME_ID);
  const Stopwatch watch;
  const CellPos cell = alpha.NextMove();
  const double ms = watch.Milliseconds();
  const double processorMs = processor.Milliseconds();
  return {ms, alpha.SearchedPositions(), cell, processorMs, PageFaults() - faults, madeMs};
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

// One line of `bench -`: "<record> => <cell> <ms> ms, <ms> ms processor, <n>
// positions, <f> page faults, player made in <ms> ms".
std::optional<Timing> ParseTimingLine(const std::string& line) {
  const std::size_t arrow = line.find(" => ");
  if (arrow == std::string::npos) return std::nullopt;
  char cell[4];
  Timing timing{};
  unsigned long long positions;
  if (std::sscanf(line.c_str() + arrow + 4,
                  "%3s %lf ms, %lf ms processor, %llu positions, %ld page faults, player made in %lf ms", cell,
                  &timing.ms, &timing.processorMs, &positions, &timing.faults, &timing.madeMs) != 6)
    return std::nullopt;
  const auto parsed = ParseCell(cell);
  if (!parsed) return std::nullopt;
  timing.positions = positions;
  timing.cell = *parsed;
  return timing;
}

// The fast search over the records in their order, in a new process of this tool
// (`bench -`): its first search meets the search's memory as the first search of
// a program does, and each later one finds it as the earlier ones left it. This
// process never searches itself.
std::optional<std::vector<Timing>> SearchInNewProcess(const std::vector<std::string>& records) {
  // The records go through a file: through a pipe, they and the answers could
  // each wait for the other.
  char inputName[] = "/tmp/tarvel-engine-XXXXXX";
  const int input = mkstemp(inputName);
  if (input < 0) return std::nullopt;
  unlink(inputName);
  std::string text;
  for (const std::string& record : records) text += record + '\n';
  const bool written = write(input, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  int output[2];
  if (!written || lseek(input, 0, SEEK_SET) != 0 || pipe(output) != 0) {
    close(input);
    return std::nullopt;
  }
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(input, STDIN_FILENO);
    dup2(output[1], STDOUT_FILENO);
    close(output[0]);
    execl("/proc/self/exe", "tarvel-engine", "bench", "-", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(input);
  close(output[1]);
  std::vector<Timing> timings;
  bool parsed = pid > 0;
  if (FILE* answers = fdopen(output[0], "r")) {
    char* line = nullptr;
    std::size_t capacity = 0;
    ssize_t length;
    while ((length = getline(&line, &capacity, answers)) > 0) {
      const auto timing = ParseTimingLine(std::string(line, static_cast<std::size_t>(length)));
      if (timing) timings.push_back(*timing);
      parsed = parsed && timing;
    }
    std::free(line);
    std::fclose(answers);
  } else {
    close(output[0]);
    parsed = false;
  }
  int status = 0;
  if (pid > 0) waitpid(pid, &status, 0);
  if (!parsed || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || timings.size() != records.size())
    return std::nullopt;
  return timings;
}

// Each run of SearchInNewProcess over every list of records, `repeats` times, and
// for each record of each list the least time of its runs: every run searches
// exactly the same way, and the machine's other work only adds time. That work
// comes in bursts of seconds, so the runs go in rounds, each round one run of
// every list, rather than one list's runs back to back: a burst then stretches
// one run of a list, not all of them.
std::vector<std::vector<Timing>> TimeInRounds(const std::vector<std::vector<std::string>>& lists, int repeats) {
  std::vector<std::vector<Timing>> best(lists.size());
  for (int round = 0; round < repeats; ++round)
    for (std::size_t list = 0; list < lists.size(); ++list) {
      const auto timings = SearchInNewProcess(lists[list]);
      if (!timings) {
        std::fprintf(stderr, "tarvel-engine: a run of the fast search in a new process failed\n");
        std::exit(3);
      }
      if (round == 0) best[list] = *timings;
      for (std::size_t i = 0; i < timings->size(); ++i) {
        Timing& least = best[list][i];
        least.ms = std::min(least.ms, (*timings)[i].ms);
        least.processorMs = std::min(least.processorMs, (*timings)[i].processorMs);
        least.madeMs = std::min(least.madeMs, (*timings)[i].madeMs);
      }
    }
  return best;
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

// Median and maximum of one column of timings, and where the maximum is.
struct Column {
  std::vector<double> values;
  Slowest slowest;
  void Add(double value) {
    slowest.Offer(value, values.size());
    values.push_back(value);
  }
};

// Warm and cold, each by the clock and by the processor time the search took: a
// busy machine stretches the first, not the second. Cold over warm compares the
// processor times.
struct WarmAndCold {
  Column warm, warmProcessor, cold, coldProcessor, ratio;
  void Add(const Timing& w, const Timing& c) {
    warm.Add(w.ms);
    warmProcessor.Add(w.processorMs);
    cold.Add(c.ms);
    coldProcessor.Add(c.processorMs);
    ratio.Add(c.processorMs / w.processorMs);
  }
  // `where` names position i.
  void Print(const std::function<std::string(std::size_t)>& where) const {
    const auto line = [&](const char* name, const Column& column) {
      std::printf("%-15s median %8.3f ms, max %8.3f ms (%s)\n", name, Median(column.values), column.slowest.ms,
                  where(column.slowest.index).c_str());
    };
    line("warm:", warm);
    line("warm processor:", warmProcessor);
    line("cold:", cold);
    line("cold processor:", coldProcessor);
    std::printf("cold/warm processor time: median %.2f, greatest %.2f (%s: %.3f against %.3f ms)\n",
                Median(ratio.values), ratio.slowest.ms, where(ratio.slowest.index).c_str(),
                coldProcessor.values[ratio.slowest.index], warmProcessor.values[ratio.slowest.index]);
  }
};

const char kTimingHeads[] = "warm ms   proc  cold ms   proc    c/w  faults";

std::string TimingColumns(const Timing& warm, const Timing& cold) {
  char text[96];
  std::snprintf(text, sizeof text, "%7.3f %7.3f %8.3f %7.3f %6.2f %7ld", warm.ms, warm.processorMs, cold.ms,
                cold.processorMs, cold.processorMs / warm.processorMs, cold.faults);
  return text;
}

int SideBySide(const std::vector<std::string>& records, double plainLimitMs, int repeats) {
  Board board(0, 0);
  // The first list is warm, all records in one process; then each record alone, cold.
  std::vector<std::vector<std::string>> lists{records};
  for (const std::string& record : records) lists.push_back({record});
  const std::vector<std::vector<Timing>> timed = TimeInRounds(lists, repeats);
  const std::vector<Timing>& warm = timed.front();
  std::vector<Timing> cold;
  for (std::size_t i = 1; i < timed.size(); ++i) cold.push_back(timed[i].front());

  WarmAndCold figures;
  std::vector<double> plainTimes, fastWherePlain;
  Slowest plainSlowest;
  int mismatches = 0;
  std::printf("%4s %5s %6s %s %10s %10s %10s %8s %5s\n", "#", "count", "passes", kTimingHeads, "fast pos",
              "plain ms", "plain pos", "ratio", "cell");
  for (size_t i = 0; i < records.size(); ++i) {
    PlayRecord(board, records[i]);
    figures.Add(warm[i], cold[i]);
    std::printf("%4zu %5d %6d %s %10llu", i + 1, board.GetMoveCount(), PassesIn(board),
                TimingColumns(warm[i], cold[i]).c_str(), static_cast<unsigned long long>(warm[i].positions));
    if (!(cold[i].cell == warm[i].cell)) {
      std::printf("  MISMATCH: the cold search chose %s", FormatCell(cold[i].cell).c_str());
      ++mismatches;
    }
    if (const auto plain = TimePlain(board, plainLimitMs)) {
      plainTimes.push_back(plain->ms);
      fastWherePlain.push_back(warm[i].ms);
      plainSlowest.Offer(plain->ms, i);
      std::printf(" %10.2f %10llu %8.0f %5s", plain->ms, static_cast<unsigned long long>(plain->positions),
                  plain->ms / warm[i].ms, FormatCell(warm[i].cell).c_str());
      if (!(plain->cell == warm[i].cell)) {
        std::printf("  MISMATCH: plain chose %s", FormatCell(plain->cell).c_str());
        ++mismatches;
      }
    } else {
      std::printf(" %10s %10s %8s %5s", ">limit", "-", "-", FormatCell(warm[i].cell).c_str());
    }
    std::printf("\n");
  }

  std::printf("\nfast, least of %d runs: warm, all %zu positions searched in order in one process; cold, each "
              "position as the first search of a process\n",
              repeats, records.size());
  figures.Print([&](std::size_t i) {
    PlayRecord(board, records[i]);
    return "#" + std::to_string(i + 1) + ", move count " + std::to_string(board.GetMoveCount()) + ", passes " +
           std::to_string(PassesIn(board));
  });
  std::vector<double> made;
  for (const Timing& c : cold) made.push_back(c.madeMs);
  std::printf("cold, making the player before its search (the table's memory, not in the times above): median "
              "%.3f ms, max %.3f ms\n",
              Median(made), *std::max_element(made.begin(), made.end()));
  if (!plainTimes.empty()) {
    PlayRecord(board, records[plainSlowest.index]);
    std::printf("warm, the %zu positions the plain search finished within %.0f s: median %.3f ms, max %.3f ms\n",
                plainTimes.size(), plainLimitMs / 1000, Median(fastWherePlain),
                *std::max_element(fastWherePlain.begin(), fastWherePlain.end()));
    std::printf("plain, the same positions: median %.2f ms, max %.2f ms (#%zu, move count %d, passes %d)\n",
                Median(plainTimes), plainSlowest.ms, plainSlowest.index + 1, board.GetMoveCount(),
                PassesIn(board));
    std::printf("ratio plain/warm: of the medians %.0f, at the plain search's slowest position %.0f\n",
                Median(plainTimes) / Median(fastWherePlain), plainSlowest.ms / warm[plainSlowest.index].ms);
  }
  std::printf("%zu positions beyond the plain search's limit; %d different choices\n",
              records.size() - plainTimes.size(), mismatches);
  return mismatches ? 1 : 0;
}

// Every position of whole random games, each game searched in its order and all
// games in one process, as a program that plays them one after the other; then
// the slowest of them again, warm (their game replayed up to them in a fresh
// process) and cold (as the first search of a process).
int WholeGames(int games, int repeats) {
  std::vector<int> firstOfGame;  // index of each game's first position
  std::vector<std::string> all;
  for (int game = 1; game <= games; ++game) {
    firstOfGame.push_back(static_cast<int>(all.size()));
    for (std::string& record : WholeGame(game)) all.push_back(std::move(record));
  }
  const int total = static_cast<int>(all.size());
  const auto run = SearchInNewProcess(all);
  all.clear();
  if (!run) {
    std::fprintf(stderr, "tarvel-engine: the run over the games failed\n");
    return 3;
  }
  std::vector<double> times, processorTimes;
  std::uint64_t searched = 0, mostPositions = 0;
  for (const Timing& t : *run) {
    times.push_back(t.ms);
    processorTimes.push_back(t.processorMs);
    searched += t.positions;
    mostPositions = std::max(mostPositions, t.positions);
  }
  std::printf("%d games, %d positions searched in game order in one process: median %.3f ms, max %.3f ms; "
              "processor time median %.3f ms, max %.3f ms; positions searched %llu in all, at most %llu in one "
              "search\n",
              games, total, Median(times), *std::max_element(times.begin(), times.end()), Median(processorTimes),
              *std::max_element(processorTimes.begin(), processorTimes.end()),
              static_cast<unsigned long long>(searched), static_cast<unsigned long long>(mostPositions));
  // The tail, by processor time, which other work on the machine stretches less,
  // against the longest a reply should take.
  constexpr double kAimMs = 20;
  std::sort(processorTimes.begin(), processorTimes.end());
  const auto within = [&](double share) {
    return processorTimes[static_cast<std::size_t>(std::ceil(share * total)) - 1];
  };
  const auto beyondAim = processorTimes.end() - std::upper_bound(processorTimes.begin(), processorTimes.end(), kAimMs);
  std::printf("processor time within which 99 %%, 99.9 %% and 99.99 %% of them finished: %.3f, %.3f and %.3f ms; "
              "%td took longer than %.0f ms\n",
              within(0.99), within(0.999), within(0.9999), beyondAim, kAimMs);

  // The slowest by processor time and the largest by positions searched: times
  // on a busy machine stray, the positions do not.
  constexpr std::size_t kShown = 10;
  std::vector<int> order(total);
  for (int i = 0; i < total; ++i) order[i] = i;
  std::vector<int> chosen;
  std::sort(order.begin(), order.end(), [&](int a, int b) { return (*run)[a].processorMs > (*run)[b].processorMs; });
  chosen.assign(order.begin(), order.begin() + std::min<std::size_t>(kShown, order.size()));
  std::sort(order.begin(), order.end(), [&](int a, int b) { return (*run)[a].positions > (*run)[b].positions; });
  for (std::size_t i = 0; i < std::min<std::size_t>(kShown, order.size()); ++i)
    if (std::find(chosen.begin(), chosen.end(), order[i]) == chosen.end()) chosen.push_back(order[i]);

  std::printf("\nthe slowest and the largest, again, least of %d runs: warm, the game replayed up to the position in "
              "one process; cold, the position as the first search of a process\n",
              repeats);
  std::printf("%6s %5s %6s %7s %s %10s %5s  %s\n", "game", "count", "passes", "run ms", kTimingHeads, "positions",
              "cell", "record");
  // For each chosen position two lists: its game up to it (warm), and it alone (cold).
  std::vector<std::vector<std::string>> lists;
  std::vector<int> gameOf;
  for (const int index : chosen) {
    const int game = static_cast<int>(std::upper_bound(firstOfGame.begin(), firstOfGame.end(), index) -
                                      firstOfGame.begin());
    const std::vector<std::string> records = WholeGame(game);
    lists.emplace_back(records.begin(), records.begin() + (index - firstOfGame[game - 1]) + 1);
    lists.push_back({lists.back().back()});
    gameOf.push_back(game);
  }
  const std::vector<std::vector<Timing>> timed = TimeInRounds(lists, repeats);
  Board board(0, 0);
  WarmAndCold figures;
  std::vector<std::string> where;
  for (std::size_t k = 0; k < chosen.size(); ++k) {
    const int index = chosen[k], game = gameOf[k];
    const std::vector<std::string>& upTo = lists[2 * k];
    const Timing& warm = timed[2 * k].back();
    const Timing& cold = timed[2 * k + 1].back();
    figures.Add(warm, cold);
    PlayRecord(board, upTo.back());
    where.push_back("game " + std::to_string(game) + ", move count " + std::to_string(board.GetMoveCount()));
    std::printf("%6d %5d %6d %7.3f %s %10llu %5s  %s\n", game, board.GetMoveCount(), PassesIn(board),
                (*run)[index].ms, TimingColumns(warm, cold).c_str(),
                static_cast<unsigned long long>((*run)[index].positions), FormatCell(warm.cell).c_str(),
                upTo.back().c_str());
  }
  std::printf("of these:\n");
  figures.Print([&](std::size_t i) { return where[i]; });
  return 0;
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

struct CountOption {
  const char* name;
  std::int64_t min;
  std::int64_t max;
  const char* unit;
};

// Options each followed by one whole number within its bounds, in any order, each
// at most once. Reports bad usage itself.
std::optional<std::map<std::string, std::int64_t>> CountOptions(const std::string& command,
                                                                const std::vector<std::string>& args,
                                                                const std::vector<CountOption>& allowed) {
  std::map<std::string, std::int64_t> values;
  for (std::size_t i = 0; i < args.size(); i += 2) {
    const auto option = std::find_if(allowed.begin(), allowed.end(), [&](const CountOption& o) { return args[i] == o.name; });
    if (option == allowed.end()) {
      std::string names;
      for (const CountOption& o : allowed) names += (names.empty() ? "" : " or ") + std::string(o.name);
      UsageError(command + " takes " + names + ", got '" + Shown(args[i]) + "'");
      return std::nullopt;
    }
    const std::string what = command + " " + option->name;
    const std::string expected = "a whole number of " + std::string(option->unit) + " from " +
                                 std::to_string(option->min) + " to " + std::to_string(option->max);
    if (values.count(option->name)) {
      UsageError(what + " is given twice");
      return std::nullopt;
    }
    if (i + 1 == args.size()) {
      UsageError(what + " needs " + expected);
      return std::nullopt;
    }
    const auto value = ParseCount(args[i + 1], option->min, option->max);
    if (!value) {
      UsageError(what + " needs " + expected + ", got '" + Shown(args[i + 1]) + "'");
      return std::nullopt;
    }
    values[option->name] = *value;
  }
  return values;
}

// plainLimitMs 0: the fast search only.
int FromInput(double plainLimitMs) {
  Board board(0, 0);
  const bool allPlayed = ForEachRecord(std::cin, std::cerr, board, [&](const std::string& record) {
    if (TurnOf(board) != Turn::kPlace) {
      std::printf("%s => %s\n", record.c_str(), TurnOf(board) == Turn::kPass ? "pass" : "end");
    } else {
      const Timing fast = TimeFast(board);
      std::printf("%s => %s %.3f ms, %.3f ms processor, %llu positions, %ld page faults, player made in %.3f ms",
                  record.c_str(), FormatCell(fast.cell).c_str(), fast.ms, fast.processorMs,
                  static_cast<unsigned long long>(fast.positions), fast.faults, fast.madeMs);
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
  const std::string mode = args.empty() ? "" : args[0];
  const std::vector<std::string> rest(args.begin() + (args.empty() ? 0 : 1), args.end());
  const CountOption plainLimit{"--plain-limit", 1, kMaxPlainLimitSeconds, "seconds"};
  const CountOption repeat{"--repeat", 1, kMaxRepeats, "runs"};
  if (mode == "--list") {
    if (!rest.empty()) return UsageError("bench --list takes nothing more, got '" + Shown(rest[0]) + "'");
    for (const auto& record : BuiltInPositions()) std::cout << record << '\n';
    return 0;
  }
  if (mode == "-") {
    const auto options = CountOptions("bench -", rest, {{"--with-plain", 1, kMaxPlainLimitSeconds, "seconds"}});
    if (!options) return 2;
    return FromInput(options->count("--with-plain") ? options->at("--with-plain") * 1000.0 : 0);
  }
  if (mode == "--fast-only") {
    const auto options = CountOptions("bench", args, {{"--fast-only", 1, kMaxFastOnlyGames, "games"}});
    return options ? FastOnly(SampleGames(static_cast<int>(options->at("--fast-only")))) : 2;
  }
  if (mode == "--games") {
    const auto options = CountOptions("bench", args, {{"--games", 1, kMaxWholeGames, "games"}, repeat});
    if (!options) return 2;
    return WholeGames(static_cast<int>(options->at("--games")),
                      static_cast<int>(options->count("--repeat") ? options->at("--repeat") : kDefaultRepeats));
  }
  const auto options = CountOptions("bench", args, {plainLimit, repeat});
  if (!options) return 2;
  const std::int64_t seconds = options->count("--plain-limit") ? options->at("--plain-limit") : kDefaultPlainLimitSeconds;
  return SideBySide(BuiltInPositions(), seconds * 1000.0,
                    static_cast<int>(options->count("--repeat") ? options->at("--repeat") : kDefaultRepeats));
}

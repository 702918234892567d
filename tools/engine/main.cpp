// tarvel-engine: the Alpha player's search from the command line.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "arguments.h"
#include "bench.h"
#include "notation.h"
#include "players/alpha_com.h"
#include "players/hex_bitboard.h"

namespace {

const char kHelp[] = R"(usage: tarvel-engine COMMAND

Hex Reversi on 8 x 8 cells: the Alpha player's search from the command line.

Notation
  A placement is the column letter a-h (x = 0..7) and the row digit 1-8 (y + 1),
  so cell (2, 3) is c4; a pass is "pass". A game record is the moves from the
  opening separated by single spaces; an empty line is the opening itself.
  A side passes only when it has no legal placement and the other side has one;
  the game ends when neither side can place.

Commands
  best          Reads game records from stdin, one per line, and writes for each
                one line: the record as read, " => ", the cell the Alpha player
                chooses for the side to move, " | ", then every legal cell in
                scan order (x outer, y inner) with its exact search score, e.g.
                   => c4 | c4:-1 d6:-3 e3:-3 f5:-1
                When the side to move has no legal placement but the other side
                has, it writes "<record> => pass" (append the pass to go on);
                when the game is over, "<record> => end".
                A record with bad syntax, an illegal placement, a pass while a
                placement was possible or a move after the end of the game gets
                one line on stderr naming the line and the move, and nothing on
                stdout; the other lines go on, and the exit code is 1.
  perft N       Leaves of the game tree from the opening for depths 1..N (N up
                to 17, which takes hours), one "depth count" line each. A side
                without a placement passes as a ply when the other side can
                place; a position where neither can place counts as one leaf.
  bench         Times the Alpha player's NextMove (the fast search) over a
                built-in set of positions: every move count 0 to 59; 44, 45
                and 46 from more games; and positions at those counts after
                earlier passes. Each position is timed twice, each time in new
                processes of this tool (bench -): warm, all positions searched
                in order in one process; cold, the position as the first
                search of a process, as a player meets it at the program's
                first reply. Beside it, in the same run, the plain search
                (the reference: children in scan order, no ordering, no table),
                run in a child process and given up after 5 s. Per position:
                move count, passes so far, the warm and the cold time, each by
                the clock and by the processor time the search took (which a
                busy machine stretches less), cold over warm processor time,
                the page faults of the cold search, positions searched by each
                search, the plain and warm times' ratio and the chosen cell;
                then medians, maxima, the slowest positions, the ratios and
                the time of making the player before a cold search.
                Exits 1 if the searches ever choose differently.
  bench --plain-limit S --repeat R
                Either or both: the plain search is given S seconds per
                position (1 to 600); every fast time is the least of R runs
                (1 to 100, default 3).
  bench --games N [--repeat R]
                The fast search over every position of N whole random games
                (1 to 100000), each game in its order, all in one process;
                median and maximum; the processor time within which 99 %,
                99.9 % and 99.99 % of the searches finished, and how many took
                longer than 20 ms; then the 10 slowest (by processor time)
                and the 10 largest (by positions searched) again, each the
                least of R runs: warm (its game replayed up to it in a new
                process) and cold (the first search of a process).
  bench --fast-only N
                The fast search alone over N random games (1 to 1000000):
                each game's positions at move counts 44, 45 and 46, and one
                position per game at a move count running through 0 to 59;
                median and maximum of each group and the slowest record.
  bench -       Reads game records from stdin and writes for each one line:
                the record, " => ", the chosen cell, the time of NextMove by
                the clock and in processor time, the positions it searched,
                the page faults it met and the time of making the player
                before it (the first one made in a process prepares the
                search's memory, as the game does when the opponent is
                chosen), e.g. "c4 => d3 0.512 ms, 0.510 ms processor, 2569
                positions, 0 page faults, player made in 0.180 ms" ("=> pass"
                and "=> end" as for best; rejected records as for best).
  bench - --with-plain S
                The same, adding the plain search's cell and time (given up
                after S seconds, 1 to 600) and the ratio.
  bench --list  Writes the records of the built-in set, one per line.
  --help        This text.

Numbers are whole decimal numbers, digits only. Exit codes: 0 success; 1 a
rejected record, or bench finding the searches choosing differently; 2 bad
usage, named on stderr; 3 a search in a new process failed.
)";

int RunBest() {
  Board board(0, 0);
  const bool allPlayed = ForEachRecord(std::cin, std::cerr, board, [&board](const std::string& record) {
    std::cout << record << " => ";
    if (TurnOf(board) != Turn::kPlace) {
      std::cout << (TurnOf(board) == Turn::kPass ? "pass" : "end") << std::endl;
      return;
    }
    AlphaCom alpha(&board, board.SideToMove());
    std::cout << FormatCell(alpha.NextMove()) << " |";
    for (const auto& [cell, score] : alpha.RootScores(AlphaCom::DepthFor(board.GetMoveCount())))
      std::cout << ' ' << FormatCell(cell) << ':' << score;
    std::cout << std::endl;
  });
  return allPlayed ? 0 : 1;
}

// Depth 12 takes under 2 s and every further ply about seven times longer: depth
// 17 takes hours, 18 would take days.
constexpr int kMaxPerftDepth = 17;

int RunPerft(const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError("perft takes one depth N");
  const auto depth = ParseCount(args[0], 1, kMaxPerftDepth);
  if (!depth)
    return UsageError("perft: the depth must be a whole number from 1 to " + std::to_string(kMaxPerftDepth) +
                      ", got '" + Shown(args[0]) + "'");
  Board board(0, 0);
  const hex::Bits black = hex::StonesOf(board, Black()), white = hex::StonesOf(board, White());
  for (int d = 1; d <= *depth; ++d) std::cout << d << ' ' << hex::Perft(black, white, d) << std::endl;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << kHelp;
    return UsageError("no command given");
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::cout << kHelp;
    return 0;
  }
  if (args[0] == "best") {
    if (!rest.empty())
      return UsageError("best reads its records from standard input and takes no arguments, got '" +
                        Shown(rest[0]) + "'");
    return RunBest();
  }
  if (args[0] == "perft") return RunPerft(rest);
  if (args[0] == "bench") return RunBench(rest);
  return UsageError("unknown command '" + Shown(args[0]) + "'");
}

// tarvel-engine: the Alpha player's search from the command line.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "bench.h"
#include "notation.h"
#include "perft.h"
#include "players/alpha_com.h"

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
  perft N       Leaves of the game tree from the opening for depths 1..N, one
                "depth count" line each. A side without a placement passes as a
                ply when the other side can place; a position where neither can
                place counts as one leaf.
  bench         Times the Alpha player's NextMove over a built-in set of
                positions (move counts 0 to 59; 44, 45 and 46 from more games;
                and positions after earlier passes): per position the move
                count, the passes so far, the time and the number of positions
                searched; then the median and the maximum.
  bench --list  Writes the records of the built-in set, one per line.
  --help        This text.

Exit codes: 0 success, 1 a rejected record, 2 bad usage.
)";

int RunBest() {
  Board board(0, 0);
  bool rejected = false;
  std::string line;
  for (int lineNumber = 1; std::getline(std::cin, line); ++lineNumber) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (const auto error = PlayRecord(board, line)) {
      std::cerr << "line " << lineNumber << ": move " << error->moveNumber << " '" << error->move
                << "': " << error->reason << '\n';
      rejected = true;
      continue;
    }
    std::cout << line << " => ";
    switch (TurnOf(board)) {
      case Turn::kPass:
        std::cout << "pass\n";
        continue;
      case Turn::kGameOver:
        std::cout << "end\n";
        continue;
      case Turn::kPlace:
        break;
    }
    AlphaCom alpha(&board, board.SideToMove());
    const CellPos choice = alpha.NextMove();
    std::cout << FormatCell(choice) << " |";
    for (const auto& [cell, score] : alpha.RootScores(AlphaCom::DepthFor(board.GetMoveCount())))
      std::cout << ' ' << FormatCell(cell) << ':' << score;
    std::cout << std::endl;
  }
  return rejected ? 1 : 0;
}

int RunPerft(const std::vector<std::string>& args) {
  int depth = 0;
  if (args.size() != 1 || std::sscanf(args[0].c_str(), "%d", &depth) != 1 || depth < 1 ||
      std::to_string(depth) != args[0]) {
    std::cerr << "perft: expected one depth N >= 1 (see --help)\n";
    return 2;
  }
  Board board(0, 0);
  for (int d = 1; d <= depth; ++d) std::cout << d << ' ' << Perft(board, d) << std::endl;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << kHelp;
    return 2;
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::cout << kHelp;
    return 0;
  }
  if (args[0] == "best" && rest.empty()) return RunBest();
  if (args[0] == "perft") return RunPerft(rest);
  if (args[0] == "bench") return RunBench(rest);
  std::cerr << "tarvel-engine: unknown command '" << args[0] << "' (see --help)\n";
  return 2;
}

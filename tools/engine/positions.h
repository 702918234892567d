// Positions for the benchmark, as game records from seeded random games.
#pragma once

#include <string>
#include <vector>

// The built-in set: every move count 0 to 59, the heaviest move counts 44, 45 and
// 46 from more games, and positions at those counts after earlier passes.
std::vector<std::string> BuiltInPositions();

// Positions of `games` further random games: their positions at move counts 44 to
// 46 (heavy) and one per game at a move count that runs through 0 to 59 (spread).
struct GameSample {
  std::vector<std::string> heavy;
  std::vector<std::string> spread;
};
GameSample SampleGames(int games);

// The positions of random game `number` (from 1) at which the side to move
// places, in the order of the game; the first is the opening.
std::vector<std::string> WholeGame(int number);

#include "positions.h"

#include <random>

#include "notation.h"

namespace {

// Plays a game with uniformly drawn legal cells (the raw generator output modulo
// the count, so the games are the same with every standard library), returning the
// records of the positions at which the side to move can place.
std::vector<std::string> RandomGame(unsigned seed) {
  std::mt19937 random(seed);
  Board board(0, 0);
  std::vector<std::string> positions;
  for (;;) {
    const Turn turn = TurnOf(board);
    if (turn == Turn::kGameOver) break;
    if (turn == Turn::kPass) {
      board.Pass();
      positions.emplace_back();  // keeps the index equal to the move count
      continue;
    }
    positions.push_back(RecordOf(board));
    const std::vector<CellPos> legal = LegalCells(board, board.SideToMove());
    const CellPos cell = legal[random() % legal.size()];
    board.Place(cell.x, cell.y, board.SideToMove());
  }
  return positions;
}

// Appends the game's positions at the given move count, where the side to move places.
void Take(const std::vector<std::string>& game, int moveCount, std::vector<std::string>& out) {
  if (moveCount < static_cast<int>(game.size()) && (moveCount == 0 || !game[moveCount].empty()))
    out.push_back(game[moveCount]);
}

// Apart from the seeds of the built-in set and of the sample.
constexpr unsigned kWholeGameSeeds = 300000;

int PassesBefore(const std::vector<std::string>& game, int moveCount) {
  int passes = 0;
  for (int i = 1; i < moveCount && i < static_cast<int>(game.size()); ++i) passes += game[i].empty();
  return passes;
}

}  // namespace

std::vector<std::string> BuiltInPositions() {
  std::vector<std::string> positions;
  for (unsigned seed = 1; seed <= 3; ++seed) {
    const auto game = RandomGame(seed);
    for (int count = seed - 1; count < 60; count += 3) Take(game, count, positions);
  }
  for (unsigned seed = 11; seed <= 22; ++seed) {
    const auto game = RandomGame(seed);
    for (int count : {44, 45, 46}) Take(game, count, positions);
  }
  // Passes leave more empty cells when the search to the end begins.
  int onePass = 0, morePasses = 0;
  for (unsigned seed = 1000; onePass < 4 || morePasses < 2; ++seed) {
    const auto game = RandomGame(seed);
    const int passes = PassesBefore(game, 44);
    if (passes == 1 && onePass < 4) {
      ++onePass;
    } else if (passes > 1 && morePasses < 2) {
      ++morePasses;
    } else {
      continue;
    }
    for (int count : {44, 45, 46}) Take(game, count, positions);
  }
  return positions;
}

std::vector<std::string> WholeGame(int number) {
  const std::vector<std::string> game = RandomGame(kWholeGameSeeds + number);
  std::vector<std::string> positions;
  for (int moveCount = 0; moveCount < static_cast<int>(game.size()); ++moveCount) Take(game, moveCount, positions);
  return positions;
}

GameSample SampleGames(int games) {
  GameSample sample;
  for (int seed = 1; seed <= games; ++seed) {
    const auto game = RandomGame(100000 + seed);
    for (int count : {44, 45, 46}) Take(game, count, sample.heavy);
    Take(game, seed % 60, sample.spread);
  }
  return sample;
}

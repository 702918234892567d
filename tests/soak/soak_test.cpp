// A thousand complete games through the main window on the headless display, every
// computer player against every other and as both colours: the controller's opponent
// answers as it does in play, while the other player's choices arrive as clicks. The
// heap and the GDI objects in use must be the same after the last game as after the first.
#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "game_invariants.h"
#include "gdi_testing.h"
#include "kernel_testing.h"
#include "players/alpha_com.h"
#include "players/max_com.h"
#include "players/random_com.h"
#include "user_testing.h"
#include "win/board_view.h"
#include "win/main_window.h"
#include "win/resource.h"

namespace {

constexpr int kGames = 1000;
constexpr UINT kOpponents[] = {IDM_VS_COM1, IDM_VS_COM2, IDM_VS_COM3};

HINSTANCE Instance() {
  static char module;
  return reinterpret_cast<HINSTANCE>(&module);
}

// Rebuilds the position of a board from its history alone: placements from the records,
// passes from the gaps between their counts.
void Replay(const Board& game, Board& copy) {
  Board::History history = game.GetHistory();
  std::vector<MoveRecord> oldestFirst;
  for (; !history.empty(); history.pop()) oldestFirst.insert(oldestFirst.begin(), history.top());
  copy.Reset();
  for (const MoveRecord& record : oldestFirst) {
    while (copy.GetMoveCount() < record.count - 1) copy.Pass();
    copy.Place(record.x, record.y, copy.SideToMove());
  }
  while (copy.GetMoveCount() < game.GetMoveCount()) copy.Pass();
}

std::unique_ptr<ICom> MakePlayer(int kind, Board* board) {
  if (kind == 0) return std::make_unique<RandomCom>(board, Black());
  if (kind == 1) return std::make_unique<MaxCom>(board, Black());
  return std::make_unique<AlphaCom>(board, Black());
}

// Bytes handed out by malloc, the large blocks it maps directly included.
size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// Resident set size, for the record: it also holds pages the allocator keeps for reuse.
size_t ResidentBytes() {
  long pages = 0, resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return static_cast<size_t>(resident) * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

}  // namespace

TEST(Soak, ThousandGamesLeaveMemoryAndObjectsFlat) {
  winapi::UseHeadlessDisplay();
  ASSERT_TRUE(RegisterMainClass(Instance()));
  ASSERT_TRUE(CreateMainWindow(Instance(), SW_SHOWDEFAULT));
  HWND window = winapi::FindWindowOfClass("nTarvel");
  ASSERT_NE(window, nullptr);
  srand(12345);

  auto thinking = std::make_unique<Board>(0, 0);  // where the clicking player works out its moves
  size_t heapAfterFirst = 0, residentAfterFirst = 0, objectsAfterFirst = 0;
  for (int game = 0; game < kGames; ++game) {
    // Alpha against Alpha first, so that everything a player keeps for the whole run exists after game 1.
    const int pairing = (game + 8) % 18;
    const int opponent = pairing % 3;
    const std::unique_ptr<ICom> clicker = MakePlayer(pairing / 3 % 3, thinking.get());
    const bool humanSecond = pairing >= 9;
    winapi::PostCommand(window, kOpponents[opponent]);
    if (humanSecond) winapi::PostCommand(window, IDM_NEW_GAME_SECOND);
    winapi::PumpMessages();
    winapi::ClearRecordedMessageBoxes();

    const GameController* controller = mainController;
    ASSERT_NE(controller, nullptr);
    for (int turn = 0; !controller->IsGameOver(); ++turn) {
      ASSERT_LT(turn, 64) << "game " << game << " does not end";
      Replay(controller->GetBoard(), *thinking);
      clicker->SetColor(thinking->SideToMove());
      const CellPos cell = clicker->NextMove();
      const POINT centre = CellCenter(cell.x, cell.y);
      winapi::PostClick(window, centre.x + 10, centre.y + 10);
      winapi::PumpMessages();
      const int moveCount = controller->GetBoard().GetMoveCount();
      ASSERT_GT(moveCount, thinking->GetMoveCount()) << "game " << game << ": the click placed nothing";
      ASSERT_EQ(gametest::BrokenInvariant(*controller), "") << "game " << game;
    }
    ASSERT_FALSE(winapi::RecordedMessageBoxes().empty());
    winapi::TakeRecordedSleeps();
    if (game == 0) {
      heapAfterFirst = HeapInUse();
      residentAfterFirst = ResidentBytes();
      objectsAfterFirst = winapi::LiveGdiObjectCount();
    }
  }
  const size_t heapAfterLast = HeapInUse();
  std::printf("after game 1 and game %d: heap in use %zu and %zu bytes, resident %zu and %zu bytes, "
              "GDI objects %zu and %zu\n",
              kGames, heapAfterFirst, heapAfterLast, residentAfterFirst, ResidentBytes(), objectsAfterFirst,
              winapi::LiveGdiObjectCount());
  EXPECT_EQ(winapi::LiveGdiObjectCount(), objectsAfterFirst);
  // A leak of one board record per game would already be 76 kB; allocator slack is far less.
  EXPECT_LE(heapAfterLast, heapAfterFirst + 16 * 1024);

  thinking.reset();
  winapi::PostCommand(window, IDM_EXIT);
  EXPECT_EQ(winapi::PumpMessages(), 0);
  EXPECT_EQ(winapi::LiveGdiObjectCount(), 0u);
  winapi::UseHeadlessDisplay();
}

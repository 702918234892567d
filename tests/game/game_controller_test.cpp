// The game controller played through the main window on the headless display: clicks
// at cell centres, menu commands, and what the window and its message boxes then show.
// The computer's replies are made reproducible by seeding rand() after the controller
// has seeded it with the tick count.
#include <cstdlib>
#include <string>
#include <vector>

#include "app_testing.h"
#include "game/status_panel.h"
#include "players/random_com.h"
#include "win/resource.h"

namespace {

using apptest::MainWindowTest;

// Two people: White has no placement after Black's 11th move and passes; Black's 12th
// move takes White's last stones, and neither side can move again (15 turns, 16 to 0).
const std::vector<CellPos> kPassingGame = {{2, 3}, {3, 2}, {3, 5}, {1, 3}, {0, 3}, {4, 5},
                                           {5, 5}, {3, 6}, {2, 7}, {5, 3}, {2, 1}, {6, 3}};

// Against RandomCom after srand(kSeed): the human's moves, and the computer's replies
// they draw. After the 6th human move the computer has no placement and passes.
constexpr unsigned kSeed = 1;
const std::vector<CellPos> kComputerPassesHuman = {{3, 5}, {5, 4}, {4, 6}, {3, 6}, {2, 7}, {4, 7}};
const std::vector<CellPos> kComputerPassesReplies = {{4, 5}, {2, 5}, {5, 5}, {3, 7}, {5, 3}};
// After the 7th human move and the computer's reply (5, 1) the human has no placement:
// the human passes and the computer moves again, at (1, 5).
const std::vector<CellPos> kHumanPassesHuman = {{2, 3}, {3, 5}, {2, 1}, {2, 5}, {4, 1}, {4, 7}, {1, 3}};
const std::vector<CellPos> kHumanPassesReplies = {{3, 2}, {2, 4}, {4, 6}, {3, 1}, {2, 0}, {4, 0}, {5, 1}, {1, 5}};

// The message boxes' texts and caption, byte for byte in code page 932.
constexpr char kPassText[] = "\x83\x70\x83\x58";                                              // パス
constexpr char kBlackWinsText[] = "\x8D\x95\x82\xCC\x8F\x9F\x82\xBF\x82\xC5\x82\xB7\x81\x42";  // 黒の勝ちです。
constexpr char kWhiteWinsText[] = "\x94\x92\x82\xCC\x8F\x9F\x82\xBF\x82\xC5\x82\xB7\x81\x42";  // 白の勝ちです。
constexpr char kDrawText[] = "\x88\xF8\x82\xAB\x95\xAA\x82\xAF\x82\xC5\x82\xB7\x81\x42";       // 引き分けです。
constexpr char kCaption[] = "\x83\x8A\x83\x6F\x81\x5B\x83\x56";                                 // リバーシ

// Two people: White turns Black's last stones with the 10th placement (0 to 14).
const std::vector<CellPos> kWhiteWinsGame = {{2, 3}, {2, 4}, {2, 5}, {3, 2}, {4, 2},
                                             {3, 6}, {3, 5}, {5, 2}, {2, 6}, {1, 7}};
// Two people: after 58 placements neither side can place, with 31 stones each.
const std::vector<CellPos> kDrawnGame = {
    {4, 2}, {3, 2}, {5, 4}, {5, 2}, {3, 1}, {2, 5}, {5, 1}, {6, 4}, {5, 5}, {6, 0}, {2, 3}, {4, 1},
    {5, 3}, {3, 0}, {3, 5}, {4, 5}, {4, 6}, {2, 2}, {6, 5}, {2, 4}, {2, 1}, {7, 5}, {1, 5}, {1, 6},
    {2, 6}, {3, 7}, {4, 0}, {7, 4}, {0, 7}, {2, 0}, {6, 1}, {1, 7}, {3, 6}, {0, 5}, {7, 6}, {7, 2},
    {7, 1}, {1, 4}, {1, 2}, {6, 7}, {1, 0}, {1, 3}, {1, 1}, {6, 2}, {4, 7}, {6, 3}, {5, 6}, {6, 6},
    {7, 7}, {7, 3}, {0, 6}, {2, 7}, {7, 0}, {0, 4}, {5, 0}, {0, 3}, {5, 7}, {0, 2}};

class NamedCom : public ICom {
 public:
  explicit NamedCom(const char* name) : name_(name) {}
  CellPos NextMove() override { return {-1, -1}; }
  const Color* GetColor() const override { return White(); }
  void SetColor(const Color*) override {}
  const char* GetName() const override { return name_; }

 private:
  const char* name_;
};

// The panel's text for the model board, composed by a panel of its own: what the
// window's panel must show when the controller kept it up to date.
std::string PanelText(const Board& model, const char* opponent, bool over = false, const Color* winner = nullptr) {
  StatusPanel panel(491, 10, &model);
  NamedCom player(opponent);
  panel.Update(model.GetMoveCount(), &player, over, winner);
  return panel.Text();
}

class GameControllerTest : public MainWindowTest {
 protected:
  // Plays a human move on the model board too, checking it is legal there.
  void Play(Board& model, CellPos cell) {
    ASSERT_TRUE(model.Place(cell.x, cell.y, model.SideToMove())) << cell.x << ", " << cell.y;
    ClickCell(cell.x, cell.y);
  }
  void Reply(Board& model, CellPos cell) { ASSERT_TRUE(model.Place(cell.x, cell.y, model.SideToMove())); }
  // The computer's reply as the window shows it: its stone on a cell the model has empty.
  // For tests whose random draws are not fixed by a seed.
  void ReplyShown(Board& model) {
    const winapi::Surface shown = winapi::WindowPixels(window_);
    for (int x = 0; x < kBoardSize; ++x)
      for (int y = 0; y < kBoardSize; ++y)
        if (!model.GetCell(x, y) && apptest::ShownCell(shown, x, y) == model.SideToMove()) {
          Reply(model, {x, y});
          return;
        }
  }
  void PassIfStuck(Board& model) {
    if (!HasLegalPlacement(model, model.SideToMove())) model.Pass();
  }
  void ExpectShows(const Board& model, const char* opponent) {
    EXPECT_EQ(apptest::CellsDiffering(window_, model), "");
    EXPECT_EQ(apptest::PanelDiffers(window_, PanelText(model, opponent).c_str()), "");
  }
  bool RadioOn(UINT id) const { return winapi::MenuItemChecked(window_, id); }
};

TEST_F(GameControllerTest, StartsAgainstRandomWithTheHumanFirstAtTheOpening) {
  const Board opening(0, 0);
  EXPECT_EQ(apptest::CellsDiffering(window_, opening), "");
  EXPECT_EQ(apptest::PanelDiffers(window_, "黒の番です\n1 手目\n● Human\n    2 目\n○ Random\n    2 目"), "");
  EXPECT_TRUE(RadioOn(IDM_VS_COM1));
  EXPECT_FALSE(RadioOn(IDM_VS_HUMAN));
  EXPECT_FALSE(RadioOn(IDM_VS_COM2));
  EXPECT_FALSE(RadioOn(IDM_VS_COM3));
  EXPECT_TRUE(BoxTexts().empty());

  RECT client;
  GetClientRect(window_, &client);
  EXPECT_EQ(client.right, 651);
  EXPECT_EQ(client.bottom, 420);
  // The hatch shows where neither the board nor the panel paints: light blue lines on white.
  const winapi::Surface pixels = winapi::WindowPixels(window_);
  int lines = 0, gaps = 0;
  for (int y = 412; y < 420; ++y)
    for (int x = 600; x < 608; ++x) {
      const uint32_t pixel = pixels.At(x, y);
      lines += pixel == 0xBFCFDF;
      gaps += pixel == 0xFFFFFF;
    }
  EXPECT_EQ(lines + gaps, 64);
  EXPECT_EQ(lines, 16);  // the two diagonals of the 8 x 8 cell
}

TEST_F(GameControllerTest, ALegalClickPlacesAndTheComputerReplies) {
  srand(kSeed);
  Board model(0, 0);
  const uint64_t frames = winapi::WindowFrameCount(window_);
  Play(model, kHumanPassesHuman[0]);
  Reply(model, kHumanPassesReplies[0]);
  ExpectShows(model, "Random");
  EXPECT_EQ(ComputerPauses(), 1u);
  // One repaint shows the human's stone while the computer thinks, one the reply.
  EXPECT_EQ(winapi::WindowFrameCount(window_), frames + 2);

  Play(model, kHumanPassesHuman[1]);
  Reply(model, kHumanPassesReplies[1]);
  ExpectShows(model, "Random");
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(GameControllerTest, ClicksThatPlaceNothingOnlyRepaint) {
  const Board opening(0, 0);
  const winapi::Surface before = winapi::WindowPixels(window_);
  const POINT occupied = CellCenter(3, 3);
  const POINT noTurn = CellCenter(5, 3);  // next to Black's own stone: turns nothing
  const std::vector<POINT> clicks = {
      {2, 2},                                          // the background, left of the board
      {600, 300},                                      // below the panel
      {427 + apptest::kOrigin, 8 + apptest::kOrigin},  // inside cell (7, 0) but picked as (7, -1)
      {occupied.x + apptest::kOrigin, occupied.y + apptest::kOrigin},
      {noTurn.x + apptest::kOrigin, noTurn.y + apptest::kOrigin},
      {65535, 65535},  // the largest position a button release can carry
  };
  for (const POINT& click : clicks) {
    const uint64_t frames = winapi::WindowFrameCount(window_);
    Click(click.x, click.y);
    EXPECT_EQ(winapi::WindowFrameCount(window_), frames + 1) << click.x << ", " << click.y;
    EXPECT_EQ(winapi::WindowPixels(window_).pixels, before.pixels) << click.x << ", " << click.y;
  }
  EXPECT_EQ(ComputerPauses(), 0u);
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(GameControllerTest, TwoHumansPassOnceThenEndTheGame) {
  Command(IDM_VS_HUMAN);
  EXPECT_TRUE(RadioOn(IDM_VS_HUMAN));
  EXPECT_FALSE(RadioOn(IDM_VS_COM1));

  Board model(0, 0);
  std::vector<std::string> shownAtBox;
  winapi::SetMessageBoxObserver([&](const winapi::RecordedMessageBox& box) {
    // Each box comes over a window that already shows the position it is about.
    shownAtBox.push_back(apptest::CellsDiffering(window_, model) + "|" + box.caption);
  });
  for (size_t i = 0; i + 1 < kPassingGame.size(); ++i) {
    Play(model, kPassingGame[i]);
    PassIfStuck(model);
  }
  ASSERT_EQ(BoxTexts(), std::vector<std::string>{kPassText});
  EXPECT_EQ(shownAtBox, std::vector<std::string>{std::string("|") + kCaption});
  EXPECT_EQ(model.GetMoveCount(), 12);  // eleven placements and White's pass
  ExpectShows(model, "Human");

  Play(model, kPassingGame.back());
  model.Pass();
  model.Pass();
  ASSERT_EQ(BoxTexts(), (std::vector<std::string>{kPassText, kBlackWinsText}));
  EXPECT_EQ(shownAtBox.back(), std::string("|") + kCaption);
  EXPECT_EQ(apptest::PanelDiffers(window_, "黒の勝ちです\n15 手で終了\n● Human\n    16 目\n○ Human\n    0 目"), "");
  EXPECT_EQ(ComputerPauses(), 0u);

  // Over: clicks and take-back change nothing and repaint nothing.
  const winapi::Surface final = winapi::WindowPixels(window_);
  const uint64_t frames = winapi::WindowFrameCount(window_);
  ClickCell(0, 0);
  Command(IDM_UNDO);
  EXPECT_EQ(winapi::WindowFrameCount(window_), frames);
  EXPECT_EQ(winapi::WindowPixels(window_).pixels, final.pixels);
  EXPECT_EQ(BoxTexts().size(), 2u);

  // A new game starts playing again.
  Command(IDM_NEW_GAME_FIRST);
  Board opening(0, 0);
  Play(opening, {2, 3});
  ExpectShows(opening, "Human");
}

TEST_F(GameControllerTest, TheResultBoxNamesWhiteOrADraw) {
  Command(IDM_VS_HUMAN);
  Board model(0, 0);
  for (const CellPos& cell : kWhiteWinsGame) Play(model, cell);
  model.Pass();
  model.Pass();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{kWhiteWinsText});
  EXPECT_EQ(apptest::PanelDiffers(window_, PanelText(model, "Human", true, White()).c_str()), "");

  Command(IDM_NEW_GAME_FIRST);
  Board drawn(0, 0);
  for (const CellPos& cell : kDrawnGame) Play(drawn, cell);
  drawn.Pass();
  drawn.Pass();
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kWhiteWinsText, kDrawText}));
  EXPECT_EQ(apptest::PanelDiffers(window_, PanelText(drawn, "Human", true, nullptr).c_str()), "");
  for (const auto& box : winapi::RecordedMessageBoxes()) EXPECT_EQ(box.caption, kCaption);
}

TEST_F(GameControllerTest, TheComputerPassesAfterTheHumansMove) {
  srand(kSeed);
  Board model(0, 0);
  std::string shownAtBox;
  winapi::SetMessageBoxObserver([&](const winapi::RecordedMessageBox&) {
    shownAtBox = apptest::CellsDiffering(window_, model);
  });
  for (size_t i = 0; i < kComputerPassesReplies.size(); ++i) {
    Play(model, kComputerPassesHuman[i]);
    Reply(model, kComputerPassesReplies[i]);
  }
  ASSERT_EQ(apptest::CellsDiffering(window_, model), "") << "the computer's replies were not the expected ones";
  ComputerPauses();

  Play(model, kComputerPassesHuman.back());
  model.Pass();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{kPassText});
  EXPECT_EQ(shownAtBox, "");  // the human's last stone was on screen under the box
  EXPECT_EQ(ComputerPauses(), 0u);
  ExpectShows(model, "Random");  // Black again, move 13

  // Take-back undoes only the human's placement: the computer's pass goes with it.
  model.Undo();
  Command(IDM_UNDO);
  EXPECT_EQ(model.GetMoveCount(), 10);
  ExpectShows(model, "Random");
}

TEST_F(GameControllerTest, TheHumanPassesAndTheComputerMovesAgain) {
  srand(kSeed);
  Board model(0, 0);
  winapi::Surface shownAtBox;
  winapi::SetMessageBoxObserver([&](const winapi::RecordedMessageBox&) { shownAtBox = winapi::WindowPixels(window_); });
  for (size_t i = 0; i < kHumanPassesHuman.size(); ++i) {
    Play(model, kHumanPassesHuman[i]);
    Reply(model, kHumanPassesReplies[i]);
    if (i + 1 == kHumanPassesHuman.size()) {
      // The box comes before the computer's second move, over its first one.
      ASSERT_FALSE(HasLegalPlacement(model, model.SideToMove()));
      model.Pass();
    }
  }
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{kPassText});
  ASSERT_EQ(shownAtBox.width, 651);
  EXPECT_EQ(apptest::CellsDiffering(shownAtBox, model), "");
  Reply(model, kHumanPassesReplies.back());
  ExpectShows(model, "Random");
  EXPECT_EQ(model.GetMoveCount(), 16);
}

TEST_F(GameControllerTest, TakeBackReturnsToTheSameSideToMove) {
  // At the opening nothing is undone, but the window is repainted.
  const Board opening(0, 0);
  uint64_t frames = winapi::WindowFrameCount(window_);
  Command(IDM_UNDO);
  EXPECT_EQ(winapi::WindowFrameCount(window_), frames + 1);
  ExpectShows(opening, "Random");

  // Against the computer: its reply and the human's move go back together.
  srand(kSeed);
  Board model(0, 0);
  Play(model, kHumanPassesHuman[0]);
  Reply(model, kHumanPassesReplies[0]);
  Play(model, kHumanPassesHuman[1]);
  Reply(model, kHumanPassesReplies[1]);
  ComputerPauses();
  Command(IDM_UNDO);
  model.Undo();
  model.Undo();
  ExpectShows(model, "Random");
  EXPECT_EQ(ComputerPauses(), 0u);

  // Two people: back to the previous position with the same side to move.
  Command(IDM_VS_HUMAN);
  Board humans(0, 0);
  for (int i = 0; i < 3; ++i) Play(humans, kPassingGame[i]);
  Command(IDM_UNDO);
  humans.Undo();
  humans.Undo();
  EXPECT_EQ(humans.GetMoveCount(), 1);
  ExpectShows(humans, "Human");

  // Across White's pass: Black was to move before its own last placement.
  for (int i = 1; i < 11; ++i) Play(humans, kPassingGame[i]);
  humans.Pass();
  Command(IDM_UNDO);
  humans.Undo();
  EXPECT_EQ(humans.GetMoveCount(), 10);
  ExpectShows(humans, "Human");
}

TEST_F(GameControllerTest, TakeBackStopsWhenTheHistoryRunsOut) {
  // Two people after Black's first move: back to the opening, and Black moves again.
  Command(IDM_VS_HUMAN);
  Board humans(0, 0);
  Play(humans, {2, 3});
  Command(IDM_UNDO);
  humans.Undo();
  ExpectShows(humans, "Human");
  Play(humans, {3, 5});
  EXPECT_EQ(humans.GetCell(3, 5), Black());
  ExpectShows(humans, "Human");

  // The human second, before their first move: the computer's stone goes back and the
  // computer moves again, so that the human's next click places White.
  Command(IDM_VS_COM1);
  Command(IDM_NEW_GAME_SECOND);
  EXPECT_EQ(ComputerPauses(), 1u);
  Command(IDM_UNDO);
  EXPECT_EQ(ComputerPauses(), 1u);
  Board model(0, 0);
  ReplyShown(model);
  ASSERT_EQ(model.GetMoveCount(), 1) << "no black stone of the computer's is on the board";
  ExpectShows(model, "Random");

  Play(model, LegalCells(model, model.SideToMove()).front());
  EXPECT_EQ(ComputerPauses(), 1u);
  ReplyShown(model);
  EXPECT_EQ(model.GetMoveCount(), 3);
  ExpectShows(model, "Random");
}

TEST_F(GameControllerTest, NewGamesWithTheHumanFirstOrSecond) {
  // Against the computer, second: its first stone is there when the window repaints.
  srand(kSeed);
  Command(IDM_NEW_GAME_SECOND);
  EXPECT_EQ(ComputerPauses(), 1u);
  const winapi::Surface shown = winapi::WindowPixels(window_);
  int blackStones = 0;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) blackStones += apptest::ShownCell(shown, x, y) == Black();
  EXPECT_EQ(blackStones, 4);  // its placement and the one stone it turned, beside the two of the opening
  EXPECT_EQ(apptest::PanelDiffers(window_, "白の番です\n2 手目\n● Human\n    4 目\n○ Random\n    1 目"), "");

  // First again: the opening, and nothing drawn until the window is painted.
  InvalidateRect(window_, nullptr, FALSE);
  winapi::PumpMessages();
  const uint64_t frames = winapi::WindowFrameCount(window_);
  winapi::PostCommand(window_, IDM_NEW_GAME_FIRST);
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  DispatchMessageA(&msg);
  EXPECT_EQ(winapi::WindowFrameCount(window_), frames);
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  DispatchMessageA(&msg);
  const Board opening(0, 0);
  ExpectShows(opening, "Random");

  // Two people, second: the same as first.
  Command(IDM_VS_HUMAN);
  Board humans(0, 0);
  Play(humans, {2, 3});
  Command(IDM_NEW_GAME_SECOND);
  ExpectShows(opening, "Human");
  Command(IDM_NEW_GAME_FIRST);
  ExpectShows(opening, "Human");
  EXPECT_EQ(ComputerPauses(), 0u);
}

TEST_F(GameControllerTest, OpponentCommandsMoveTheRadioMarkAndStartAGame) {
  struct Opponent {
    UINT id;
    const char* name;
  };
  const Opponent opponents[] = {{IDM_VS_COM2, "Max"}, {IDM_VS_COM3, "Alpha"}, {IDM_VS_HUMAN, "Human"},
                                {IDM_VS_COM1, "Random"}, {IDM_VS_COM1, "Random"}};
  for (const Opponent& opponent : opponents) {
    ClickCell(2, 3);  // a game in progress, discarded by every choice, the same one too
    Command(opponent.id);
    for (UINT id : {IDM_VS_HUMAN, IDM_VS_COM1, IDM_VS_COM2, IDM_VS_COM3})
      EXPECT_EQ(RadioOn(id), id == opponent.id) << opponent.name << ": item " << id;
    ExpectShows(Board(0, 0), opponent.name);
  }
  // Each computer answers a move.
  for (UINT id : {IDM_VS_COM2, IDM_VS_COM3}) {
    Command(id);
    ClickCell(2, 3);
    int stones = 0;
    const winapi::Surface shown = winapi::WindowPixels(window_);
    for (int x = 0; x < kBoardSize; ++x)
      for (int y = 0; y < kBoardSize; ++y) stones += apptest::ShownCell(shown, x, y) != nullptr;
    EXPECT_EQ(stones, 6) << id;
  }
}

TEST_F(GameControllerTest, AboutShowsTheGameAndItsMaker) {
  Command(IDM_ABOUT);
  ASSERT_EQ(winapi::RecordedMessageBoxes().size(), 1u);
  const winapi::RecordedMessageBox& box = winapi::RecordedMessageBoxes()[0];
  EXPECT_EQ(box.caption, "About..");
  EXPECT_EQ(box.owner, window_);
  EXPECT_EQ(box.type, static_cast<UINT>(MB_OK));
  EXPECT_NE(box.text.find("Tarvel"), std::string::npos);
  EXPECT_NE(box.text.find("製作: "), std::string::npos);
  ExpectShows(Board(0, 0), "Random");
}

TEST_F(GameControllerTest, ExitFromTheMenuEndsTheLoopAndReleasesEverything) {
  ClickCell(2, 3);
  winapi::PostCommand(window_, IDM_EXIT);
  EXPECT_EQ(winapi::PumpMessages(), 0);
  EXPECT_EQ(winapi::LiveGdiObjectCount(), gdiObjectsBefore_);
  // The window stays until the process ends; without a controller it ignores the game's input.
  ASSERT_TRUE(winapi::IsWindowAlive(window_));
  const uint64_t frames = winapi::WindowFrameCount(window_);
  winapi::PostClick(window_, 100, 100);
  winapi::PostCommand(window_, IDM_UNDO);
  InvalidateRect(window_, nullptr, FALSE);
  EXPECT_EQ(winapi::PumpMessages(), std::nullopt);
  EXPECT_EQ(winapi::WindowFrameCount(window_), frames);
}

TEST_F(GameControllerTest, ClosingTheWindowDestroysItAndReleasesEverything) {
  srand(kSeed);
  ClickCell(2, 3);
  Command(IDM_VS_COM3);
  winapi::PostClose(window_);
  EXPECT_EQ(winapi::PumpMessages(), 0);
  EXPECT_FALSE(winapi::IsWindowAlive(window_));
  EXPECT_EQ(winapi::LiveGdiObjectCount(), gdiObjectsBefore_);
}

}  // namespace

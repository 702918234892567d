// The menu: read from the compiled resource script, its radio group, and the menu bar
// the layer draws, driven by the mouse and the keyboard on the headless display.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "user/menu.h"
#include "user/resources.h"
#include "user_testing.h"
#include "win/resource.h"

namespace {

std::vector<UINT> commands;

LRESULT CALLBACK CommandProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) commands.push_back(LOWORD(wParam));
  if (message == WM_LBUTTONUP) commands.push_back(0);  // a click that reached the client area
  return DefWindowProcA(window, message, wParam, lParam);
}

std::span<const uint8_t> Resources() { return {winapi_module_resources, winapi_module_resources_size}; }

TEST(MenuResource, TheMenuOfTheResourceScriptIsReadAsWritten) {
  auto menu = winapi::ParseMenuTemplate(winapi::FindResourceIn(Resources(), winapi::kResourceTypeMenu, IDR_MAIN_MENU));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->items.size(), 2u);
  EXPECT_EQ(menu->items[0].text, "ゲーム(&G)");
  EXPECT_EQ(menu->items[1].text, "ヘルプ(&H)");
  ASSERT_TRUE(menu->items[0].popup && menu->items[1].popup);

  struct Expected {
    UINT id;
    const char* text;
  };
  const Expected game[] = {{IDM_NEW_GAME_FIRST, "先手でニューゲーム(&N)"},
                           {IDM_NEW_GAME_SECOND, "後手でニューゲーム(&W)"},
                           {0, nullptr},
                           {IDM_VS_HUMAN, "vs 人間(&H)"},
                           {IDM_VS_COM1, "vs Com &1"},
                           {IDM_VS_COM2, "vs Com &2"},
                           {IDM_VS_COM3, "vs Com &3"},
                           {0, nullptr},
                           {IDM_UNDO, "待った！(&U)"},
                           {0, nullptr},
                           {IDM_EXIT, "終了(&X)"}};
  const auto& items = menu->items[0].popup->items;
  ASSERT_EQ(items.size(), std::size(game));
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].separator, game[i].text == nullptr) << i;
    if (!game[i].text) continue;
    EXPECT_EQ(items[i].id, game[i].id) << i;
    EXPECT_EQ(items[i].text, game[i].text) << i;
    EXPECT_FALSE(items[i].checked || items[i].grayed || items[i].popup) << i;
  }
  ASSERT_EQ(menu->items[1].popup->items.size(), 1u);
  EXPECT_EQ(menu->items[1].popup->items[0].id, static_cast<UINT>(IDM_ABOUT));
  EXPECT_EQ(menu->items[1].popup->items[0].text, "バージョン情報(&A)");

  EXPECT_EQ(winapi::MnemonicOf(items[0].text), 'N');
  EXPECT_EQ(winapi::MnemonicOf(items[6].text), '3');
  EXPECT_EQ(winapi::MnemonicOf("a && b"), 0);
  EXPECT_TRUE(winapi::FindResourceIn(Resources(), winapi::kResourceTypeMenu, 102).empty());
  EXPECT_FALSE(winapi::FindResourceIn(Resources(), 24, 1).empty());  // the manifest
}

TEST(MenuResource, DamagedResourcesAndTemplatesAreRefused) {
  const auto bytes = Resources();
  const auto menuData = winapi::FindResourceIn(bytes, winapi::kResourceTypeMenu, IDR_MAIN_MENU);
  ASSERT_FALSE(menuData.empty());
  // Every cut of the template, and of the whole image, is refused or read without reaching past it.
  for (size_t size = 0; size < menuData.size(); ++size)
    EXPECT_EQ(winapi::ParseMenuTemplate(menuData.first(size)), nullptr) << size;
  for (size_t size = 0; size < bytes.size(); size += 3)
    (void)winapi::ParseMenuTemplate(winapi::FindResourceIn(bytes.first(size), winapi::kResourceTypeMenu, IDR_MAIN_MENU));

  // A header claiming more data than there is ends the search.
  std::vector<uint8_t> image(bytes.begin(), bytes.end());
  image[32] = 0xFF, image[33] = 0xFF, image[34] = 0xFF, image[35] = 0x7F;
  EXPECT_TRUE(winapi::FindResourceIn(image, winapi::kResourceTypeMenu, IDR_MAIN_MENU).empty());

  // Popups nested without end, and a template of another version.
  std::vector<uint8_t> nested = {0, 0, 0, 0};
  for (int i = 0; i < 100; ++i) nested.insert(nested.end(), {MF_POPUP, 0, 'x', 0, 0, 0});
  EXPECT_EQ(winapi::ParseMenuTemplate(nested), nullptr);
  std::vector<uint8_t> versioned(menuData.begin(), menuData.end());
  versioned[0] = 1;
  EXPECT_EQ(winapi::ParseMenuTemplate(versioned), nullptr);
}

class MenuBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winapi::UseHeadlessDisplay();
    commands.clear();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CommandProc;
    wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
    wc.lpszClassName = "WithMenu";
    ASSERT_NE(RegisterClassA(&wc), 0);
    RECT rect{0, 0, 651, 420};
    AdjustWindowRect(&rect, WS_CAPTION, TRUE);
    window_ = CreateWindowExA(0, "WithMenu", "", WS_CAPTION | WS_VISIBLE, 0, 0, rect.right - rect.left,
                              rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    menu_ = GetMenu(window_);
    ASSERT_NE(menu_, nullptr);
  }
  void TearDown() override { winapi::UseHeadlessDisplay(); }

  std::vector<UINT> Pumped() {
    winapi::PumpMessages();
    return std::exchange(commands, {});
  }
  POINT Centre(RECT r) const { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
  void Press(POINT p, bool down) { winapi::PostMouseButton(window_, p.x, p.y, down); }
  void ClickAt(POINT p) {
    Press(p, true);
    Press(p, false);
  }

  HWND window_ = nullptr;
  HMENU menu_ = nullptr;
};

TEST_F(MenuBarTest, TheWindowHasTheClientSizeBelowItsMenuBar) {
  RECT client;
  GetClientRect(window_, &client);
  EXPECT_EQ(client.right, 651);
  EXPECT_EQ(client.bottom, 420);
  const winapi::Surface frame = winapi::WindowFrame(window_);
  EXPECT_EQ(frame.height, 420 + GetSystemMetrics(SM_CYMENU));
  EXPECT_EQ(frame.At(640, 5), 0xD4D0C8u);  // the grey bar beyond the titles
}

TEST_F(MenuBarTest, RadioItemsMarkExactlyOneOfTheGroup) {
  EXPECT_TRUE(CheckMenuRadioItem(menu_, IDM_VS_HUMAN, IDM_VS_COM3, IDM_VS_COM2, MF_BYCOMMAND));
  for (UINT id : {IDM_VS_HUMAN, IDM_VS_COM1, IDM_VS_COM2, IDM_VS_COM3})
    EXPECT_EQ(winapi::MenuItemChecked(window_, id), id == IDM_VS_COM2) << id;
  EXPECT_TRUE(CheckMenuRadioItem(menu_, IDM_VS_HUMAN, IDM_VS_COM3, IDM_VS_HUMAN, MF_BYCOMMAND));
  EXPECT_TRUE(winapi::MenuItemChecked(window_, IDM_VS_HUMAN));
  EXPECT_FALSE(winapi::MenuItemChecked(window_, IDM_VS_COM2));

  // Items outside the range keep their state; ranges across menus and unknown handles fail.
  EXPECT_FALSE(winapi::MenuItemChecked(window_, IDM_UNDO));
  EXPECT_FALSE(CheckMenuRadioItem(menu_, IDM_VS_HUMAN, IDM_ABOUT, IDM_VS_HUMAN, MF_BYCOMMAND));
  EXPECT_FALSE(CheckMenuRadioItem(reinterpret_cast<HMENU>(uintptr_t{0x40}), 1, 2, 1, MF_BYCOMMAND));
  EXPECT_TRUE(winapi::MenuItemChecked(window_, IDM_VS_HUMAN));

  // Windows' answers at the edges (menu.c, test_CheckMenuRadioItem), one call after another.
  struct Call {
    UINT first, last, check;
    BOOL answer;
    UINT item;  // then checked, and a radio item either way
    bool checked;
  };
  const Call calls[] = {
      {IDM_VS_HUMAN, IDM_VS_COM3, IDM_VS_COM2, TRUE, IDM_VS_COM2, true},
      // A check outside the group: the group is unchecked all the same, and keeps its marks.
      {IDM_VS_COM2, IDM_VS_COM2, static_cast<UINT>(-1), FALSE, IDM_VS_COM2, false},
      // A last that names no item.
      {IDM_VS_COM1, 50000, IDM_VS_COM3, TRUE, IDM_VS_COM3, true},
      {IDM_VS_HUMAN, IDM_VS_COM1, IDM_VS_COM3, FALSE, IDM_VS_COM3, true},
  };
  for (const Call& call : calls) {
    EXPECT_EQ(CheckMenuRadioItem(menu_, call.first, call.last, call.check, MF_BYCOMMAND), call.answer) << call.check;
    size_t at = 0;
    const winapi::Menu* holder = winapi::FindItemByCommand(winapi::FindMenu(menu_), call.item, at);
    ASSERT_NE(holder, nullptr);
    EXPECT_EQ(holder->items[at].checked, call.checked) << call.check;
    EXPECT_TRUE(holder->items[at].radio) << call.check;
  }
}

TEST_F(MenuBarTest, TheMouseOpensAPopupAndChoosesAnItem) {
  ClickAt(Centre(winapi::MenuTitleRect(window_, 0)));
  EXPECT_EQ(winapi::OpenMenuPopup(window_), 0);
  EXPECT_EQ(Pumped(), std::vector<UINT>{});

  // The popup with its eleven items fits in the client area.
  const RECT last = winapi::MenuPopupItemRect(window_, 10);
  EXPECT_LE(last.bottom, 420 + GetSystemMetrics(SM_CYMENU));

  // Hovering highlights; a separator is not highlighted; a click chooses.
  const POINT com3 = Centre(winapi::MenuPopupItemRect(window_, 6));
  winapi::PostMouseMove(window_, com3.x, com3.y);
  EXPECT_EQ(winapi::WindowFrame(window_).At(com3.x + 40, com3.y - 8), 0x0A246Au);
  const POINT separator = Centre(winapi::MenuPopupItemRect(window_, 7));
  winapi::PostMouseMove(window_, separator.x, separator.y);
  EXPECT_NE(winapi::WindowFrame(window_).At(com3.x + 40, com3.y - 8), 0x0A246Au);
  ClickAt(separator);
  EXPECT_EQ(winapi::OpenMenuPopup(window_), 0);
  ClickAt(com3);
  EXPECT_EQ(winapi::OpenMenuPopup(window_), -1);
  EXPECT_EQ(Pumped(), std::vector<UINT>{IDM_VS_COM3});

  // Moving along the bar with a popup open switches popups; the same title closes it.
  ClickAt(Centre(winapi::MenuTitleRect(window_, 0)));
  const POINT help = Centre(winapi::MenuTitleRect(window_, 1));
  winapi::PostMouseMove(window_, help.x, help.y);
  EXPECT_EQ(winapi::OpenMenuPopup(window_), 1);
  ClickAt(help);
  EXPECT_EQ(winapi::OpenMenuPopup(window_), -1);
  EXPECT_EQ(Pumped(), std::vector<UINT>{});
}

TEST_F(MenuBarTest, AClickOutsideClosesTheMenuAndGoesNoFurther) {
  ClickAt(Centre(winapi::MenuTitleRect(window_, 0)));
  ClickAt({600, 300});
  EXPECT_EQ(winapi::OpenMenuPopup(window_), -1);
  EXPECT_EQ(Pumped(), std::vector<UINT>{});
  // The next click is the client area's again, and a press on the bar released below is not.
  ClickAt({600, 300});
  EXPECT_EQ(Pumped(), std::vector<UINT>{0});
  Press({640, 5}, true);
  Press({600, 300}, false);
  EXPECT_EQ(Pumped(), std::vector<UINT>{});
}

TEST_F(MenuBarTest, TheKeyboardWalksTheMenu) {
  // Alt selects the bar; Down opens the popup on its first item; Down skips separators.
  winapi::PostKey(window_, winapi::Key::Alt);
  EXPECT_EQ(winapi::OpenMenuPopup(window_), -1);
  winapi::PostKey(window_, winapi::Key::Down);
  EXPECT_EQ(winapi::OpenMenuPopup(window_), 0);
  for (int i = 0; i < 3; ++i) winapi::PostKey(window_, winapi::Key::Down);
  winapi::PostKey(window_, winapi::Key::Enter);
  EXPECT_EQ(Pumped(), std::vector<UINT>{IDM_VS_COM1});

  // Up from the first item wraps to the last; the underlined letter chooses.
  winapi::PostKey(window_, winapi::Key::F10);
  winapi::PostKey(window_, winapi::Key::Enter);
  winapi::PostKey(window_, winapi::Key::Up);
  winapi::PostKey(window_, winapi::Key::Enter);
  winapi::PostKey(window_, winapi::Key::F10);
  winapi::PostKey(window_, winapi::Key::Down);
  winapi::PostLetter(window_, 'U', false);
  EXPECT_EQ(Pumped(), (std::vector<UINT>{IDM_EXIT, IDM_UNDO}));

  // Right moves to the next popup; Escape goes back to the bar, and again closes it.
  winapi::PostKey(window_, winapi::Key::Alt);
  winapi::PostKey(window_, winapi::Key::Down);
  winapi::PostKey(window_, winapi::Key::Right);
  EXPECT_EQ(winapi::OpenMenuPopup(window_), 1);
  winapi::PostKey(window_, winapi::Key::Escape);
  EXPECT_EQ(winapi::OpenMenuPopup(window_), -1);
  winapi::PostLetter(window_, 'U', false);  // on the bar: no title has this letter
  winapi::PostKey(window_, winapi::Key::Escape);
  winapi::PostLetter(window_, 'H', false);  // closed: letters are the window's again
  EXPECT_EQ(winapi::OpenMenuPopup(window_), -1);
  EXPECT_EQ(Pumped(), std::vector<UINT>{});

  // Alt with a title's letter opens that popup at once.
  winapi::PostLetter(window_, 'H', true);
  EXPECT_EQ(winapi::OpenMenuPopup(window_), 1);
  winapi::PostLetter(window_, 'A', false);
  EXPECT_EQ(Pumped(), std::vector<UINT>{IDM_ABOUT});

  // In a popup a letter no item has changes nothing; F10 closes the whole menu, after
  // which a title's letter is the window's again.
  winapi::PostLetter(window_, 'H', true);
  winapi::PostLetter(window_, 'Z', false);
  EXPECT_EQ(winapi::OpenMenuPopup(window_), 1);
  winapi::PostKey(window_, winapi::Key::F10);
  winapi::PostLetter(window_, 'H', false);
  EXPECT_EQ(winapi::OpenMenuPopup(window_), -1);
  EXPECT_EQ(Pumped(), std::vector<UINT>{});
}

TEST_F(MenuBarTest, TheCheckedOpponentShowsABullet) {
  CheckMenuRadioItem(menu_, IDM_VS_HUMAN, IDM_VS_COM3, IDM_VS_COM1, MF_BYCOMMAND);
  ClickAt(Centre(winapi::MenuTitleRect(window_, 0)));
  const winapi::Surface frame = winapi::WindowFrame(window_);
  auto darkInCheckColumn = [&](int item) {
    const RECT r = winapi::MenuPopupItemRect(window_, item);
    int dark = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.left + 20; ++x) dark += frame.At(x, y) == 0;
    return dark;
  };
  EXPECT_GT(darkInCheckColumn(4), 20);
  EXPECT_EQ(darkInCheckColumn(3), 0);
  EXPECT_EQ(darkInCheckColumn(5), 0);
}

}  // namespace

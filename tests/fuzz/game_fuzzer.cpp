// Fuzzes the whole game on the headless display: the input bytes become clicks anywhere
// in the client area, menu commands (known and unknown), the menu bar by mouse and
// keyboard, new games, opponent changes, take-backs and exits at any moment. After
// every event the game's invariants are checked; after every exit no GDI object may be
// left. Heap leaks are LeakSanitizer's to find.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "game_invariants.h"
#include "gdi_testing.h"
#include "kernel_testing.h"
#include "user_testing.h"
#include "win/board_view.h"
#include "win/main_window.h"
#include "win/resource.h"

namespace {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return position_ >= size_; }
  uint8_t Byte() { return position_ < size_ ? data_[position_++] : 0; }
  uint16_t Word() { return static_cast<uint16_t>(Byte() | Byte() << 8); }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "game_fuzzer: %s: %s\n", what, detail.c_str());
  std::abort();
}

HINSTANCE Instance() {
  static char module;
  return reinterpret_cast<HINSTANCE>(&module);
}

// A fresh main window as WinMain makes it, with the random draws fixed by the input.
HWND OpenMainWindow(unsigned seed) {
  winapi::UseHeadlessDisplay();
  if (winapi::LiveGdiObjectCount() != 0) Fail("GDI objects alive before the window", "");
  if (!RegisterMainClass(Instance()) || !CreateMainWindow(Instance(), SW_SHOWDEFAULT)) Fail("no main window", "");
  srand(seed);
  winapi::PumpMessages();
  return winapi::FindWindowOfClass("nTarvel");
}

// After the quit message: the controller is gone, and with it every object it made.
void ExpectClosed(std::optional<int> quitCode) {
  if (quitCode != 0) Fail("no quit message with code 0 after exit", "");
  if (mainController) Fail("the controller outlived the exit", "");
  if (winapi::LiveGdiObjectCount() != 0)
    Fail("GDI objects left after exit", std::to_string(winapi::LiveGdiObjectCount()));
}

// Every input event the target decoded and played, over all executions (libFuzzer's
// re-runs of an input for its leak check included), printed when the process exits: a
// campaign's count of events is this figure, not an estimate.
uint64_t eventsPlayed = 0;
uint64_t executions = 0;

void PrintEventCount() {
  std::fprintf(stderr, "game_fuzzer: %llu input events in %llu executions\n",
               static_cast<unsigned long long>(eventsPlayed), static_cast<unsigned long long>(executions));
}

constexpr UINT kCommands[] = {IDM_NEW_GAME_FIRST, IDM_NEW_GAME_SECOND, IDM_VS_HUMAN, IDM_VS_COM1, IDM_VS_COM2,
                              IDM_VS_COM3,        IDM_UNDO,            IDM_ABOUT};
constexpr winapi::Key kKeys[] = {winapi::Key::Alt,  winapi::Key::F10,  winapi::Key::Left,  winapi::Key::Right,
                                 winapi::Key::Up,   winapi::Key::Down, winapi::Key::Enter, winapi::Key::Escape};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  winapi::SetSleepRecording(true);
  // Pixels are written only for each input's last picture (below): drawing every event's
  // took most of the time, and no check here reads them.
  winapi::SetPixelOutput(false);
  std::atexit(PrintEventCount);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input input(data, size);
  // Also every ten thousand executions, since a run that ends on a finding never exits.
  if (++executions % 10000 == 0) PrintEventCount();
  HWND window = OpenMainWindow(input.Word());
  for (int events = 0; !input.Empty() && events < 200; ++events) {
    const uint8_t op = input.Byte();
    ++eventsPlayed;
    switch (op % 16) {
      case 0: case 1: case 2: case 3: case 4: case 5: {  // a click on a cell, the common case
        const uint8_t cell = input.Byte();
        const POINT centre = CellCenter(cell >> 3 & 7, cell & 7);
        winapi::PostClick(window, centre.x + 10, centre.y + 10);
        break;
      }
      case 6:  // a release anywhere a 16-bit client coordinate can name
        PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(input.Word(), input.Word()));
        break;
      case 7: case 8:
        winapi::PostCommand(window, kCommands[input.Byte() % std::size(kCommands)]);
        break;
      case 9:  // any identifier, most of them unknown
        winapi::PostCommand(window, input.Word());
        break;
      case 10:  // the menu bar by keyboard
        if (const uint8_t key = input.Byte(); key < 128)
          winapi::PostKey(window, kKeys[key % std::size(kKeys)]);
        else
          winapi::PostLetter(window, static_cast<char>("GHNWU123XAz"[key % 11]), key & 1);
        break;
      case 11: {  // the mouse over the menu bar and its popups, in window coordinates
        const int x = input.Byte() * 3, y = input.Byte() * 2;
        winapi::PostMouseMove(window, x, y);
        winapi::PostMouseButton(window, x, y, input.Byte() & 1);
        break;
      }
      case 12:
        srand(input.Word());
        break;
      case 13: case 14: {  // exit through the menu or the window manager, then start again
        if (op % 16 == 13)
          winapi::PostCommand(window, IDM_EXIT);
        else
          winapi::PostClose(window);
        ExpectClosed(winapi::PumpMessages());
        window = OpenMainWindow(input.Word());
        continue;
      }
      default:
        winapi::PostCommand(window, IDM_UNDO);
        break;
    }
    if (const std::optional<int> quit = winapi::PumpMessages()) {  // a menu choice may have been the exit
      ExpectClosed(quit);
      window = OpenMainWindow(input.Word());
      continue;
    }
    const GameController* game = mainController;
    if (!game) Fail("no controller while the window is open", "");
    if (const std::string broken = gametest::BrokenInvariant(*game); !broken.empty()) Fail("invariant", broken);
  }
  // The position reached is drawn with its pixels after the first execution and every
  // eighth one after it, so that the drawing code still runs under the sanitizers on the
  // states the fuzzer finds. An input replayed alone is always drawn.
  if (executions % 8 == 1) {
    winapi::SetPixelOutput(true);
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    winapi::SetPixelOutput(false);
  }
  winapi::PostCommand(window, IDM_EXIT);
  ExpectClosed(winapi::PumpMessages());
  winapi::UseHeadlessDisplay();
  winapi::TakeRecordedSleeps();
  return 0;
}

#include "win/main_window.h"

#include "game/game_controller.h"
#include "win/resource.h"

namespace {

constexpr char kClassName[] = "nTarvel";
constexpr char kTitle[] = "Tarvel";
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kClientWidth = 651;
constexpr int kClientHeight = 420;

}  // namespace

GameController* mainController = nullptr;

bool RegisterMainClass(HINSTANCE instance) {
  WNDCLASSA wc = {};
  wc.style = 0;
  wc.lpfnWndProc = MainWndProc;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = 0;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
  wc.lpszClassName = kClassName;
  return RegisterClassA(&wc) != 0;
}

bool CreateMainWindow(HINSTANCE instance, int showCommand) {
  RECT rect = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRect(&rect, kStyle, TRUE);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

  HWND window = CreateWindowExA(0, kClassName, kTitle, kStyle, left, top, width, height, nullptr, nullptr, instance,
                                nullptr);
  if (!window) return false;
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  return true;
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      mainController = new GameController(window);
      return 0;
    case WM_DESTROY:
      delete mainController;
      mainController = nullptr;
      PostQuitMessage(0);
      return 0;
    case WM_PAINT:
      if (!mainController) break;  // the default validates, so WM_PAINT does not come again and again
      mainController->Paint(window);
      return 0;
    case WM_COMMAND:
      if (!mainController) break;
      mainController->OnCommand(window, LOWORD(wParam));
      return 0;
    case WM_LBUTTONUP:
      if (!mainController) break;
      mainController->OnClick(window, LOWORD(lParam), HIWORD(lParam));
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

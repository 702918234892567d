// The program's entry point: the window, then messages until the quit message.
#include <windows.h>

#include "win/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  if (!RegisterMainClass(instance)) return 0;
  if (!CreateMainWindow(instance, showCommand)) return 0;
  MSG msg = {};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return static_cast<int>(msg.wParam);
}

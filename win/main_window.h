// The main window: its class, its creation in the middle of the screen, and the window
// procedure that hands the window's events to the game.
#pragma once

#include <windows.h>

bool RegisterMainClass(HINSTANCE instance);
bool CreateMainWindow(HINSTANCE instance, int showCommand);
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class GameController;
// The main window's game, made on WM_CREATE and deleted on WM_DESTROY (null before and
// after): the one link between the window procedure and the game, as there is one main
// window.
extern GameController* mainController;

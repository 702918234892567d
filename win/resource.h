// Resource and menu command identifiers, shared by the resource script and the game.
#pragma once

#define IDR_MAIN_MENU 101

#define IDM_ABOUT 40009
#define IDM_NEW_GAME_FIRST 40010
#define IDM_VS_HUMAN 40013
#define IDM_VS_COM1 40014
#define IDM_VS_COM2 40015
#define IDM_EXIT 40016
#define IDM_NEW_GAME_SECOND 40018
#define IDM_UNDO 40021
#define IDM_VS_COM3 40022

// Menus: loaded from a standard menu template, the one form the resource script compiles to.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace winapi {

struct Menu;

struct MenuItem {
  UINT id = 0;
  std::string text;  // code page 932, with its '&' mnemonic marker
  bool separator = false;
  bool grayed = false;
  bool checked = false;
  bool radio = false;  // checked items show a bullet instead of a tick
  std::unique_ptr<Menu> popup;
};

struct Menu {
  std::vector<MenuItem> items;
};

// Parses MENUITEMTEMPLATEHEADER and the items that follow; null for a malformed template.
std::unique_ptr<Menu> ParseMenuTemplate(std::span<const uint8_t> bytes);

// The menu resource with an integer identifier, null when missing or malformed.
std::unique_ptr<Menu> LoadMenuResource(uint16_t id);

// Menus handed out as HMENU: a window's menu bar is registered while the window lives.
HMENU RegisterMenu(Menu* menu);
void UnregisterMenu(Menu* menu);
Menu* FindMenu(HMENU handle);

// The mnemonic letter of a text (after a single '&'), upper-cased; 0 when it has none.
char MnemonicOf(const std::string& text);

// The menu (the bar or one of its popups) holding the item with this command, and its
// position there; null when no item has it.
Menu* FindItemByCommand(Menu* menu, UINT id, size_t& position);

}  // namespace winapi

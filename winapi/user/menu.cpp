#include "user/menu.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

#include "kernel/cp932.h"
#include "user/resources.h"

namespace winapi {
namespace {

class TemplateReader {
 public:
  explicit TemplateReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool ReadWord(uint16_t& value) {
    if (at_ + 2 > bytes_.size()) return false;
    value = static_cast<uint16_t>(bytes_[at_] | bytes_[at_ + 1] << 8);
    at_ += 2;
    return true;
  }

  bool ReadText(std::u16string& text) {
    for (uint16_t unit; ReadWord(unit);) {
      if (unit == 0) return true;
      text.push_back(static_cast<char16_t>(unit));
    }
    return false;
  }

  bool Skip(size_t count) {
    if (count > bytes_.size() - at_) return false;
    at_ += count;
    return true;
  }

 private:
  std::span<const uint8_t> bytes_;
  size_t at_ = 0;
};

// Reads items up to and including the one flagged MF_END. The depth bound keeps a
// hostile template from recursing without end.
bool ReadItems(TemplateReader& reader, Menu& menu, int depth) {
  if (depth > 8) return false;
  for (;;) {
    uint16_t flags = 0, id = 0;
    if (!reader.ReadWord(flags)) return false;
    if (!(flags & MF_POPUP) && !reader.ReadWord(id)) return false;
    std::u16string text;
    if (!reader.ReadText(text)) return false;

    MenuItem item;
    item.id = id;
    item.text = Cp932FromUtf16(text);
    item.grayed = flags & (MF_GRAYED | MF_DISABLED);
    item.checked = flags & MF_CHECKED;
    // The resource compiler writes MENUITEM SEPARATOR as an item with no text and no id.
    item.separator = (flags & MF_SEPARATOR) || (!(flags & MF_POPUP) && id == 0 && text.empty());
    if (flags & MF_POPUP) {
      item.popup = std::make_unique<Menu>();
      if (!ReadItems(reader, *item.popup, depth + 1)) return false;
    }
    menu.items.push_back(std::move(item));
    if (flags & MF_END) return true;
  }
}

std::unordered_set<Menu*>& LiveMenus() {
  static std::unordered_set<Menu*> menus;
  return menus;
}

}  // namespace

std::unique_ptr<Menu> ParseMenuTemplate(std::span<const uint8_t> bytes) {
  TemplateReader reader(bytes);
  uint16_t version = 0, headerSize = 0;
  if (!reader.ReadWord(version) || !reader.ReadWord(headerSize) || version != 0) return nullptr;
  if (!reader.Skip(headerSize)) return nullptr;
  auto menu = std::make_unique<Menu>();
  if (!ReadItems(reader, *menu, 0)) return nullptr;
  return menu;
}

std::unique_ptr<Menu> LoadMenuResource(uint16_t id) { return ParseMenuTemplate(FindResourceData(kResourceTypeMenu, id)); }

HMENU RegisterMenu(Menu* menu) {
  LiveMenus().insert(menu);
  return reinterpret_cast<HMENU>(menu);
}

void UnregisterMenu(Menu* menu) { LiveMenus().erase(menu); }

Menu* FindMenu(HMENU handle) {
  Menu* menu = reinterpret_cast<Menu*>(handle);
  return LiveMenus().contains(menu) ? menu : nullptr;
}

char MnemonicOf(const std::string& text) {
  const MnemonicLabel label = ParseMnemonic(text);
  if (label.markedByte < 0) return 0;
  const auto marked = static_cast<unsigned char>(label.text[label.markedByte]);
  return marked < 0x80 ? static_cast<char>(std::toupper(marked)) : 0;
}

Menu* FindItemByCommand(Menu* menu, UINT id, size_t& position) {
  for (size_t i = 0; i < menu->items.size(); ++i) {
    MenuItem& item = menu->items[i];
    if (item.popup) {
      if (Menu* found = FindItemByCommand(item.popup.get(), id, position)) return found;
    } else if (!item.separator && item.id == id) {
      position = i;
      return menu;
    }
  }
  return nullptr;
}

}  // namespace winapi

BOOL WINAPI CheckMenuRadioItem(HMENU handle, UINT first, UINT last, UINT check, UINT flags) {
  winapi::Menu* menu = winapi::FindMenu(handle);
  if (!menu) return FALSE;
  size_t firstPos = first, lastPos = last, checkPos = check;
  winapi::Menu* group = menu;
  if (!(flags & MF_BYPOSITION)) {
    group = winapi::FindItemByCommand(menu, first, firstPos);
    if (!group) return FALSE;
    // The group is the run of items from first to last within one menu; a last that names
    // no item at all leaves it open to the end of that menu.
    if (winapi::FindItemByCommand(group, last, lastPos) != group) {
      if (winapi::FindItemByCommand(menu, last, lastPos)) return FALSE;
      lastPos = SIZE_MAX;
    }
    if (winapi::FindItemByCommand(group, check, checkPos) != group) checkPos = SIZE_MAX;
  }
  if (firstPos > lastPos || firstPos >= group->items.size()) return FALSE;
  lastPos = std::min(lastPos, group->items.size() - 1);
  // Every item of the group loses its check and keeps its radio mark; only the given one,
  // when it lies in the group, is checked, and only then does the call succeed.
  bool checked = false;
  for (size_t i = firstPos; i <= lastPos; ++i) {
    winapi::MenuItem& item = group->items[i];
    if (item.separator) continue;
    item.checked = i == checkPos;
    if (item.checked) item.radio = checked = true;
  }
  return checked ? TRUE : FALSE;
}

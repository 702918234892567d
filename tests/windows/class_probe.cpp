// Loaded into the running tarvel.exe by window_probe.exe: reads the main window and its class
// from inside the program, where class handles, menus and stock objects compare as the
// program itself sees them (Wine answers such questions only for windows of the asking
// process), and writes what it found next to itself, in class_probe.txt.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string report;

void Expect(bool ok, const char* what, unsigned long long seen, unsigned long long expected) {
  char line[200];
  std::snprintf(line, sizeof line, "%s: %s: 0x%llx, expected 0x%llx\n", ok ? "ok" : "FAIL", what, seen, expected);
  report += line;
}

std::string ItemText(HMENU menu, int position) {
  char text[128] = {};
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

// The items of a menu bar and of its popups, with their identifiers and texts: the state of
// check marks and greying is the game's business and left out.
std::string Describe(HMENU bar) {
  std::string out;
  for (int i = 0; i < GetMenuItemCount(bar); ++i) {
    out += "[" + ItemText(bar, i) + "]";
    HMENU popup = GetSubMenu(bar, i);
    for (int j = 0; popup && j < GetMenuItemCount(popup); ++j)
      out += " " + std::to_string(GetMenuItemID(popup, j)) + ":" + ItemText(popup, j);
  }
  return out;
}

void Probe() {
  HWND window = FindWindowA("nTarvel", nullptr);
  if (!window) {
    report += "FAIL: no window of class nTarvel in the program\n";
    return;
  }
  // The program asks for a caption, a system menu and a minimize box. Windows adds
  // WS_CLIPSIBLINGS to every top-level window and WS_VISIBLE once it is shown, and
  // WS_EX_WINDOWEDGE to a captioned one: nothing else may be there (a sizing border or a
  // maximize box would let the fixed-size board be stretched).
  const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS | WS_VISIBLE;
  Expect(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) == style, "window style",
         static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), style);
  Expect(static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)) == WS_EX_WINDOWEDGE, "extended style",
         static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)), WS_EX_WINDOWEDGE);
  RECT client = {};
  GetClientRect(window, &client);
  Expect(client.right == 651 && client.bottom == 420, "client size (width << 16 | height)",
         static_cast<unsigned long long>(client.right) << 16 | client.bottom, 651ull << 16 | 420);

  auto field = [window](int index) { return static_cast<unsigned long long>(GetClassLongPtrA(window, index)); };
  auto handle = [](const void* h) { return reinterpret_cast<unsigned long long>(h); };
  Expect(field(GCL_STYLE) == 0, "class style", field(GCL_STYLE), 0);
  Expect(field(GCL_CBCLSEXTRA) == 0 && field(GCL_CBWNDEXTRA) == 0, "class and window extra bytes",
         field(GCL_CBCLSEXTRA) << 32 | field(GCL_CBWNDEXTRA), 0);
  const HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
  const HCURSOR cursor = LoadCursorA(nullptr, IDC_ARROW);
  const HGDIOBJ brush = GetStockObject(WHITE_BRUSH);
  Expect(field(GCLP_HICON) == handle(icon), "class icon (IDI_APPLICATION)", field(GCLP_HICON), handle(icon));
  Expect(field(GCLP_HCURSOR) == handle(cursor), "class cursor (IDC_ARROW)", field(GCLP_HCURSOR), handle(cursor));
  Expect(field(GCLP_HBRBACKGROUND) == handle(brush), "class background (WHITE_BRUSH)", field(GCLP_HBRBACKGROUND),
         handle(brush));
  Expect(field(GCLP_MENUNAME) == 101, "class menu name", field(GCLP_MENUNAME), 101);

  HMENU shown = GetMenu(window);
  HMENU resource = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101));
  const std::string expected = resource ? Describe(resource) : "(no menu 101)";
  const std::string seen = shown ? Describe(shown) : "(no menu)";
  report += (shown && resource && seen == expected ? "ok: menu bar: " : "FAIL: menu bar: ") + seen +
            (seen == expected ? "\n" : ", expected " + expected + "\n");
  if (resource) DestroyMenu(resource);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  Probe();
  char path[MAX_PATH] = {};
  GetModuleFileNameA(self, path, MAX_PATH);
  std::string out = path;
  out.replace(out.rfind('.'), std::string::npos, ".txt");
  if (FILE* file = std::fopen(out.c_str(), "wb")) {
    std::fputs(report.c_str(), file);
    std::fclose(file);
  }
  // Refusing to stay loaded unloads the probe again: the game goes on as if never visited.
  return FALSE;
}

// Checks the running tarvel.exe's main window and window class under Wine: waits for the
// window to be shown, loads class_probe.dll (next to this program) into the game's process,
// which reads the window from inside, and prints its findings. Exit code 0 when all hold.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr DWORD kTimeoutMs = 30000;

std::string SiblingPath(const char* name) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string out = path;
  return out.substr(0, out.find_last_of("\\/") + 1) + name;
}

HWND WaitForShownWindow() {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND window = FindWindowA("nTarvel", nullptr);
    if (window && IsWindowVisible(window)) return window;
    if (GetTickCount() - start > kTimeoutMs) return nullptr;
    Sleep(20);
  }
}

// Runs LoadLibraryA(dll) on a thread of the process. kernel32 lies at the same address in
// every process, so our LoadLibraryA is the target's too.
bool LoadInto(HANDLE process, const std::string& dll) {
  void* remote = VirtualAllocEx(process, nullptr, dll.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!remote || !WriteProcessMemory(process, remote, dll.c_str(), dll.size() + 1, nullptr)) return false;
  auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
  HANDLE thread = CreateRemoteThread(process, nullptr, 0, load, remote, 0, nullptr);
  if (!thread) return false;
  const bool done = WaitForSingleObject(thread, kTimeoutMs) == WAIT_OBJECT_0;
  CloseHandle(thread);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return done;
}

}  // namespace

int main() {
  HWND window = WaitForShownWindow();
  if (!window) {
    std::puts("FAIL: no shown window of class nTarvel");
    return 1;
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
  const std::string dll = SiblingPath("class_probe.dll");
  const std::string report_path = SiblingPath("class_probe.txt");
  DeleteFileA(report_path.c_str());
  if (!process || !LoadInto(process, dll)) {
    std::printf("FAIL: could not load %s into the game (error %lu)\n", dll.c_str(), GetLastError());
    return 1;
  }
  CloseHandle(process);
  FILE* file = std::fopen(report_path.c_str(), "rb");
  if (!file) {
    std::printf("FAIL: the probe left no report at %s\n", report_path.c_str());
    return 1;
  }
  std::string report;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, file)) report += buffer;
  std::fclose(file);
  std::fputs(report.c_str(), stdout);
  return report.empty() || report.find("FAIL") != std::string::npos ? 1 : 0;
}

// The message queue of the one thread: posted messages first, then WM_QUIT once the
// queue is empty, then WM_PAINT for an invalid window, and only then a wait for input.
#include <deque>

#include "backend.h"
#include "boundary.h"
#include "user/window.h"

namespace winapi {
namespace {

struct Queue {
  std::deque<MSG> messages;
  bool quitPosted = false;
  int quitCode = 0;
};

Queue& Q() {
  static Queue queue;
  return queue;
}

}  // namespace

void QueueMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = GetTickCount();
  Q().messages.push_back(msg);
}

bool TakeMessage(MSG& msg) {
  Queue& q = Q();
  if (!q.messages.empty()) {
    msg = q.messages.front();
    q.messages.pop_front();
    return true;
  }
  if (q.quitPosted) {
    q.quitPosted = false;
    msg = MSG{};
    msg.message = WM_QUIT;
    msg.wParam = static_cast<WPARAM>(q.quitCode);
    return true;
  }
  if (Window* window = FirstInvalidWindow()) {
    msg = MSG{};
    msg.hwnd = window->handle;
    msg.message = WM_PAINT;
    return true;
  }
  return false;
}

bool MessagePending() { return !Q().messages.empty() || Q().quitPosted || FirstInvalidWindow(); }

void ClearMessageQueue() { Q() = Queue{}; }

}  // namespace winapi

BOOL WINAPI GetMessageA(LPMSG msg, HWND, UINT, UINT) {
  if (!msg) return -1;
  winapi::Display* display = winapi::CurrentDisplay();
  // Input whose handling ran out of memory is lost, as on Windows when the queue is full;
  // more input may still come, so the wait goes on.
  const auto pump = [display](bool wait) {
    return winapi::Guarded(true, [&] { return display->PumpEvents(wait); });
  };
  if (display) pump(false);
  while (!winapi::TakeMessage(*msg)) {
    // Without a display no input can ever arrive, and waiting would be for ever.
    if (!display || !pump(true)) {
      *msg = MSG{};
      return -1;
    }
  }
  return msg->message == WM_QUIT ? 0 : 1;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
  if (!msg) return 0;
  winapi::Window* window = winapi::FindWindowByHandle(msg->hwnd);
  return window ? window->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

LRESULT WINAPI SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  winapi::Window* window = winapi::FindWindowByHandle(handle);
  return window ? window->proc(handle, message, wParam, lParam) : 0;
}

BOOL WINAPI PostMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  if (handle && !winapi::FindWindowByHandle(handle)) return FALSE;
  return winapi::Guarded<BOOL>(FALSE, [&] {
    winapi::QueueMessage(handle, message, wParam, lParam);
    return TRUE;
  });
}

void WINAPI PostQuitMessage(int exitCode) {
  winapi::Queue& q = winapi::Q();
  q.quitPosted = true;
  q.quitCode = exitCode;
}

LRESULT WINAPI DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(handle, WM_CLOSE, 0, 0);
      return 0;
    case WM_CLOSE:
      DestroyWindow(handle);
      return 0;
    case WM_PAINT:
      ValidateRect(handle, nullptr);
      return 0;
    default:
      return 0;
  }
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  winapi::Display* display = winapi::CurrentDisplay();
  if (!display) return 0;  // no box can be shown, as MessageBox fails without a desktop
  winapi::Window* window = winapi::FindWindowByHandle(owner);
  // Windows puts "Error" on a box without a caption.
  return winapi::Guarded(
      0, [&] { return display->RunMessageBox(window, text ? text : "", caption ? caption : "Error", type); });
}

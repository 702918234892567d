// Requests on a connection of the test's own that an X server answers with BadWindow.
// Apart from the tests: Xlib's names clash with GoogleTest's and with the layer's.
#pragma once

namespace x11_requests {

// What SDL's stale wake-up does: an event sent to a window that no longer exists.
// Returns false when no X server could be reached.
bool SendEventToDestroyedWindow();
// Any other request on such a window.
bool MapDestroyedWindow();

}  // namespace x11_requests

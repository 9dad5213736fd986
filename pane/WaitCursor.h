#pragma once
// WaitCursor: the application-wide wait cursor for the life of the object,
// for operations that keep the user-interface thread busy (starting and
// stopping a camera). The cursor comes back also when the operation throws.
//
// Threads: user-interface thread.

namespace kamsel::pane {

class WaitCursor {
  public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    // Lets the user interface handle what is pending (the cursor change and
    // any repaint among it), so that it shows before the busy work begins.
    static void ProcessPendingEvents();
};

} // namespace kamsel::pane

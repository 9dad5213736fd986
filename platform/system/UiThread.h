#pragma once
// The user-interface thread's binding, checked the way the build allows: the
// facade, the frame handler, the pane and its paint box are bound to the
// thread that runs the application's event loop (their timers, windows and
// widgets live there), and a call from any other thread is a fault that shows
// only as an occasional race. KAMSEL_ASSERT_UI_THREAD() at an entry point
// stops the program with the entry point's name when it is reached from
// another thread. It is active in builds without NDEBUG and wherever the
// build defines KAMSEL_THREAD_CHECKS (Debug and sanitizer builds); elsewhere
// it costs nothing.
//
// Threads: any; that is the point.

namespace kamsel::system {

// Whether the calling thread is the application's thread; true while there is
// no application object (nothing is bound yet).
bool OnUiThread();
// Ends the program with a message naming where when not OnUiThread().
void AssertUiThread(const char* where);

} // namespace kamsel::system

#if defined(KAMSEL_THREAD_CHECKS) || !defined(NDEBUG)
#define KAMSEL_ASSERT_UI_THREAD()                                                                            \
    ::kamsel::system::AssertUiThread(static_cast<const char*>(__PRETTY_FUNCTION__))
#else
#define KAMSEL_ASSERT_UI_THREAD() static_cast<void>(0)
#endif

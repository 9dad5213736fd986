#pragma once
// The application's default exception handler: the one place where an error
// that escaped the handling of an event is reported to the user. It shows the
// error's message in a modal box and returns when the user has closed it; the
// program then goes on with its next event.
//
// The box is a constructor argument, so tests record the messages instead of
// showing them. Threads: user-interface thread only (the box is modal).

#include <QString>

#include <exception>
#include <functional>

namespace kamsel::frames {

class ExceptionHandler {
  public:
    // Shows one message to the user and returns when the user has seen it.
    using MessageBox = std::function<void(const QString& message)>;

    explicit ExceptionHandler(MessageBox box);

    // The program's handler: a modal error box with the application's name as
    // its title, over the active window. Outside a widget application (tools
    // and tests without widgets) the message goes to the diagnostic output.
    // It holds no state that changes.
    static ExceptionHandler& Default();

    // The title of the default handler's box: the application's title, set
    // once at start-up (until then the application's name).
    static void SetTitle(const QString& title);

    // Reports the exception being handled; call it inside a catch block.
    // Never throws: a box that fails is not reported again.
    void HandleException() noexcept;

    // The text shown for an error: what() of a standard exception, "Unknown
    // error" for anything else.
    static QString MessageOf(const std::exception_ptr& error);

  private:
    MessageBox box_;
};

} // namespace kamsel::frames

#pragma once
// The application object: names the program to the desktop (title, version,
// icon) and routes every error that escapes an event handler to the
// application's default exception handler, which shows it; the program then
// goes on with its next event.
//
// Threads: created and run on the user-interface thread.

#include <QApplication>

namespace kamsel::app {

class KamselApplication : public QApplication {
  public:
    // argc and argv must outlive the object (QApplication keeps them).
    KamselApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace kamsel::app

#include "platform/system/UiThread.h"

#include <QCoreApplication>
#include <QThread>

namespace kamsel::system {

bool OnUiThread() {
    const QCoreApplication* application = QCoreApplication::instance();
    return application == nullptr || QThread::currentThread() == application->thread();
}

void AssertUiThread(const char* where) {
    if (!OnUiThread())
        qFatal("%s was called off the user-interface thread", where);
}

} // namespace kamsel::system

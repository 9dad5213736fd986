// A deliberately racy program for the ThreadSanitizer build. A Qt thread and
// a slot run by the user-interface thread's event loop both increment one
// plain counter without synchronisation, so both racing stacks pass through
// Qt's libraries, as every stack of ours on the user-interface thread does.
// The test passes only when ThreadSanitizer reports this race with the
// project's suppressions in force: a suppression broad enough to swallow it
// would also hide a real race in our code.

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <memory>

namespace {

int sharedCounter = 0;

__attribute__((noinline)) void RacyIncrement() {
    ++sharedCounter;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::unique_ptr<QThread> worker(QThread::create(RacyIncrement));
    worker->start();
    QTimer::singleShot(0, &app, [&] {
        RacyIncrement();
        worker->wait();
        app.quit();
    });
    app.exec();
    return sharedCounter == 2 ? 0 : 1;
}

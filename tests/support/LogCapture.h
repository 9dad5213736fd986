#pragma once
// Collects what the program logs to one Qt logging category while it lives,
// from any thread, and passes everything else on to the handler before it.
// One at a time: a second one while another lives is a test fault.

#include <QString>
#include <QtGlobal>

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <vector>

namespace kamsel::test {

class LogCapture {
  public:
    struct Entry {
        QtMsgType type;
        QString text;
    };

    explicit LogCapture(const char* category);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<Entry> Entries() const;
    // Waits until count entries arrived; false if that does not happen within
    // a bound far beyond any healthy run.
    bool WaitForEntries(std::size_t count) const;
    // The texts alone, in the order logged.
    std::vector<QString> Texts() const;

  private:
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& text);

    const char* category_;
    QtMessageHandler previous_ = nullptr;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<Entry> entries_;
};

} // namespace kamsel::test

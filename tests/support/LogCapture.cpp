#include "LogCapture.h"

#include <atomic>
#include <cassert>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace kamsel::test {

namespace {

// Qt's handler is a plain function: it finds the capture through this.
std::atomic<LogCapture*> active{nullptr};

} // namespace

LogCapture::LogCapture(const char* category) : category_(category) {
    [[maybe_unused]] LogCapture* none = nullptr;
    [[maybe_unused]] const bool first = active.compare_exchange_strong(none, this);
    assert(first && "one LogCapture at a time");
    previous_ = qInstallMessageHandler(&LogCapture::Handle);
}

LogCapture::~LogCapture() {
    qInstallMessageHandler(previous_);
    active = nullptr;
}

std::vector<LogCapture::Entry> LogCapture::Entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

bool LogCapture::WaitForEntries(std::size_t count) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(30), [&] { return entries_.size() >= count; });
}

std::vector<QString> LogCapture::Texts() const {
    std::vector<QString> texts;
    for (const Entry& entry : Entries())
        texts.push_back(entry.text);
    return texts;
}

void LogCapture::Handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    LogCapture* capture = active.load();
    if (capture && context.category && std::strcmp(context.category, capture->category_) == 0) {
        {
            std::lock_guard lock(capture->mutex_);
            capture->entries_.push_back({type, text});
        }
        capture->changed_.notify_all();
        return;
    }
    if (capture && capture->previous_)
        capture->previous_(type, context, text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

} // namespace kamsel::test

#include "pane/SnapshotFailures.h"

namespace kamsel::pane {

Q_LOGGING_CATEGORY(SnapshotLog, "kamsel.snapshot")

SnapshotFailures::~SnapshotFailures() {
    End("the pane was closed");
}

bool SnapshotFailures::Failed(const QString& reason) {
    ++unsaved_;
    if (active_)
        return false;
    active_ = true;
    qCWarning(SnapshotLog,
              "snapshots fail: %s; further failures of this pane are counted, not shown, until a "
              "snapshot is saved again",
              qUtf8Printable(reason));
    return true;
}

void SnapshotFailures::Saved() {
    End("snapshots are saved again");
}

void SnapshotFailures::Reset(const char* why) {
    End(why);
}

void SnapshotFailures::End(const char* how) {
    if (!active_)
        return;
    qCWarning(SnapshotLog, "%s; %lld frames were not saved", how, static_cast<long long>(unsaved_));
    active_ = false;
    unsaved_ = 0;
}

} // namespace kamsel::pane

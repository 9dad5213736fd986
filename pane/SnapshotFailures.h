#pragma once
// SnapshotFailures: one pane's episodes of failed snapshots. A folder that
// cannot be written, or a full disk, fails every changed frame in
// "Surveillance"; a modal box per frame would take the window away from its
// user. So only the first failure of an episode is shown (the caller lets its
// error through to the default exception handler); later ones are counted,
// while the pane goes on trying with every frame, so saving resumes by itself
// when the cause goes away. An episode ends when a snapshot is saved again,
// when the display mode changes or when the camera is started again; its start
// (file and reason) and its end (frames not saved) go to the logging category
// "kamsel.snapshot" ("kamsel.snapshot.warning=false" silences it).
//
// Threads: user-interface thread only.

#include <QLoggingCategory>
#include <QString>

#include <cstdint>

namespace kamsel::pane {

Q_DECLARE_LOGGING_CATEGORY(SnapshotLog)

class SnapshotFailures {
  public:
    SnapshotFailures() = default;
    // An episode still going when the pane goes is logged as ended.
    ~SnapshotFailures();
    SnapshotFailures(const SnapshotFailures&) = delete;
    SnapshotFailures& operator=(const SnapshotFailures&) = delete;

    // A save failed for reason (the error's message). True when this failure
    // starts an episode and is to be shown to the user.
    bool Failed(const QString& reason);
    // A save succeeded: an episode ends.
    void Saved();
    // The user changed what the pane does (why says what): an episode ends, so
    // that the next failure is shown again.
    void Reset(const char* why);

    bool Active() const { return active_; }
    // Frames not saved in the current episode.
    std::int64_t Unsaved() const { return unsaved_; }

  private:
    void End(const char* how);

    bool active_ = false;
    std::int64_t unsaved_ = 0;
};

} // namespace kamsel::pane

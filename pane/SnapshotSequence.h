#pragma once
// SnapshotSequence: numbers for the snapshot files. The panes of one process
// write into the same folder, so they draw their file numbers from one
// sequence: otherwise the second pane's first snapshot would replace the first
// pane's. Numbering starts at 1 with every run of the program; files of an
// earlier run with the same number are replaced.
//
// Threads: user-interface thread only (snapshots are written there).

#include <cstdint>

namespace kamsel::pane {

class SnapshotSequence {
  public:
    SnapshotSequence() = default;
    SnapshotSequence(const SnapshotSequence&) = delete;
    SnapshotSequence& operator=(const SnapshotSequence&) = delete;

    // The sequence the panes of this process share.
    static SnapshotSequence& Process();

    // The next file number: 1, 2, 3, ...
    std::int32_t Next() { return ++last_; }
    // A file under number could not be written: the number is given out
    // again, unless a later one has been given out since.
    void GiveBack(std::int32_t number) {
        if (number == last_)
            --last_;
    }

  private:
    std::int32_t last_ = 0;
};

} // namespace kamsel::pane

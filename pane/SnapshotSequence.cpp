#include "pane/SnapshotSequence.h"

namespace kamsel::pane {

SnapshotSequence& SnapshotSequence::Process() {
    // The one piece of process-wide state the panes share: see the header.
    static SnapshotSequence sequence;
    return sequence;
}

} // namespace kamsel::pane

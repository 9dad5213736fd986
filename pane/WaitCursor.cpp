#include "pane/WaitCursor.h"

#include <QApplication>
#include <QCursor>

namespace kamsel::pane {

WaitCursor::WaitCursor() {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

WaitCursor::~WaitCursor() {
    QApplication::restoreOverrideCursor();
}

void WaitCursor::ProcessPendingEvents() {
    QCoreApplication::processEvents();
}

} // namespace kamsel::pane

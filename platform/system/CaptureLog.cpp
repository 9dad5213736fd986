#include "CaptureLog.h"

namespace kamsel::system {

Q_LOGGING_CATEGORY(CaptureLog, "kamsel.capture")

} // namespace kamsel::system

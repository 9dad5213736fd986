#pragma once
// The logging category of the capture layers, "kamsel.capture": every device
// failure, worded with the device or file and the system's reason, goes here
// once, at the point where it turns into a status code. Its warnings show on
// standard error unless QT_LOGGING_RULES says otherwise
// ("kamsel.capture.warning=false" silences it).
//
// Threads: any; Qt's logging is thread-safe, and streams end on their own
// threads.

#include <QLoggingCategory>

namespace kamsel::system {

Q_DECLARE_LOGGING_CATEGORY(CaptureLog)

} // namespace kamsel::system

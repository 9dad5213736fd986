#pragma once
// Where the running program lives. The program keeps its companion files (the
// GDI+ module, the snapshot folder) beside its executable, wherever it was
// started from.

#include <string>

namespace kamsel::system {

// Absolute path of the running executable, symbolic links resolved.
// Throws std::system_error (naming /proc/self/exe and the reason) if the
// kernel cannot tell it.
std::string ExecutablePath();

// The folder of ExecutablePath(), without a trailing slash ("/" for a program
// in the root folder). Throws as ExecutablePath does.
std::string ExecutableDirectory();

} // namespace kamsel::system

#pragma once
// Writing a file so that it is either complete or absent under its name.
//
// The bytes go to a new temporary file in the same folder ("<name>.tmp-<pid>-
// <n>"), which is then renamed over the final name: a failure on the way (disk
// full, folder not writable) leaves no truncated file under that name, keeps a
// file of an earlier run that had it, and removes the temporary one. There is
// no fsync: a snapshot stream at camera rate must not wait for the disk, and
// what a power cut costs is the last files, not a corrupt older one.
//
// Threads: any; calls on the same path from several threads leave one of the
// contents.

#include <cstdint>
#include <span>
#include <string>

namespace kamsel::system {

// Creates or replaces the file at path with bytes. Returns 0, or -errno of
// the step that failed (creating, writing, closing or renaming).
int ReplaceFile(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace kamsel::system

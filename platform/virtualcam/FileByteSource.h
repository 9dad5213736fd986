#pragma once
// A regular file read with pread(2). Owns its file descriptor.

#include "platform/virtualcam/ByteSource.h"

#include <memory>

namespace kamsel::virtualcam {

class FileByteSource final : public ByteSource {
  public:
    // Opens `path` for reading. Fails, naming the file and the system's reason,
    // when it cannot be opened or is not a regular file; never waits, also
    // not for the writer of a FIFO.
    static media::DeviceStatus Open(const std::string& path, std::unique_ptr<FileByteSource>& source);

    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    const std::string& Name() const override { return path_; }
    std::uint64_t Size() const override { return size_; }
    // A file that shrank since it was opened fails with "unexpected end of file".
    media::DeviceStatus ReadAt(std::uint64_t offset, std::span<std::uint8_t> dst) override;

  private:
    FileByteSource(std::string path, int fd, std::uint64_t size);

    std::string path_;
    int fd_;
    std::uint64_t size_;
};

} // namespace kamsel::virtualcam

// FileReplacer: a temporary file beside the target, synced, then renamed
// over it; rename within one folder is atomic.
#include "util/FileReplacer.h"

#include "util/Streams.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zorbin {

namespace {

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= size_t(n);
  }
  return true;
}

void Tell(const TReplaceObserver& observer, TReplaceStep step) {
  if (observer) observer(step);
}

}  // namespace

bool ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error,
                 const TReplaceObserver& observer) {
  std::string target = ResolveCreatePath(path);
  std::string temp = target + ".tmp";
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) {
    error = "cannot create " + temp + ": " + std::strerror(errno);
    return false;
  }
  Tell(observer, TReplaceStep::TempCreated);
  size_t half = bytes.size() / 2;
  bool written = WriteAll(fd, bytes.data(), half);
  if (written) Tell(observer, TReplaceStep::TempHalfWritten);
  written = written && WriteAll(fd, bytes.data() + half, bytes.size() - half) && fsync(fd) == 0;
  int savedErrno = errno;
  if (close(fd) != 0 && written) {
    written = false;
    savedErrno = errno;
  }
  if (!written) {
    std::remove(temp.c_str());
    error = "cannot write " + temp + ": " + std::strerror(savedErrno);
    return false;
  }
  Tell(observer, TReplaceStep::TempSynced);
  if (std::rename(temp.c_str(), target.c_str()) != 0) {
    error = "cannot rename " + temp + " to " + target + ": " + std::strerror(errno);
    std::remove(temp.c_str());
    return false;
  }
  Tell(observer, TReplaceStep::Renamed);
  return true;
}

}  // namespace zorbin

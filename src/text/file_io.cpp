#include "text/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/errors.h"
#include "platform/large_block.h"

namespace varnel {
namespace {

constexpr size_t kWriteBuffer = 65536;

[[noreturn]] void FailOpen(const std::string& path, const std::string& reason) {
  throw Exception("Cannot open file \"" + path + "\". " + reason);
}

[[noreturn]] void FailCreate(const std::string& path, const std::string& reason) {
  throw Exception("Cannot create file \"" + path + "\". " + reason);
}

// The file a name finally refers to, following symbolic links; the name itself
// when it does not exist yet.
std::string ResolveLinks(const std::string& path) {
  std::error_code error;
  std::filesystem::path current(path);
  // weakly_canonical stops at a link to a file not there yet, and the rename
  // would then replace the link; the file it names is the one to create.
  for (int hops = 0; hops < 40 && std::filesystem::is_symlink(current, error); ++hops) {
    const std::filesystem::path target = std::filesystem::read_symlink(current, error);
    if (error) break;
    current = target.is_absolute() ? target : current.parent_path() / target;
  }
  std::filesystem::path resolved = std::filesystem::weakly_canonical(current, error);
  return error ? current.string() : resolved.string();
}

mode_t CurrentUmask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

}  // namespace

std::string AbsolutePath(const std::string& fileName) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(fileName, error);
  return error ? fileName : absolute.lexically_normal().string();
}

std::string ReadWholeFile(const std::string& fileName) {
  const std::string path = AbsolutePath(fileName);
  // Non-blocking, so that a FIFO without a writer is refused, not waited on.
  const int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) FailOpen(path, std::strerror(errno));
  struct FdCloser {
    int fd;
    ~FdCloser() { close(fd); }
  } closer{fd};

  struct stat info {};
  if (fstat(fd, &info) != 0) FailOpen(path, std::strerror(errno));
  if (S_ISDIR(info.st_mode)) FailOpen(path, std::strerror(EISDIR));
  if (!S_ISREG(info.st_mode)) FailOpen(path, "Not a regular file");

  // Room beyond the size fstat gave, so that the read that finds the end, or
  // finds that the file has grown meanwhile, needs no reallocation.
  constexpr size_t kSlack = 4096;
  const auto size = static_cast<size_t>(info.st_size);
  std::string data;
  data.reserve(LargeBlockRequest(size + kSlack + 1) - 1);
  AdviseLargeBlock(data.data(), data.capacity());
  data.resize(size);
  size_t filled = 0;
  for (;;) {
    if (filled == data.size()) data.resize(std::max(data.capacity(), data.size() + 65536));
    const ssize_t got = read(fd, data.data() + filled, data.size() - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      FailOpen(path, std::strerror(errno));
    }
    if (got == 0) break;
    filled += static_cast<size_t>(got);
  }
  data.resize(filled);
  return data;
}

TFileReplacer::TFileReplacer(const std::string& fileName)
    : target_(ResolveLinks(fileName)), display_(AbsolutePath(fileName)) {
  struct stat old {};
  const bool exists = stat(target_.c_str(), &old) == 0;
  // Only a name that is not there yet may be created: a loop of links, say,
  // would otherwise be replaced by the page.
  if (!exists && errno != ENOENT) FailCreate(display_, std::strerror(errno));
  if (exists && S_ISDIR(old.st_mode)) FailCreate(display_, std::strerror(EISDIR));
  if (exists && !S_ISREG(old.st_mode)) FailCreate(display_, "Not a regular file");

  const std::filesystem::path target(target_);
  const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
  temp_ = folder + "/." + target.filename().string() + ".varnel-XXXXXX";
  fd_ = mkostemp(temp_.data(), O_CLOEXEC);
  if (fd_ < 0) {
    const int error = errno;
    temp_.clear();
    FailCreate(display_, std::strerror(error));
  }
  const mode_t mode = exists ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());
  // Not fatal: the page is still written, with the temporary file's own mode.
  (void)fchmod(fd_, mode);
  buffer_.reserve(kWriteBuffer);
}

TFileReplacer::~TFileReplacer() {
  if (fd_ >= 0) close(fd_);
  if (!temp_.empty()) unlink(temp_.c_str());
}

void TFileReplacer::Write(std::string_view bytes) {
  if (buffer_.size() + bytes.size() <= kWriteBuffer) {
    buffer_.append(bytes);
    return;
  }
  Flush();
  if (bytes.size() >= kWriteBuffer) {
    WriteOut(bytes.data(), bytes.size());
  } else {
    buffer_.append(bytes);
  }
}

void TFileReplacer::Commit() {
  Flush();
  const int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0) throw Exception("Stream write error");
  if (rename(temp_.c_str(), target_.c_str()) != 0) FailCreate(display_, std::strerror(errno));
  temp_.clear();
}

void TFileReplacer::Flush() {
  if (buffer_.empty()) return;
  WriteOut(buffer_.data(), buffer_.size());
  buffer_.clear();
}

void TFileReplacer::WriteOut(const char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd_, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) throw Exception("Stream write error");
    data += written;
    size -= static_cast<size_t>(written);
  }
}

}  // namespace varnel

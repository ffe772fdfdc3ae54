#pragma once
// Whole-file reading and safe replacement of files, with the messages users see.

#include <string>
#include <string_view>

namespace varnel {

// The absolute form of a file name, as messages show it.
std::string AbsolutePath(const std::string& fileName);

// Reads a regular file whole. Fails with "Cannot open file "<path>". <reason>".
std::string ReadWholeFile(const std::string& fileName);

// Replaces a file through a temporary file beside it, renamed over the target
// by Commit only when every byte is written. Until then, and after any failure,
// the old file stays exactly as it was; the temporary file is removed.
// The target keeps its permission bits; when it is a symbolic link, the file it
// points to is replaced and the link stays.
class TFileReplacer {
 public:
  // Fails with "Cannot create file "<path>". <reason>".
  explicit TFileReplacer(const std::string& fileName);
  ~TFileReplacer();
  TFileReplacer(const TFileReplacer&) = delete;
  TFileReplacer& operator=(const TFileReplacer&) = delete;

  // Buffered; large pieces go straight to the file. Fails with "Stream write error".
  void Write(std::string_view bytes);
  // Flushes, closes and renames over the target.
  void Commit();

 private:
  void Flush();
  void WriteOut(const char* data, size_t size);

  std::string target_;   // the path to replace, symbolic links resolved
  std::string display_;  // the absolute name for messages
  std::string temp_;
  int fd_ = -1;
  std::string buffer_;
};

}  // namespace varnel

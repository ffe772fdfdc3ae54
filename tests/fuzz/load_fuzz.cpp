// Loads arbitrary bytes from a file into TLineStore, saves them again, and
// aborts when a property of loading and saving fails:
//
// - the lines and the line-break style are those of a plain byte-by-byte
//   reading of the rules (CR LF, lone CR and lone LF each end a line; a final
//   break adds an empty line), so no line holds CR or LF;
// - pasting the same bytes (AssignText), or a prefix of them, gives the lines
//   of that prefix, and SplitLines gives the same pieces;
// - WholeText is the lines joined with CR LF;
// - the saved file is the lines joined with the style's break, which is the
//   loaded bytes again when all their breaks are of one kind, and the save
//   leaves no temporary file behind.

#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clipboard.h"
#include "text/line_store.h"

namespace {

using varnel::TLineBreakStyle;
using varnel::TLineStore;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "load property broken: %s\n", what);
  std::abort();
}

// One folder per fuzzing process, removed when the process ends normally.
class Workspace {
 public:
  Workspace() {
    // Memory-backed when there is such a folder: every input is written,
    // loaded, saved and renamed, and a disk would slow the fuzzing down.
    const char* base = std::getenv("TMPDIR");
    std::error_code ignored;
    const std::string folder = base && *base                                ? base
                               : std::filesystem::is_directory("/dev/shm", ignored) ? "/dev/shm"
                                                                                   : "/tmp";
    std::string pattern = folder + "/varnel-load-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) Fail("cannot make a temporary folder");
    folder_ = pattern;
  }
  ~Workspace() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  std::string File(const char* name) const { return folder_ + "/" + name; }

  size_t EntryCount() const {
    DIR* dir = opendir(folder_.c_str());
    if (!dir) Fail("cannot list the temporary folder");
    size_t count = 0;
    while (const dirent* entry = readdir(dir)) {
      const std::string_view name(entry->d_name);
      if (name != "." && name != "..") ++count;
    }
    closedir(dir);
    return count;
  }

 private:
  std::string folder_;
};

struct Reference {
  std::vector<std::string_view> lines;
  bool crLf = false;  // kinds of break consumed
  bool loneCr = false;
  bool loneLf = false;
};

// The splitting rules read literally, one byte at a time.
Reference SplitByHand(std::string_view data) {
  Reference ref;
  size_t pos = 0;
  while (pos < data.size()) {
    size_t end = pos;
    while (end < data.size() && data[end] != '\r' && data[end] != '\n') ++end;
    ref.lines.push_back(data.substr(pos, end - pos));
    pos = end;
    const bool cr = pos < data.size() && data[pos] == '\r';
    if (cr) ++pos;
    const bool lf = pos < data.size() && data[pos] == '\n';
    if (lf) ++pos;
    if (cr && lf) ref.crLf = true;
    if (cr && !lf) ref.loneCr = true;
    if (lf && !cr) ref.loneLf = true;
  }
  if (!data.empty() && (data.back() == '\r' || data.back() == '\n')) ref.lines.emplace_back();
  return ref;
}

TLineBreakStyle StyleOf(const Reference& ref) {
  const bool sawCr = ref.crLf || ref.loneCr;
  const bool sawLf = ref.crLf || ref.loneLf;
  if (sawCr && !sawLf) return TLineBreakStyle::BreakCr;
  if (sawLf && !sawCr) return TLineBreakStyle::BreakLf;
  return TLineBreakStyle::BreakCrLf;
}

std::string Join(const std::vector<std::string_view>& lines, std::string_view lineBreak) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += lineBreak;
    text += lines[i];
  }
  return text;
}

bool SameLines(const TLineStore& store, const std::vector<std::string_view>& lines) {
  if (store.LineCount() != static_cast<int>(lines.size())) return false;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (store.LineAt(static_cast<int>(i)) != lines[i]) return false;
  }
  return true;
}

std::string ReadBack(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static Workspace workspace;
  static const std::string input = workspace.File("in");
  static const std::string output = workspace.File("out");
  const std::string_view data(reinterpret_cast<const char*>(bytes), size);
  {
    std::ofstream out(input, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    if (!out) Fail("cannot write the input file");
  }

  const Reference ref = SplitByHand(data);
  TLineStore store;
  store.PutLine(0, "left over from before");
  store.LoadFile(input);
  if (!SameLines(store, ref.lines)) Fail("loaded lines differ from the rules");
  for (int i = 0; i < store.LineCount(); ++i) {
    if (store.LineAt(i).find_first_of("\r\n") != std::string_view::npos) Fail("a line holds CR or LF");
  }
  if (store.LineBreakStyle() != StyleOf(ref)) Fail("wrong line-break style");
  if (store.WholeText() != Join(ref.lines, "\r\n")) Fail("WholeText is not the lines joined with CR LF");

  const std::vector<std::string_view> pieces = varnel::SplitLines(data);
  const std::vector<std::string_view> expectedPieces =
      ref.lines.empty() ? std::vector<std::string_view>{std::string_view()} : ref.lines;
  if (pieces != expectedPieces) Fail("SplitLines differs from loading");

  // A paste of a prefix: the block is longer than the text it gives.
  const size_t prefix = size == 0 ? 0 : size - bytes[0] % (size + 1);
  TLineStore pasted;
  pasted.AssignText(varnel::MakeClipBytes(std::string(data)), prefix);
  if (!SameLines(pasted, SplitByHand(data.substr(0, prefix)).lines)) Fail("a paste differs from loading");

  store.SaveFile(output);
  const std::string_view lineBreak = store.LineBreakStyle() == TLineBreakStyle::BreakLf   ? "\n"
                                     : store.LineBreakStyle() == TLineBreakStyle::BreakCr ? "\r"
                                                                                          : "\r\n";
  const std::string saved = ReadBack(output);
  if (saved != Join(ref.lines, lineBreak)) Fail("saved bytes are not the lines joined with the style's break");
  const int kinds = int{ref.crLf} + int{ref.loneCr} + int{ref.loneLf};
  if (kinds <= 1 && saved != data) Fail("load and save changed a file whose breaks are all of one kind");
  if (workspace.EntryCount() != 2) Fail("the save left a temporary file behind");
  return 0;
}

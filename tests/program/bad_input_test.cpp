// The program given files it cannot use, odd text, and outputs that cannot be
// written. Each run gives the right page, or one line on stderr and exit
// status 1; an existing output is the new page or exactly as it was, and no
// temporary file is left behind.

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "run_varnel.h"
#include "test_files.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::RunResult;
using testing::RunVarnel;
using testing::Snapshot;
using testing::TempDir;
using testing::WriteFile;

constexpr const char* kFontSpan = "<span style=\"font: 10pt Courier New;\">";

// Runs a conversion that must succeed quietly and returns the page.
std::string PageOf(const TempDir& dir, const std::string& input, const std::string& output) {
  const RunResult result = RunVarnel(dir, {input, output});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  return ReadFile(dir.File(output));
}

// `page` with the first `from` after `after` replaced by `to`.
std::string ReplaceAfter(std::string page, const std::string& after, const std::string& from, const std::string& to) {
  const size_t at = page.find(after + from);
  EXPECT_NE(at, std::string::npos) << after + from;
  if (at != std::string::npos) page.replace(at + after.size(), from.size(), to);
  return page;
}

TEST(BadInput, RefusedWithOneLineAndNothingChanged) {
  TempDir dir;
  const std::string cwd = dir.Path().string();
  WriteFile(dir.File("in.txt"), "<b>text</b>\n");
  WriteFile(dir.File("empty.txt"), "");
  WriteFile(dir.File("old.html"), "an old page\r\n");
  fs::create_directory(dir.File("folder"));
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  fs::create_symlink("loop", dir.File("loop"));
  struct Case {
    const char* what;
    std::vector<std::string> arguments;
    std::string err;
  };
  const Case cases[] = {
      {"input missing", {"missing.txt", "old.html"},
       "varnel: Cannot open file \"" + cwd + "/missing.txt\". No such file or directory\n"},
      {"input a directory", {"folder", "old.html"}, "varnel: Cannot open file \"" + cwd + "/folder\". Is a directory\n"},
      // Opening a FIFO with no writer would wait for one; it is refused instead.
      {"input a FIFO", {"fifo", "old.html"}, "varnel: Cannot open file \"" + cwd + "/fifo\". Not a regular file\n"},
      {"input a device", {"/dev/null", "old.html"}, "varnel: Cannot open file \"/dev/null\". Not a regular file\n"},
      {"input blank", {"  ", "old.html"}, "varnel: Cannot open file \"" + cwd + "/  \". No such file or directory\n"},
      {"input empty", {"empty.txt", "old.html"}, "varnel: nothing to convert: \"empty.txt\" is empty\n"},
      {"output in a missing folder", {"in.txt", "no/such/out.html"},
       "varnel: Cannot create file \"" + cwd + "/no/such/out.html\". No such file or directory\n"},
      {"output a directory", {"in.txt", "folder"},
       "varnel: Cannot create file \"" + cwd + "/folder\". Is a directory\n"},
      {"output a FIFO", {"in.txt", "fifo"}, "varnel: Cannot create file \"" + cwd + "/fifo\". Not a regular file\n"},
      {"output a link to itself", {"in.txt", "loop"},
       "varnel: Cannot create file \"" + cwd + "/loop\". Too many levels of symbolic links\n"},
  };
  const auto before = Snapshot(dir.Path());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const RunResult result = RunVarnel(dir, c.arguments);
    EXPECT_FALSE(result.hung);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(Snapshot(dir.Path()), before);
  }
}

TEST(BadInput, UnreadableInput) {
  TempDir dir;
  WriteFile(dir.File("secret.txt"), "text");
  WriteFile(dir.File("old.html"), "an old page\r\n");
  fs::permissions(dir.File("secret.txt"), fs::perms::none);
  // Root reads whatever the permissions say, so the run becomes an ordinary user.
  std::optional<testing::RunAs> as;
  if (geteuid() == 0) {
    const passwd* nobody = getpwnam("nobody");
    if (!nobody) GTEST_SKIP() << "running as root and there is no user \"nobody\" to run the program as";
    as = testing::RunAs{nobody->pw_uid, nobody->pw_gid};
  }
  const auto before = Snapshot(dir.Path());
  const RunResult result = RunVarnel(dir, {"secret.txt", "old.html"}, as);
  // 125 and 126 are the child failing to become that user or to start the
  // program, as when the build lies in a folder only its owner may enter.
  if (as && (result.status == 125 || result.status == 126)) {
    GTEST_SKIP() << "the program cannot be started as user \"nobody\" from " << VARNEL_PROGRAM;
  }
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "varnel: Cannot open file \"" + dir.File("secret.txt") + "\". Permission denied\n");
  EXPECT_EQ(Snapshot(dir.Path()), before);
}

TEST(BadInput, OneEmptyLine) {
  TempDir dir;
  // A file of one empty line, a lone line break of any kind, loads as two
  // empty lines: the body is two line breaks and no span.
  std::map<std::string, std::string> pages;
  for (const char* lineBreak : {"\n", "\r\n", "\r"}) {
    SCOPED_TRACE(::testing::PrintToString(lineBreak));
    WriteFile(dir.File("in.txt"), lineBreak);
    const std::string page = PageOf(dir, "in.txt", "out.html");
    EXPECT_NE(page.find(std::string(kFontSpan) + "\r\n\r\n</span>\r\n</code></pre>"), std::string::npos);
    pages[lineBreak] = page;
  }
  EXPECT_EQ(pages["\n"], pages["\r\n"]);
  EXPECT_EQ(pages["\n"], pages["\r"]);
}

TEST(BadInput, NulBytesEndTheirLineWithAWarning) {
  TempDir dir;
  // A lone NUL is a line of length 1, exported with nothing in it.
  WriteFile(dir.File("nul.txt"), std::string(1, '\0'));
  const RunResult nul = RunVarnel(dir, {"nul.txt", "nul.html"});
  EXPECT_EQ(nul.status, 0);
  EXPECT_EQ(nul.err, "varnel: warning: text after a NUL byte is left out on 1 lines\n");
  EXPECT_NE(ReadFile(dir.File("nul.html")).find(std::string(kFontSpan) + "\r\n</span>"), std::string::npos);

  // Random bytes, NUL and line breaks among them, give the page of the same
  // lines each cut at its first NUL.
  std::mt19937 random(8);
  std::string binary;
  for (int i = 0; i < 200000; ++i) {
    const unsigned draw = random() % 256;
    binary += static_cast<char>(draw < 4 ? '\0' : draw < 6 ? '\n' : draw < 7 ? '\r' : random() % 256);
  }
  // Lines end at CR LF, a lone CR or a lone LF; LF is the one break the cut
  // text needs, as the page ends every line with CR LF whatever the input had.
  std::string cut;
  int linesCut = 0;
  size_t pos = 0;
  while (pos < binary.size()) {
    const size_t end = std::min(binary.find_first_of("\r\n", pos), binary.size());
    const std::string line = binary.substr(pos, end - pos);
    if (line.find('\0') != std::string::npos) ++linesCut;
    cut += line.substr(0, line.find('\0'));
    pos = end;
    if (pos < binary.size() && binary[pos] == '\r') ++pos;
    if (pos < binary.size() && binary[pos] == '\n') ++pos;
    if (end < binary.size()) cut += '\n';
  }
  WriteFile(dir.File("binary.bin"), binary);
  WriteFile(dir.File("cut.txt"), cut);
  const RunResult result = RunVarnel(dir, {"binary.bin", "binary.html"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "varnel: warning: text after a NUL byte is left out on " + std::to_string(linesCut) + " lines\n");
  EXPECT_TRUE(ReadFile(dir.File("binary.html")) == PageOf(dir, "cut.txt", "cut.html"));
}

TEST(BadInput, HundredMegabyteLine) {
  TempDir dir;
  // One text token between two tags: the page is that of a short line with
  // the text lengthened.
  const std::string words = "The quick brown fox jumps over the lazy dog, 0123456789 times. ";
  std::string text;
  text.reserve(100u << 20);
  while (text.size() + words.size() <= (100u << 20)) text += words;
  WriteFile(dir.File("huge.txt"), "<p>" + text + "</p>");
  WriteFile(dir.File("short.txt"), "<p>x</p>");
  const std::string expected =
      ReplaceAfter(PageOf(dir, "short.txt", "short.html"), "<span class=\"html1-text\">", "x", text);
  text = std::string();
  EXPECT_TRUE(PageOf(dir, "huge.txt", "huge.html") == expected) << "the 100 MB page differs";
}

TEST(BadInput, MillionEmptyLines) {
  TempDir dir;
  WriteFile(dir.File("many.txt"), std::string(1000000, '\n'));
  WriteFile(dir.File("two.txt"), "\n");
  std::string breaks;
  for (int i = 0; i < 1000001; ++i) breaks += "\r\n";
  const std::string expected = ReplaceAfter(PageOf(dir, "two.txt", "two.html"), kFontSpan, "\r\n\r\n", breaks);
  EXPECT_TRUE(PageOf(dir, "many.txt", "many.html") == expected) << "the page of a million lines differs";
}

TEST(BadInput, OutputThroughLinksAndOntoItsInput) {
  TempDir dir;
  const std::string text = "<p class=\"x\">caf\xe9 &amp; more</p>\n";
  WriteFile(dir.File("text.txt"), text);
  const std::string page = PageOf(dir, "text.txt", "reference.html");
  fs::create_directory(dir.File("pages"));

  struct Case {
    const char* what;
    std::string output;  // the name given to the program
    std::string link;    // where it points, if it is a link
    std::string target;  // the file that must hold the page
    bool exists;         // whether that file is there before the run
  };
  const Case cases[] = {
      {"a link to a file", "link.html", "pages/old.html", "pages/old.html", true},
      {"a link to a file not there yet", "new-link.html", "pages/new.html", "pages/new.html", false},
      {"a link to a link", "chain.html", "link.html", "pages/old.html", true},
      {"the input itself", "in.txt", "", "in.txt", true},
      {"a link to the input", "in-link.txt", "in.txt", "in.txt", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(dir.File("in.txt"), text);
    if (c.exists && c.target != "in.txt") WriteFile(dir.File(c.target), "an old page\r\n");
    if (!c.link.empty() && !fs::is_symlink(dir.File(c.output))) fs::create_symlink(c.link, dir.File(c.output));
    auto expected = Snapshot(dir.Path());
    auto expectedPages = Snapshot(dir.Path() / "pages");
    (c.target.starts_with("pages/") ? expectedPages[c.target.substr(6)] : expected[c.target]) = "file: " + page;

    const RunResult result = RunVarnel(dir, {"in.txt", c.output});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(Snapshot(dir.Path()), expected);
    EXPECT_EQ(Snapshot(dir.Path() / "pages"), expectedPages);
  }
}

// A tmpfs of 64 KiB mounted for one test, unmounted after it.
class SmallFileSystem {
 public:
  explicit SmallFileSystem(const std::string& folder) : folder_(folder) {
    fs::create_directory(folder_);
    if (mount("tmpfs", folder_.c_str(), "tmpfs", 0, "size=64k") == 0) {
      mounted_ = true;
    } else {
      failure_ = std::strerror(errno);
    }
  }
  ~SmallFileSystem() {
    if (mounted_) umount(folder_.c_str());
  }
  SmallFileSystem(const SmallFileSystem&) = delete;
  SmallFileSystem& operator=(const SmallFileSystem&) = delete;

  bool Mounted() const { return mounted_; }
  const std::string& Failure() const { return failure_; }

 private:
  std::string folder_;
  bool mounted_ = false;
  std::string failure_;
};

TEST(BadInput, OutputOnAFullFileSystem) {
  TempDir dir;
  SmallFileSystem small(dir.File("small"));
  if (!small.Mounted()) GTEST_SKIP() << "cannot mount a 64 KiB tmpfs here (" << small.Failure() << ")";
  WriteFile(dir.File("short.txt"), "<b>fits</b>\n");
  std::string text;
  while (text.size() < 200000) text += "a line of text that adds up to more than the file system holds\n";
  WriteFile(dir.File("long.txt"), text);

  // A page that fits is written, so the failures below are for want of space.
  const RunResult fits = RunVarnel(dir, {"short.txt", "small/fits.html"});
  EXPECT_EQ(fits.status, 0);
  EXPECT_EQ(ReadFile(dir.File("small/fits.html")), PageOf(dir, "short.txt", "fits.html"));

  WriteFile(dir.File("small/old.html"), "an old page\r\n");
  const auto before = Snapshot(dir.Path() / "small");
  for (const char* output : {"small/old.html", "small/new.html"}) {
    SCOPED_TRACE(output);
    const RunResult result = RunVarnel(dir, {"long.txt", output});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "varnel: Stream write error\n");
    EXPECT_EQ(Snapshot(dir.Path() / "small"), before);
  }
}

}  // namespace
}  // namespace varnel

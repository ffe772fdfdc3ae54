#include "text/line_store.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <vector>

#include "platform/errors.h"
#include "test_files.h"

namespace varnel {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

std::vector<std::string> Lines(const TLineStore& store) {
  std::vector<std::string> lines;
  for (int i = 0; i < store.LineCount(); ++i) lines.emplace_back(store.LineAt(i));
  return lines;
}

TEST(LineStore, LoadsEveryKindOfBreakAndSavesBack) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
    TLineBreakStyle style;
    bool savesBack;
  };
  const std::string nul("a\0b", 3);
  const Case cases[] = {
      {"a\r\nb\r\n", {"a", "b", ""}, TLineBreakStyle::BreakCrLf, true},
      {"a\nb", {"a", "b"}, TLineBreakStyle::BreakLf, true},
      {"a\rb\r", {"a", "b", ""}, TLineBreakStyle::BreakCr, true},
      {"a\rb\r\n", {"a", "b", ""}, TLineBreakStyle::BreakCrLf, false},
      {"a\n\rb", {"a", "", "b"}, TLineBreakStyle::BreakCrLf, false},
      {"\r\n", {"", ""}, TLineBreakStyle::BreakCrLf, true},
      {"", {}, TLineBreakStyle::BreakCrLf, true},
      {"no break", {"no break"}, TLineBreakStyle::BreakCrLf, true},
      {nul + "\t  \n", {nul + "\t  ", ""}, TLineBreakStyle::BreakLf, true},
      {"\xEF\xBB\xBFx", {"\xEF\xBB\xBFx"}, TLineBreakStyle::BreakCrLf, true},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    WriteFile(dir.File("in"), c.bytes);
    TLineStore store;
    store.LoadFile(dir.File("in"));
    EXPECT_EQ(Lines(store), c.lines);
    EXPECT_EQ(store.LineBreakStyle(), c.style);
    store.SaveFile(dir.File("out"));
    if (c.savesBack) {
      EXPECT_EQ(ReadFile(dir.File("out")), c.bytes);
    }
  }
}

TEST(LineStore, WholeTextJoinsWithCrLf) {
  TLineStore store;
  EXPECT_EQ(store.WholeText(), "");
  store.PutLine(0, "");
  EXPECT_EQ(store.WholeText(), "");
  store.PutLine(0, "a");
  store.PutLine(1, "");
  EXPECT_EQ(store.WholeText(), "a\r\n");
  store.PutLine(1, "b");
  EXPECT_EQ(store.WholeText(), "a\r\nb");
}

TEST(LineStore, IndexRules) {
  TLineStore store;
  store.PutLine(0, "one");
  store.InsertEmptyLines(0, 2);
  store.InsertEmptyLines(3, 1);
  EXPECT_EQ(Lines(store), (std::vector<std::string>{"", "", "one", ""}));
  EXPECT_EQ(store.LineAt(-1), "");
  EXPECT_EQ(store.LineAt(4), "");
  try {
    store.PutLine(5, "x");
    FAIL() << "no error";
  } catch (const ELineStore& e) {
    EXPECT_STREQ(e.what(), "Invalid stringlist index 5");
  }
  EXPECT_THROW(store.InsertEmptyLines(-1, 1), ELineStore);
  store.RemoveAllLines();
  EXPECT_EQ(store.LineCount(), 0);
}

TEST(LineStore, ManyEditsKeepTheirText) {
  // Edited lines live in blocks of their own; piling them up must not lose text.
  TLineStore store;
  for (int i = 0; i < 300; ++i) store.PutLine(i, "line " + std::to_string(i));
  for (int round = 0; round < 5; ++round) {
    for (int i = 0; i < 300; ++i) store.PutLine(i, "r" + std::to_string(round) + " " + std::to_string(i));
  }
  store.DeleteLines(0, 100);
  EXPECT_EQ(store.LineCount(), 200);
  EXPECT_EQ(store.LineAt(0), "r4 100");
  EXPECT_EQ(store.LineAt(199), "r4 299");
}

TEST(LineStore, LoadFailuresKeepTheContent) {
  TempDir dir;
  TLineStore store;
  store.PutLine(0, "kept");
  const std::string missing = dir.File("missing.txt");
  try {
    store.LoadFile(missing);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Cannot open file \"" + missing + "\". No such file or directory");
  }
  try {
    store.LoadFile(dir.Path().string());
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Cannot open file \"" + dir.Path().string() + "\". Is a directory");
  }
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_THROW(store.LoadFile(fifo), Exception);  // refused, not waited on
  EXPECT_EQ(store.LineAt(0), "kept");
}

TEST(LineStore, RelativeNamesShowTheAbsolutePath) {
  TLineStore store;
  try {
    store.LoadFile("surely-not-here.txt");
    FAIL() << "no error";
  } catch (const Exception& e) {
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(e.Message(), "Cannot open file \"" + cwd + "/surely-not-here.txt\". No such file or directory");
  }
}

TEST(LineStore, SaveReplacesSafely) {
  TempDir dir;
  TLineStore store;
  store.PutLine(0, "new");
  const std::string target = dir.File("page.html");

  // Permission bits of a replaced file stay.
  WriteFile(target, "old");
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  store.SaveFile(target);
  EXPECT_EQ(ReadFile(target), "new");
  struct stat info {};
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  // A symbolic link stays a link; the file it points to is replaced.
  const std::string link = dir.File("link.html");
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  store.PutLine(0, "through the link");
  store.SaveFile(link);
  EXPECT_EQ(ReadFile(target), "through the link");
  struct stat linkInfo {};
  ASSERT_EQ(lstat(link.c_str(), &linkInfo), 0);
  EXPECT_TRUE(S_ISLNK(linkInfo.st_mode));

  // A missing folder, or a directory in the way: the message, and nothing left behind.
  const std::string nowhere = dir.File("no/such/folder/page.html");
  try {
    store.SaveFile(nowhere);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Cannot create file \"" + nowhere + "\". No such file or directory");
  }
  std::filesystem::create_directory(dir.File("folder"));
  try {
    store.SaveFile(dir.File("folder"));
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Cannot create file \"" + dir.File("folder") + "\". Is a directory");
  }
  size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 3u);  // page.html, link.html, folder: no temporary file left
}

TEST(LineStore, RefusedWriteLeavesTheOldFile) {
  // A file-size limit makes the write fail part-way, as a full disk does.
  TempDir dir;
  const std::string target = dir.File("page.html");
  WriteFile(target, "old page");
  TLineStore store;
  for (int i = 0; i < 2000; ++i) store.PutLine(i, std::string(100, 'x'));

  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string message;
  try {
    store.SaveFile(target);
  } catch (const Exception& e) {
    message = e.Message();
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(message, "Stream write error");
  EXPECT_EQ(ReadFile(target), "old page");
  size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 1u);  // the temporary file is gone
}

TEST(LineStore, AssignTextSplitsLikeLoadFile) {
  auto block = MakeClipBytes("x\r\ny\r\n");
  TLineStore store;
  store.AssignText(block, block->size());
  EXPECT_EQ(Lines(store), (std::vector<std::string>{"x", "y", ""}));
  EXPECT_EQ(store.LineAt(0).data(), block->data());  // shared, not copied
}

}  // namespace
}  // namespace varnel

namespace varnel {
namespace {

// A store that still holds a block as it was split writes it out in one piece;
// that shortcut must give exactly the joined lines: every break the style's,
// edits included.
TEST(LineStore, SavesLinesJoinedWithTheStyleBreak) {
  struct Case {
    const char* what;
    std::string loaded;  // the file loaded first; it sets the style
    std::string assigned;  // then given to AssignText, unless empty
    std::function<void(TLineStore&)> edit;
    std::string saved;
  };
  const auto none = [](TLineStore&) {};
  const Case cases[] = {
      {"a lone CR among CR LF", "a\rb\r\n", "", none, "a\r\nb\r\n"},
      {"LF CR", "a\n\rb", "", none, "a\r\n\r\nb"},
      {"a lone LF among CR LF", "a\r\nb\nc", "", none, "a\r\nb\r\nc"},
      {"CR LF into an LF store", "x\ny", "p\r\nq\r\n", none, "p\nq\n"},
      {"a lone CR into a CR store", "x\ry", "p\rq\r\nr", none, "p\rq\rr"},
      {"a loaded file changed by a line", "a\nb\nc", "", [](TLineStore& s) { s.PutLine(1, "B"); }, "a\nB\nc"},
      {"a line deleted", "a\nb\nc", "", [](TLineStore& s) { s.DeleteLines(0, 1); }, "b\nc"},
      {"empty lines inserted", "a\nb", "", [](TLineStore& s) { s.InsertEmptyLines(1, 2); }, "a\n\n\nb"},
      {"a line appended", "a\r\nb", "", [](TLineStore& s) { s.PutLine(2, "c"); }, "a\r\nb\r\nc"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(dir.File("in"), c.loaded);
    TLineStore store;
    store.LoadFile(dir.File("in"));
    if (!c.assigned.empty()) {
      store.AssignText(MakeClipBytes(c.assigned), c.assigned.size());
    }
    c.edit(store);
    store.SaveFile(dir.File("out"));
    EXPECT_EQ(ReadFile(dir.File("out")), c.saved);
  }
}

// Sizes around the reading slack and the large-block threshold, where the read
// loop and the block reservation change course.
TEST(LineStore, LoadsFilesOfEverySizeWhole) {
  const size_t sizes[] = {1, 4095, 4096, 4097, (1u << 20) - 1, 1u << 20, (2u << 20) + 5};
  TempDir dir;
  for (const size_t size : sizes) {
    SCOPED_TRACE(size);
    std::string bytes(size, 'x');
    for (size_t i = 0; i < size; i += 97) bytes[i] = '\n';
    bytes.back() = 'z';
    WriteFile(dir.File("in"), bytes);
    TLineStore store;
    store.LoadFile(dir.File("in"));
    store.SaveFile(dir.File("out"));
    EXPECT_EQ(ReadFile(dir.File("out")), bytes);
    EXPECT_EQ(store.LineCount(), std::count(bytes.begin(), bytes.end(), '\n') + 1);
  }
}

}  // namespace
}  // namespace varnel

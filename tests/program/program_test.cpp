// Runs the varnel program as a user would and checks what it leaves behind.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "test_files.h"

extern char** environ;

namespace varnel {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the program in `dir` with no display, so the clipboard is the in-process one.
Result RunVarnel(const TempDir& dir, const std::vector<std::string>& arguments) {
  const std::string outFile = dir.File(".stdout");
  const std::string errFile = dir.File(".stderr");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addchdir_np(&actions, dir.Path().c_str());

  std::vector<std::string> args = {VARNEL_PROGRAM};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    if (entry.rfind("DISPLAY=", 0) != 0 && entry.rfind("WAYLAND_DISPLAY=", 0) != 0) env.push_back(entry);
  }
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  Result result;
  pid_t pid = 0;
  if (posix_spawn(&pid, VARNEL_PROGRAM, &actions, nullptr, argv.data(), envp.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  result.out = ReadFile(outFile);
  result.err = ReadFile(errFile);
  std::filesystem::remove(outFile);
  std::filesystem::remove(errFile);
  return result;
}

// The names in a folder, for checking that nothing was written.
std::vector<std::string> Entries(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(Program, ConvertsTheSampleToItsReviewedPage) {
  TempDir dir;
  const Result result = RunVarnel(dir, {VARNEL_SAMPLE, "sample.html"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
  const std::string expected = ReadFile(std::string(VARNEL_PROGRAM_DATA) + "/sample.html");
  const std::string page = ReadFile(dir.File("sample.html"));
  if (page != expected) WriteFile(std::string(VARNEL_PROGRAM_DATA) + "/sample.html.new", page);
  EXPECT_TRUE(page == expected) << "the page differs; see tests/program/data/sample.html.new";
}

TEST(Program, ReplacesAnExistingOutputAndItsOwnInput) {
  TempDir dir;
  WriteFile(dir.File("in.txt"), "<b>bold</b>\n");
  WriteFile(dir.File("out.html"), "an old page that is longer than the new one would be? no, but it must go");
  ASSERT_EQ(RunVarnel(dir, {"in.txt", "out.html"}).status, 0);
  const std::string page = ReadFile(dir.File("out.html"));
  EXPECT_EQ(page.rfind("<?xml", 0), 0u);
  EXPECT_NE(page.find("<span class=\"html1-reservedword\">b</span>"), std::string::npos);

  // The same file as input and output: read first, then replaced by the page.
  const Result same = RunVarnel(dir, {"in.txt", "in.txt"});
  EXPECT_EQ(same.status, 0);
  EXPECT_EQ(ReadFile(dir.File("in.txt")), page);
}

TEST(Program, FailuresSayWhyAndWriteNothing) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("folder"));
  WriteFile(dir.File("empty.txt"), "");
  WriteFile(dir.File("in.txt"), "text");
  const std::string cwd = dir.Path().string();
  struct Case {
    std::vector<std::string> arguments;
    std::string err;
  };
  const Case cases[] = {
      {{"missing.txt", "out.html"},
       "varnel: Cannot open file \"" + cwd + "/missing.txt\". No such file or directory\n"},
      {{"folder", "out.html"}, "varnel: Cannot open file \"" + cwd + "/folder\". Is a directory\n"},
      {{"empty.txt", "out.html"}, "varnel: nothing to convert: \"empty.txt\" is empty\n"},
      {{"in.txt", "no/such/out.html"},
       "varnel: Cannot create file \"" + cwd + "/no/such/out.html\". No such file or directory\n"},
      {{"in.txt", "folder"}, "varnel: Cannot create file \"" + cwd + "/folder\". Is a directory\n"},
      {{"  ", "out.html"}, "varnel: Cannot open file \"" + cwd + "/  \". No such file or directory\n"},
  };
  const std::vector<std::string> before = Entries(dir);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    const Result result = RunVarnel(dir, c.arguments);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(Entries(dir), before);
  }
}

TEST(Program, RunsThatWriteNoFile) {
  TempDir dir;
  WriteFile(dir.File("in.txt"), "text");
  const std::vector<std::string> before = Entries(dir);
  struct Case {
    std::vector<std::string> arguments;
    std::string out;
  };
  const Case cases[] = {
      {{"in.txt"}, ""},        // the page goes to the clipboard only
      {{"in.txt", "  "}, ""},  // a blank output name names no file
      {{"  "}, ""},            // blanks alone: nothing to do
      {{"--version"}, "Varnel 2.0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    const Result result = RunVarnel(dir, c.arguments);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(Entries(dir), before);
  }
  const Result help = RunVarnel(dir, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: varnel INPUT [OUTPUT]", 0), 0u);
}

TEST(Program, EmptyLinesAndNulBytes) {
  TempDir dir;
  // One line break is two empty lines: a page whose body is two line breaks.
  WriteFile(dir.File("breaks.txt"), "\n");
  ASSERT_EQ(RunVarnel(dir, {"breaks.txt", "breaks.html"}).status, 0);
  EXPECT_NE(ReadFile(dir.File("breaks.html")).find("<span style=\"font: 10pt Courier New;\">\r\n\r\n</span>"),
            std::string::npos);

  // A lone NUL byte is a line of length 1: exported, with nothing in the body.
  WriteFile(dir.File("nul.txt"), std::string(1, '\0'));
  const Result nul = RunVarnel(dir, {"nul.txt", "nul.html"});
  EXPECT_EQ(nul.status, 0);
  EXPECT_NE(ReadFile(dir.File("nul.html")).find("Courier New;\">\r\n</span>"), std::string::npos);
  EXPECT_EQ(nul.err, "varnel: warning: text after a NUL byte is left out on 1 lines\n");

  WriteFile(dir.File("text.txt"), std::string("keep\0lost\nkeep too\nx\0", 22));
  const Result text = RunVarnel(dir, {"text.txt", "text.html"});
  EXPECT_EQ(text.status, 0);
  EXPECT_EQ(text.err, "varnel: warning: text after a NUL byte is left out on 2 lines\n");
  const std::string page = ReadFile(dir.File("text.html"));
  EXPECT_EQ(page.find("lost"), std::string::npos);
  EXPECT_NE(page.find("keep too"), std::string::npos);
}

}  // namespace
}  // namespace varnel

// Runs the varnel program as a user would and checks what it leaves behind.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_varnel.h"
#include "test_files.h"

namespace varnel {
namespace {

using testing::ReadFile;
using testing::RunResult;
using testing::Snapshot;
using testing::TempDir;
using testing::WriteFile;

TEST(Program, ConvertsTheSampleToItsReviewedPage) {
  TempDir dir;
  const RunResult result = testing::RunVarnel(dir, {VARNEL_SAMPLE, "sample.html"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
  const std::string expected = ReadFile(std::string(VARNEL_PROGRAM_DATA) + "/sample.html");
  const std::string page = ReadFile(dir.File("sample.html"));
  if (page != expected) WriteFile(std::string(VARNEL_PROGRAM_DATA) + "/sample.html.new", page);
  EXPECT_TRUE(page == expected) << "the page differs; see tests/program/data/sample.html.new";
}

TEST(Program, ReplacesAnExistingOutput) {
  TempDir dir;
  WriteFile(dir.File("in.txt"), "<b>bold</b>\n");
  WriteFile(dir.File("out.html"), "an old page that is longer than the new one would be? no, but it must go");
  ASSERT_EQ(testing::RunVarnel(dir, {"in.txt", "out.html"}).status, 0);
  const std::string page = ReadFile(dir.File("out.html"));
  EXPECT_EQ(page.rfind("<?xml", 0), 0u);
  EXPECT_NE(page.find("<span class=\"html1-reservedword\">b</span>"), std::string::npos);
}

TEST(Program, RunsThatWriteNoFile) {
  TempDir dir;
  WriteFile(dir.File("in.txt"), "text");
  const auto before = Snapshot(dir.Path());
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
    const RunResult result = testing::RunVarnel(dir, c.arguments);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(Snapshot(dir.Path()), before);
  }
  const RunResult help = testing::RunVarnel(dir, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: varnel INPUT [OUTPUT]", 0), 0u);
}

}  // namespace
}  // namespace varnel

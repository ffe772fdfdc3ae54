#include "export/exporter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/errors.h"
#include "platform/in_process_clipboard.h"
#include "text/line_store.h"

namespace varnel {
namespace {

// Splits lines into words and blank runs. A word starting with "#" is "Other";
// a "|" is preceded by an empty "Mark" token, so empty tokens can be traced.
class TWordScanner final : public TCustomScanner {
 public:
  TWordScanner() {
    for (const char* name : {"Word", "Blank", "Other", "Mark"}) {
      RegisterAttribute(std::make_unique<TTokenAttributes>(name));
    }
    BindAttributeChanges();
  }
  TTokenAttributes* Attr(const std::string& name) const {
    for (int i = 0; i < AttributeCount(); ++i) {
      if (AttributeAt(i)->Name() == name) return AttributeAt(i);
    }
    return nullptr;
  }

  TTokenAttributes* RoleAttribute(int role) const override {
    return role == RoleWhitespace ? Attr("Blank") : nullptr;
  }
  bool LineDone() const override { return done_; }
  std::string_view TokenView() const override { return line_.substr(start_, end_ - start_); }
  TTokenAttributes* TokenAttribute() const override { return attribute_; }
  int TokenKind() const override { return 0; }
  int TokenStart() const override { return static_cast<int>(start_); }
  void ClearRange() override { ++clears; }
  void StartLine(std::string_view line, int) override {
    line_ = line;
    end_ = 0;
    markPending_ = true;
    NextToken();
  }
  void NextToken() override {
    start_ = end_;
    if (start_ >= line_.size()) {
      done_ = true;
      return;
    }
    done_ = false;
    if (line_[start_] == '|' && markPending_) {
      markPending_ = false;
      attribute_ = Attr("Mark");
      return;  // empty token; the "|" follows
    }
    markPending_ = true;
    const auto kind = [](char c) { return c == ' ' ? 0 : c == '|' ? 1 : 2; };
    const int first = kind(line_[start_]);
    attribute_ = first == 0 ? Attr("Blank") : line_[start_] == '#' ? Attr("Other") : Attr("Word");
    ++end_;
    while (first != 1 && end_ < line_.size() && kind(line_[end_]) == first) ++end_;
  }

  int clears = 0;

 private:
  std::string_view line_;
  size_t start_ = 0;
  size_t end_ = 0;
  bool done_ = true;
  bool markPending_ = true;
  TTokenAttributes* attribute_ = nullptr;
};

// Writes every hook call into the output, so one string shows the whole walk.
class TTracingExporter final : public TCustomExporter {
 public:
  std::string trace;
  bool fragmentLike = false;
  size_t bodySizeAtHeader = 0;

 protected:
  void CloseRun(bool bg, bool fg, TFontStyles removed) override {
    AppendText("</" + Flags(bg, fg, removed) + ">");
  }
  void OpenRun(bool bg, bool fg, TFontStyles added) override { AppendText("<" + Flags(bg, fg, added) + ">"); }
  void CloseLastRun() override { AppendText("</last>"); }
  void OpenFirstRun(bool bg, bool fg, TFontStyles style) override {
    AppendText("<first " + Flags(bg, fg, style) + ">");
  }
  void EmitToken(std::string_view safe) override {
    AppendText("[");
    AppendText(safe);
    AppendText("]");
  }
  void EmitLineBreak() override { AppendText("/\n"); }
  std::string FooterText() override { return "(footer)"; }
  std::string HeaderText() override {
    bodySizeAtHeader = OutputSize();
    return "(header)";
  }
  std::string PairText(unsigned char lead, unsigned char trail) const override {
    return "{" + std::string{static_cast<char>(lead), static_cast<char>(trail)} + "}";
  }

 private:
  static std::string Flags(bool bg, bool fg, TFontStyles styles) {
    return std::string(bg ? "b" : "-") + (fg ? "f" : "-") + std::to_string(styles);
  }

 public:
  void SetEntityForTest(unsigned char byte, const char* text) { SetEntity(byte, text); }
};

TLineSource* Fill(TLineStore& store, std::initializer_list<const char*> lines) {
  store.RemoveAllLines();
  for (const char* line : lines) store.PutLine(store.LineCount(), line);
  return &store;
}

struct ExporterTest : ::testing::Test {
  TWordScanner scanner;
  TTracingExporter exporter;
  TLineStore lines;
  ExporterTest() {
    exporter.SetHighlighter(&scanner);
    scanner.Attr("Word")->SetStyle(fsBold);
    scanner.Attr("Other")->SetForeground(RGB(0xFF, 0, 0));
  }
};

TEST_F(ExporterTest, WalksLinesTokensAndRuns) {
  exporter.ExportAllLines(Fill(lines, {"ab cd", "", "#x"}));
  EXPECT_EQ(exporter.Output(),
            "(header)"
            "<first -f1>[ab]</--1><--0>[ ]</--0><--1>[cd]/\n"
            "/\n"
            "</-f1><-f0>[#x]/\n"
            "</last>(footer)");
  EXPECT_EQ(exporter.bodySizeAtHeader, exporter.OutputSize() - 16);
  EXPECT_EQ(scanner.clears, 1);
}

TEST_F(ExporterTest, RunsFollowTheLookNotTheAttribute) {
  // Blank and Mark look alike, so they share a run with each other.
  exporter.ExportAllLines(Fill(lines, {"  |  "}));
  EXPECT_EQ(exporter.Output(), "(header)<first -f0>[  ][]</--0><--1>[|]</--1><--0>[  ]/\n</last>(footer)");

  // An empty token of another look opens a span of its own.
  scanner.Attr("Mark")->SetForeground(RGB(0, 0, 0xFF));
  exporter.ExportAllLines(Fill(lines, {"a|"}));
  EXPECT_EQ(exporter.Output(), "(header)<first -f1>[a]</-f1><-f0>[]</-f0><-f1>[|]/\n</last>(footer)");
}

TEST_F(ExporterTest, BackgroundsSplitRunsOnlyWhenInUse) {
  scanner.Attr("Word")->SetStyle(0);
  scanner.Attr("Blank")->SetBackground(RGB(1, 2, 3));
  exporter.ExportAllLines(Fill(lines, {"a b"}));
  EXPECT_EQ(exporter.Output(), "(header)<first -f0>[a][ ][b]/\n</last>(footer)");

  exporter.SetUseBackground(true);
  exporter.ExportAllLines(Fill(lines, {"a b"}));
  EXPECT_EQ(exporter.Output(), "(header)<first bf0>[a]</b-0><b-0>[ ]</b-0><b-0>[b]/\n</last>(footer)");

  // clNone and white print alike but are different values.
  scanner.Attr("Blank")->SetBackground(0xFFFFFF);
  exporter.SetColor(clNone);
  exporter.ExportAllLines(Fill(lines, {"a b"}));
  EXPECT_EQ(exporter.Output(), "(header)<first -f0>[a]</b-0><b-0>[ ]</b-0><b-0>[b]/\n</last>(footer)");
}

TEST_F(ExporterTest, RangesCutLinesAtTheirColumns) {
  Fill(lines, {"hello world", "second line", "third"});
  exporter.ExportLineRange(&lines, TPoint{3, 1}, TPoint{8, 1});
  EXPECT_EQ(exporter.Output(), "(header)<first -f1>[llo]</--1><--0>[ ]</--0><--1>[w]/\n</last>(footer)");

  exporter.ExportLineRange(&lines, TPoint{7, 1}, TPoint{3, 3});
  EXPECT_EQ(exporter.Output(),
            "(header)<first -f1>[world]/\n[second]</--1><--0>[ ]</--0><--1>[line]/\n"
            "[th]/\n</last>(footer)");
}

TEST_F(ExporterTest, EmptyLinesGiveLineBreaksOnly) {
  exporter.ExportAllLines(Fill(lines, {"", "", ""}));
  EXPECT_EQ(exporter.Output(), "(header)/\n/\n/\n(footer)");
}

TEST_F(ExporterTest, BadRangesAbortAndKeepTheBuffer) {
  exporter.ExportAllLines(Fill(lines, {"kept"}));
  const std::string before(exporter.Output());
  TLineStore one;
  Fill(one, {"abc"});
  TLineStore empty;
  TLineStore oneEmpty;
  Fill(oneEmpty, {""});
  struct Case {
    const char* what;
    const TLineSource* lines;
    TPoint start;
    TPoint stop;
  };
  const Case cases[] = {
      {"no list", nullptr, {1, 1}, {9, 9}},
      {"no lines", &empty, {1, 1}, {9, 9}},
      {"start past the end", &one, {1, 2}, {9, 9}},
      {"start after stop", &one, {1, 3}, {1, 2}},
      {"start line below 1", &one, {1, 0}, {9, 9}},
      {"empty column range", &one, {3, 1}, {3, 1}},
      {"start past a clamped stop", &one, {9, 1}, {99, 1}},
      {"one empty line", &oneEmpty, {1, 1}, {2147483647, 2147483647}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THROW(exporter.ExportLineRange(c.lines, c.start, c.stop), EAbort);
    EXPECT_EQ(exporter.Output(), before);
  }
  TTracingExporter noScanner;
  EXPECT_THROW(noScanner.ExportAllLines(&one), EAbort);
}

TEST_F(ExporterTest, MakeSafeUsesTheTableThenLeadBytes) {
  exporter.SetEntityForTest('&', "&amp;");
  exporter.SetEntityForTest(0x81, "&x81;");
  EXPECT_EQ(exporter.MakeSafe(""), "");
  EXPECT_EQ(exporter.MakeSafe("a&b\x81\x82"), "a&amp;b&x81;\x82");

  TLeadByteSet lead{};
  lead[0x81] = true;
  lead[0x82] = true;
  SetLeadBytes(lead);
  // A table entry wins over the lead byte; a pair goes through PairText; a lead
  // byte that ends the text stands alone.
  EXPECT_EQ(exporter.MakeSafe("\x81&\x82&x\x82"), "&x81;&amp;{\x82&}x\x82");
  ClearLeadBytes();
}

TEST_F(ExporterTest, ClipboardTransfer) {
  TInProcessClipboard clipboard;
  exporter.SetAsPlainText(true);
  exporter.PutOnClipboard(clipboard);  // empty buffer: an empty text
  ASSERT_TRUE(clipboard.HasFormat(CF_TEXT));
  EXPECT_EQ(*clipboard.GetData(CF_TEXT), "");

  exporter.ExportAllLines(Fill(lines, {"x"}));
  exporter.PutOnClipboard(clipboard);
  EXPECT_EQ(*clipboard.GetData(CF_TEXT), exporter.Output());
  const std::string first(exporter.Output());
  // A block handed out never changes: the next export writes elsewhere.
  exporter.ExportAllLines(Fill(lines, {"y"}));
  EXPECT_EQ(*clipboard.GetData(CF_TEXT), first);

  exporter.PutOnClipboardAs(clipboard, 0xC123);
  EXPECT_EQ(*clipboard.GetData(0xC123), std::string(exporter.Output()) + '\0');

  clipboard.SetUnreachable(true);
  try {
    exporter.PutOnClipboard(clipboard);
    FAIL() << "no error";
  } catch (const EOutOfMemory& e) {
    EXPECT_STREQ(e.what(), "Out of memory");
  }
}

TEST_F(ExporterTest, SettersThatEmptyTheBuffer) {
  exporter.ExportAllLines(Fill(lines, {"x"}));
  exporter.SetAsPlainText(false);  // unchanged
  EXPECT_NE(exporter.OutputSize(), 0u);
  exporter.SetAsPlainText(true);
  EXPECT_EQ(exporter.OutputSize(), 0u);

  exporter.ExportAllLines(Fill(lines, {"x"}));
  exporter.SetHighlighter(&scanner);  // the same scanner
  EXPECT_NE(exporter.OutputSize(), 0u);
  TWordScanner other;
  exporter.SetHighlighter(&other);
  EXPECT_EQ(exporter.OutputSize(), 0u);

  TFont font{"Mono", 12, RGB(1, 2, 3), fsItalic};
  exporter.SetFont(&font);
  EXPECT_EQ(exporter.Font(), font);
  exporter.SetFont(nullptr);
  EXPECT_EQ(exporter.Font(), TFont{});
}

// Writes runs as "<r Name>" ... "</r>": fixed texts, so it may hand them to the
// engine as fixed mark-up or have them written through its hooks, which must
// give the same page.
class TRunWriter final : public TCustomExporter {
 public:
  explicit TRunWriter(bool fixed) : fixed_(fixed) {
    SetEntity('&', "&amp;");
    SetEntity('<', "&lt;");
    SetEntity('"', "&quot;");
    SetEntity(0x80, "&euro;");
    SetEntity(0x81, "&an-entity-longer-than-sixteen-bytes;");
  }
  TTokenAttributes* Taken() const { return TakenAttribute(); }

 protected:
  void CloseRun(bool, bool, TFontStyles) override { AppendText("</r>"); }
  void OpenRun(bool, bool, TFontStyles) override { AppendText(RunOpening(TakenAttribute())); }
  void CloseLastRun() override { AppendText("</r>"); }
  void OpenFirstRun(bool, bool, TFontStyles) override { AppendText(RunOpening(TakenAttribute())); }
  void EmitLineBreak() override { AppendText("|\n"); }
  std::string FooterText() override { return "(f)"; }
  std::string HeaderText() override { return "(h)"; }
  const TFixedMarkup* FixedMarkup() const override {
    static constexpr TFixedMarkup kMarkup{"</r>", "|\n"};
    return fixed_ ? &kMarkup : nullptr;
  }
  std::string RunOpening(const TTokenAttributes* attribute) const override {
    return "<r " + (attribute ? attribute->Name() : std::string("none")) + ">";
  }

 private:
  bool fixed_;
};

TEST(ExporterFixedMarkup, WritesWhatTheHooksWrite) {
  // Words, blanks, "#" words and "|" marks in looks that merge and split runs;
  // replaced bytes at the start, the middle and the end of long and short lines.
  std::vector<std::string> texts = {
      "ab cd", "", "#x", "  |  ", "a|", "&<\"", std::string(40, 'w') + "&",
      "x\x80y\x81z" + std::string(20, ' ') + "#\x80\x80", "|||", "# # #",
  };
  std::uint64_t seed = 12345;
  const auto next = [&] {
    seed = seed * 6364136223846793005u + 1442695040888963407u;
    return static_cast<unsigned>(seed >> 33);
  };
  const std::string alphabet = "ab #|&<\"\x80\x81\xE9";
  for (int line = 0; line < 300; ++line) {
    std::string text;
    for (unsigned n = next() % 70; n > 0; --n) text += alphabet[next() % alphabet.size()];
    texts.push_back(text);
  }
  TLineStore store;
  for (const std::string& text : texts) store.PutLine(store.LineCount(), text);

  for (const bool useBackground : {false, true}) {
    SCOPED_TRACE(useBackground ? "backgrounds in use" : "backgrounds not in use");
    TWordScanner scanner;
    scanner.Attr("Word")->SetStyle(fsBold);
    scanner.Attr("Other")->SetForeground(RGB(0xFF, 0, 0));
    scanner.Attr("Blank")->SetBackground(RGB(1, 2, 3));
    TRunWriter hooks(false);
    TRunWriter fixed(true);
    for (TRunWriter* writer : {&hooks, &fixed}) {
      writer->SetHighlighter(&scanner);
      writer->SetUseBackground(useBackground);
      writer->ExportAllLines(&store);
    }
    EXPECT_EQ(fixed.Output(), hooks.Output());
    EXPECT_EQ(fixed.Taken(), hooks.Taken());
    EXPECT_NE(hooks.Output().find("&an-entity-longer-than-sixteen-bytes;"), std::string::npos);
  }
}

// The header is written into room left before the body; a header whose length
// depends on the body needs the body moved, and must still see the body's size.
class TSizedHeaderWriter final : public TCustomExporter {
 protected:
  void CloseRun(bool, bool, TFontStyles) override {}
  void OpenRun(bool, bool, TFontStyles) override {}
  void CloseLastRun() override {}
  void OpenFirstRun(bool, bool, TFontStyles) override {}
  void EmitLineBreak() override { AppendText("/"); }
  std::string FooterText() override { return "(end)"; }
  std::string HeaderText() override { return "(body " + std::to_string(OutputSize()) + ")"; }
};

TEST(ExporterHeader, LengthMayFollowTheBody) {
  TWordScanner scanner;
  TSizedHeaderWriter writer;
  writer.SetHighlighter(&scanner);
  TLineStore lines;
  writer.ExportAllLines(Fill(lines, {"a"}));
  EXPECT_EQ(writer.Output(), "(body 2)a/(end)");
  const std::string longLine(123456, 'x');
  writer.ExportAllLines(Fill(lines, {longLine.c_str(), "yz"}));
  EXPECT_EQ(writer.Output(), "(body 123460)" + longLine + "/yz/(end)");
}

// A scanner that fails on the line it is told to.
class TFailingScanner final : public TCustomScanner {
 public:
  explicit TFailingScanner(int failOn) : failOn_(failOn) {
    RegisterAttribute(std::make_unique<TTokenAttributes>("Text"));
    BindAttributeChanges();
  }
  TTokenAttributes* RoleAttribute(int) const override { return nullptr; }
  bool LineDone() const override { return done_; }
  std::string_view TokenView() const override { return line_; }
  TTokenAttributes* TokenAttribute() const override { return AttributeAt(0); }
  int TokenKind() const override { return 0; }
  int TokenStart() const override { return 0; }
  void NextToken() override { done_ = true; }
  void StartLine(std::string_view line, int number) override {
    if (number == failOn_) throw std::runtime_error("scanner failure");
    line_ = line;
    done_ = line.empty();
  }

 private:
  int failOn_;
  std::string_view line_;
  bool done_ = true;
};

TEST(ExporterFailure, LeavesAnEmptyBufferAndTheNextExportWorks) {
  TLineStore lines;
  Fill(lines, {"one", "two", "three"});
  for (const bool fixed : {false, true}) {
    SCOPED_TRACE(fixed ? "fixed mark-up" : "hooks");
    TRunWriter writer(fixed);
    TFailingScanner failing(2);
    writer.SetHighlighter(&failing);
    EXPECT_THROW(writer.ExportAllLines(&lines), std::runtime_error);
    EXPECT_EQ(writer.OutputSize(), 0u);
    EXPECT_EQ(writer.Output(), "");

    TFailingScanner working(0);
    writer.SetHighlighter(&working);
    writer.ExportAllLines(&lines);
    EXPECT_EQ(writer.Output(), "(h)<r Text>one|\ntwo|\nthree|\n</r>(f)");
  }
}

}  // namespace
}  // namespace varnel

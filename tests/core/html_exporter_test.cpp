#include "export/html_exporter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/clipboard.h"
#include "platform/code_page.h"
#include "platform/in_process_clipboard.h"
#include "scan/html_scanner.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;

class TLines final : public TLineSource {
 public:
  explicit TLines(std::vector<std::string> lines) : lines_(std::move(lines)) {}
  int LineCount() const override { return static_cast<int>(lines_.size()); }
  std::string_view LineAt(int index) const override {
    return index >= 0 && index < LineCount() ? std::string_view(lines_[static_cast<size_t>(index)]) : "";
  }

 private:
  std::vector<std::string> lines_;
};

// Gives each line as one token with the attribute it is handed, which it need
// not list; it lists one attribute of its own, "Text".
class TOneTokenScanner final : public TCustomScanner {
 public:
  explicit TOneTokenScanner(const char* className) : kind_{className, &TCustomScanner::StaticClass(), nullptr} {
    auto text = std::make_unique<TTokenAttributes>("Text");
    text_ = text.get();
    RegisterAttribute(std::move(text));
    BindAttributeChanges();
  }

  const TScannerClass& ClassType() const override { return kind_; }
  TTokenAttributes* RoleAttribute(int) const override { return nullptr; }
  bool LineDone() const override { return done_; }
  std::string_view TokenView() const override { return line_; }
  TTokenAttributes* TokenAttribute() const override { return given_ ? given_ : text_; }
  int TokenKind() const override { return 0; }
  int TokenStart() const override { return 0; }
  void NextToken() override { done_ = true; }
  void StartLine(std::string_view line, int) override {
    line_ = line;
    done_ = line.empty();
  }

  void GiveAttribute(TTokenAttributes* attribute) { given_ = attribute; }

 private:
  TScannerClass kind_;
  std::string_view line_;
  bool done_ = true;
  TTokenAttributes* text_ = nullptr;
  TTokenAttributes* given_ = nullptr;
};

std::unique_ptr<THTMLScanner> MakeScanner() {
  static const bool registered = (RegisterHtmlScannerModule(), true);
  static_cast<void>(registered);
  return std::make_unique<THTMLScanner>();
}

std::string Export(TExporterHTML& writer, std::vector<std::string> lines) {
  const TLines source(std::move(lines));
  writer.ExportAllLines(&source);
  return std::string(writer.Output());
}

// A writer as Convert sets it up: plain text, full document, the HTML scanner.
struct TPlainWriter {
  std::unique_ptr<THTMLScanner> scanner = MakeScanner();
  TExporterHTML writer;
  TPlainWriter() {
    writer.SetAsPlainText(true);
    writer.SetHighlighter(scanner.get());
  }
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Compares with tests/core/data/pages/<name>. On a mismatch the actual bytes go
// to <name>.new for review, and the first differing line is reported.
void ExpectGolden(const std::string& name, std::string_view actual) {
  const fs::path path = fs::path(VARNEL_TEST_DATA) / "pages" / name;
  const fs::path fresh = fs::path(path).concat(".new");
  const bool exists = fs::exists(path);
  const std::string expected = exists ? ReadFile(path) : std::string();
  if (exists && expected == actual) {
    fs::remove(fresh);
    return;
  }
  WriteFile(fresh, actual);
  if (!exists) {
    ADD_FAILURE() << path.string() << " is missing; wrote " << fresh.string();
    return;
  }
  std::istringstream want(expected);
  std::istringstream got{std::string(actual)};
  std::string wantLine;
  std::string gotLine;
  int line = 1;
  for (;; ++line) {
    const bool moreWanted = static_cast<bool>(std::getline(want, wantLine));
    const bool moreGot = static_cast<bool>(std::getline(got, gotLine));
    if (!moreWanted || !moreGot || wantLine != gotLine) break;
  }
  ADD_FAILURE() << path.string() << ":" << line << ": first difference\n  expected: " << wantLine
                << "\n  actual:   " << gotLine << "\nwrote " << fresh.string();
}

TEST(ExporterHtml, GoldenPages) {
  struct Case {
    const char* page;
    std::vector<std::string> lines;
    std::function<void(TPlainWriter&)> setUp;
  };
  const Case cases[] = {
      {"one_line.html", {"Plain text, nothing more"}, [](TPlainWriter&) {}},
      {"one_line_fragment.html", {"Plain text, nothing more"},
       [](TPlainWriter& w) { w.writer.SetCreateHTMLFragment(true); }},
      {"empty_lines.html", {"", "", ""}, [](TPlainWriter&) {}},
      {"hello_spans.html", {"Hello & <b>x</b>"}, [](TPlainWriter&) {}},
      // Empty tokens whose look differs from the open run leave empty spans.
      {"empty_spans.html", {"<b>&amp;", "<?x>"}, [](TPlainWriter&) {}},
      {"underline_strikeout.html", {"struck"},
       [](TPlainWriter& w) { w.scanner->TextAttri()->SetStyle(fsUnderline | fsStrikeOut); }},
      // The white-space background is clNone, so the document colour is clNone
      // too: it prints as #FFFFFF yet differs from a literal white, which splits
      // the line into three spans.
      {"use_background_clnone.html", {"white\ton none"},
       [](TPlainWriter& w) {
         w.scanner->TextAttri()->SetBackground(clWhite);
         w.writer.SetUseBackground(true);
       }},
      // Written as given, reserved characters and "%" included; the run goes on
      // across the line end.
      {"odd_title.html", {"first line", "second line"},
       [](TPlainWriter& w) { w.writer.SetTitle("Fish & Chips <100% %s %d>"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    TPlainWriter w;
    c.setUp(w);
    ExpectGolden(c.page, Export(w.writer, c.lines));
  }
}

TEST(ExporterHtml, ByteTable) {
  const TExporterHTML writer;
  std::string listing;
  for (int byte = 0; byte < 256; ++byte) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::string original(1, static_cast<char>(byte));
    const std::string safe = writer.MakeSafe(original);
    listing += kHex[byte >> 4];
    listing += kHex[byte & 0xF];
    if (safe != original) listing += " " + safe;
    listing += "\n";
  }
  ExpectGolden("byte_table.txt", listing);
}

TEST(ExporterHtml, ClipboardFormatOffsets) {
  std::vector<std::string> longBody;
  for (int i = 0; i < 300; ++i) longBody.push_back("line <" + std::to_string(i) + "> & more");
  const std::vector<std::string> bodies[] = {
      {"x"},
      {"Fish & <chips>", "\xE9t\xE9 \x80"},
      {"", "", ""},  // line breaks only
      longBody,
  };
  const std::regex description(
      "Version:0\\.9\r\nStartHTML:(\\d{10})\r\nEndHTML:(\\d{10})\r\n"
      "StartFragment:(\\d{10})\r\nEndFragment:(\\d{10})\r\n");
  for (const auto& lines : bodies) {
    SCOPED_TRACE(lines.front());
    TPlainWriter w;
    const std::string plainPage = Export(w.writer, lines);
    w.writer.SetAsPlainText(false);
    const std::string out = Export(w.writer, lines);
    w.writer.SetCreateHTMLFragment(true);  // no effect outside plain text
    EXPECT_EQ(Export(w.writer, lines), out);

    std::smatch numbers;
    const std::string head = out.substr(0, 105);
    ASSERT_TRUE(std::regex_match(head, numbers, description)) << head;
    const size_t startHTML = std::stoul(numbers[1]);
    const size_t endHTML = std::stoul(numbers[2]);
    const size_t startFragment = std::stoul(numbers[3]);
    const size_t endFragment = std::stoul(numbers[4]);
    EXPECT_EQ(startHTML, 105u);
    EXPECT_EQ(endHTML, out.size());
    EXPECT_EQ(out.substr(startFragment, 20), "<!--StartFragment-->");
    ASSERT_GE(endFragment, 18u);
    EXPECT_EQ(out.substr(endFragment - 18, 18), "<!--EndFragment-->");
    EXPECT_EQ(out.substr(endFragment), "</body>\r\n</html>");
    // The document head is the plain page's.
    EXPECT_EQ(out.substr(startHTML, startFragment - startHTML), plainPage.substr(0, plainPage.find("<pre>")));
  }
}

TEST(ExporterHtml, PutsHtmlFormatOnClipboard) {
  TPlainWriter w;
  w.writer.SetAsPlainText(false);
  Export(w.writer, {"a < b"});
  EXPECT_EQ(ClipboardFormatName(w.writer.ClipFormat()), "HTML Format");
  TInProcessClipboard clipboard;
  w.writer.PutOnClipboard(clipboard);
  const TClipBytes data = clipboard.GetData(w.writer.ClipFormat());
  ASSERT_TRUE(data);
  EXPECT_EQ(*data, std::string(w.writer.Output()) + '\0');
}

TEST(ExporterHtml, NamesAndColours) {
  const std::pair<const char*, const char*> prefixes[] = {
      {"THTMLScanner", "HTML"}, {"tFooSCANNER", "Foo"}, {"TScanner", ""}, {"Scanner", ""},
      {"TT", "T"},              {"T", ""},              {"", ""},         {"XScannerX", "XScannerX"},
  };
  for (const auto& [className, prefix] : prefixes) {
    SCOPED_TRACE(className);
    EXPECT_EQ(TExporterHTML::ScannerPrefix(className), prefix);
  }
  const std::pair<const char*, const char*> classes[] = {
      {"HTML1.Reserved Word", "html1-reservedword"},
      {"A_b.C-9 \xE9!Z", "a-b-c-9z"},
  };
  for (const auto& [generated, className] : classes) {
    SCOPED_TRACE(generated);
    EXPECT_EQ(TExporterHTML::StyleClassName(generated), className);
  }
  const std::pair<TColor, const char*> colours[] = {
      {RGB(0x12, 0xAB, 0xEF), "#12ABEF"}, {clNone, "#FFFFFF"}, {clWindow, "#FFFFFF"}, {clWindowText, "#000000"},
  };
  for (const auto& [colour, text] : colours) {
    SCOPED_TRACE(colour);
    EXPECT_EQ(TExporterHTML::HexColor(colour), text);
  }
}

TEST(ExporterHtml, StyleRuleOrder) {
  TExporterHTML writer;
  TTokenAttributes attribute("Everything");
  attribute.SetBackground(RGB(1, 2, 3));
  attribute.SetForeground(RGB(4, 5, 6));
  attribute.SetStyle(fsBold | fsItalic | fsUnderline | fsStrikeOut);
  EXPECT_EQ(writer.StyleRule(attribute, "X1.Everything"),
            ".x1-everything { color: #040506; font-weight: bold; font-style: italic; "
            "text-decoration: underline; text-decoration: line-through; }");
  writer.SetUseBackground(true);
  EXPECT_EQ(writer.StyleRule(attribute, "X1.Everything"),
            ".x1-everything { background-color: #010203; color: #040506; font-weight: bold; font-style: italic; "
            "text-decoration: underline; text-decoration: line-through; }");
}

TEST(ExporterHtml, ColorFollowsSetterOrder) {
  auto scanner = MakeScanner();
  TTokenAttributes* space = scanner->SpaceAttri();
  space->SetBackground(RGB(1, 2, 3));
  TExporterHTML writer;
  writer.SetAsPlainText(true);

  writer.SetHighlighter(scanner.get());
  EXPECT_EQ(writer.Color(), clWindow) << "UseBackground is off";
  writer.SetUseBackground(true);
  EXPECT_EQ(writer.Color(), RGB(1, 2, 3));

  // Copied when the setter ran, not read at export time.
  space->SetBackground(RGB(4, 5, 6));
  EXPECT_NE(Export(writer, {"x"}).find("background-color: #010203; }"), std::string::npos);

  writer.SetColor(clWhite);
  writer.SetUseBackground(true);  // the same flag applies the rule again
  EXPECT_EQ(writer.Color(), RGB(4, 5, 6));
  writer.SetUseBackground(false);
  EXPECT_EQ(writer.Color(), RGB(4, 5, 6)) << "switching off restores nothing";

  auto other = MakeScanner();  // white space without a background
  writer.SetUseBackground(true);
  writer.SetHighlighter(other.get());
  EXPECT_EQ(writer.Color(), clNone);
}

TEST(ExporterHtml, HighlighterChangeEmptiesBuffer) {
  TPlainWriter w;
  const std::string page = Export(w.writer, {"kept"});
  w.writer.SetHighlighter(w.scanner.get());
  EXPECT_EQ(w.writer.Output(), page);

  TOneTokenScanner other("TOtherScanner");
  w.writer.SetHighlighter(&other);
  EXPECT_EQ(w.writer.OutputSize(), 0u);
  const std::string otherPage = Export(w.writer, {"kept"});
  EXPECT_NE(otherPage.find("; }\r\n.other1-text { }\r\n-->\r\n"), std::string::npos);
  EXPECT_NE(otherPage.find("<span class=\"other1-text\">kept\r\n</span>"), std::string::npos);
}

TEST(ExporterHtml, TitleSetter) {
  TExporterHTML writer;
  EXPECT_EQ(writer.Title(), "Untitled");
  writer.SetTitle("50% & <more>");
  EXPECT_EQ(writer.Title(), "50% & <more>");
  writer.SetTitle("");
  EXPECT_EQ(writer.Title(), "Untitled");
}

TEST(ExporterHtml, UnlistedAttributeGivesEmptyClass) {
  TOneTokenScanner scanner("TSomeScanner");
  TExporterHTML writer;
  writer.SetAsPlainText(true);
  writer.SetHighlighter(&scanner);
  EXPECT_EQ(writer.ClassOfAttribute(), "") << "no current attribute yet";
  Export(writer, {"a"});
  EXPECT_EQ(writer.ClassOfAttribute(), "some1-text");

  TTokenAttributes unlisted("Text");
  scanner.GiveAttribute(&unlisted);
  const std::string page = Export(writer, {"a", "b"});
  EXPECT_EQ(writer.CurrentAttribute(), &unlisted);
  EXPECT_EQ(writer.ClassOfAttribute(), "");
  EXPECT_NE(page.find("<span class=\"\">a\r\nb\r\n</span></span>"), std::string::npos);
}

// Runs xmllint on a page; true when it validates.
bool ValidatesAsXhtml(const fs::path& dir, const std::string& name, std::string_view page, std::string* report) {
  const fs::path file = dir / (name + ".html");
  const fs::path errors = dir / (name + ".err");
  WriteFile(file, page);
  const std::string command =
      "xmllint --noout --valid --nonet '" + file.string() + "' > /dev/null 2> '" + errors.string() + "'";
  const bool valid = std::system(command.c_str()) == 0;
  *report = ReadFile(errors);
  return valid;
}

// The text of the code element as an XML parser reads it, in UTF-8.
std::string ParsedCodeText(const fs::path& dir, std::string_view page) {
  const fs::path file = dir / "parsed.html";
  const fs::path text = dir / "parsed.txt";
  WriteFile(file, page);
  const std::string command = "xmllint --nonet --noent --loaddtd --xpath 'string(//*[local-name()=\"code\"])' '" +
                              file.string() + "' > '" + text.string() + "' 2> /dev/null";
  return std::system(command.c_str()) == 0 ? ReadFile(text) : std::string("(xmllint failed)");
}

struct TTempDir {
  fs::path path = fs::path(testing::TempDir()) / ("varnel_html_exporter_" + std::to_string(getpid()));
  TTempDir() { fs::create_directories(path); }
  ~TTempDir() { fs::remove_all(path); }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
};

TEST(ExporterHtml, PagesAreValidXhtml) {
  if (std::system("command -v xmllint > /dev/null 2>&1") != 0) GTEST_SKIP() << "xmllint is not on PATH";
  const TTempDir dir;

  std::string everyByte = "\t";
  for (int byte = 0x20; byte < 0x100; ++byte) everyByte += static_cast<char>(byte);
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::function<void(TPlainWriter&)> setUp;
  };
  const Case cases[] = {
      {"defaults", {"<b>Fish</b> & \"chips\"", "", "caf\xE9 \x80 \x99"}, [](TPlainWriter&) {}},
      {"backgrounds", {"a\tb = c"},
       [](TPlainWriter& w) {
         w.scanner->SpaceAttri()->SetBackground(RGB(0xEE, 0xEE, 0xEE));
         w.scanner->SymbolAttri()->SetBackground(RGB(0, 0, 0x80));
         w.scanner->TextAttri()->SetStyle(fsItalic | fsUnderline | fsStrikeOut);
         w.writer.SetUseBackground(true);
       }},
      {"title", {"x", "y"}, [](TPlainWriter& w) { w.writer.SetTitle("100% &amp; %s \xE9 'quoted' \"too\""); }},
      {"every_byte", {everyByte}, [](TPlainWriter&) {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPlainWriter w;
    c.setUp(w);
    std::string report;
    EXPECT_TRUE(ValidatesAsXhtml(dir.path, c.name, Export(w.writer, c.lines), &report)) << report;
  }

  // The check can fail: a raw "&" in the title is not well-formed, and code
  // directly inside body breaks the Strict content model.
  TPlainWriter w;
  std::string report;
  w.writer.SetTitle("Fish & Chips");
  EXPECT_FALSE(ValidatesAsXhtml(dir.path, "raw_ampersand", Export(w.writer, {"x"}), &report));
  w.writer.SetTitle("Untitled");
  std::string page = Export(w.writer, {"x"});
  page.erase(page.find("<pre>\r\n"), 7);
  page.erase(page.find("</pre>"), 6);
  EXPECT_FALSE(ValidatesAsXhtml(dir.path, "code_in_body", page, &report));
  EXPECT_NE(report.find("validity error"), std::string::npos) << report;
}

// A parser reading the page gets back each byte as the character the declared
// ISO-8859-1 gives it, except the euro and trade mark signs of Windows-1252.
TEST(ExporterHtml, EntitiesParseBackToTheirBytes) {
  if (std::system("command -v xmllint > /dev/null 2>&1") != 0) GTEST_SKIP() << "xmllint is not on PATH";
  const TTempDir dir;
  std::string line = "\t";
  std::string expected = "\t";
  for (int byte = 0x20; byte < 0x100; ++byte) {
    line += static_cast<char>(byte);
    if (byte == 0x80) {
      expected += "\u20AC";
    } else if (byte == 0x99) {
      expected += "\u2122";
    } else if (byte < 0x80) {
      expected += static_cast<char>(byte);
    } else {
      expected += static_cast<char>(0xC0 | byte >> 6);
      expected += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  TPlainWriter w;
  const std::string parsed = ParsedCodeText(dir.path, Export(w.writer, {line}));
  EXPECT_EQ(parsed.substr(0, expected.size() + 1), expected + "\n");
}

// The writer hands the engine its mark-up as fixed texts; with a lead-byte set
// installed the engine calls the writer's hooks instead. A set whose bytes the
// text never holds changes nothing else, so both ways must give the same page.
TEST(ExporterHtml, FixedMarkupWritesWhatTheHooksWrite) {
  std::vector<std::string> lines = {
      "<!DOCTYPE html><html lang=en><head><title>T &amp; &#x41; &#65 &copy</title>",
      "<p class=\"a 'b'\" id='c \"d\"' data-x=e>Text &lt;b&gt; &frac12; \x80\x81\x99\xA0\xE9</p>",
      "<!-- a comment -- > that --> ends <a", "href=\"multi", "line\" > &nbsp;<?x><b>&amp;",
      "\t\ttabs\x01" "and\x1F" "controls <", "", "&", "\"quoted\" outside > tags",
  };
  // Every replaced byte at every place in lines of every length around the
  // sixteen bytes the copy takes at once, so that both its ways meet each byte.
  for (const char special : {'"', '>', '\x80', '\x81', '\xE9', '\xFE'}) {
    for (size_t before = 0; before < 34; before += 3) {
      for (const size_t after : {0u, 1u, 15u, 16u, 17u}) {
        lines.push_back(std::string(before, 'a') + special + std::string(after, 'b'));
      }
    }
  }
  std::uint64_t seed = 2024;
  const auto next = [&] {
    seed = seed * 6364136223846793005u + 1442695040888963407u;
    return static_cast<unsigned>(seed >> 33);
  };
  const std::vector<std::string> pieces = {"<", ">", "=", "\"", "'", "&", "&amp;", "&#38;", "<!--", "-->",
                                           "p", "table", " ", "\t", "word", "\xE9", "\x80", "=v"};
  for (int line = 0; line < 400; ++line) {
    std::string text;
    for (unsigned n = next() % 30; n > 0; --n) text += pieces[next() % pieces.size()];
    lines.push_back(text);
  }

  TPlainWriter fixed;
  const std::string fixedPage = Export(fixed.writer, lines);
  TLeadByteSet unused{};
  unused[0xFF] = true;
  SetLeadBytes(unused);
  TPlainWriter hooks;
  const std::string hookPage = Export(hooks.writer, lines);
  ClearLeadBytes();
  EXPECT_EQ(fixedPage, hookPage);
  ASSERT_NE(fixed.writer.CurrentAttribute(), nullptr);
  ASSERT_NE(hooks.writer.CurrentAttribute(), nullptr);
  EXPECT_EQ(fixed.writer.CurrentAttribute()->Name(), hooks.writer.CurrentAttribute()->Name());
}

// A page many times longer than its text outgrows the room reserved for it
// while it is written; nothing may be lost or doubled when it moves.
TEST(ExporterHtml, PageFarLongerThanItsText) {
  std::string text;
  std::string body;
  for (int i = 0; i < 20000; ++i) {
    text += "<a";
    body += "<span class=\"html1-symbol\">&lt;</span><span class=\"html1-reservedword\">a</span>";
  }
  TPlainWriter w;
  w.writer.SetCreateHTMLFragment(true);
  const std::string page = Export(w.writer, {text});
  const std::string opening = "<pre>\r\n<code><span style=\"font: 10pt Courier New;\">";
  body.erase(body.size() - std::string_view("</span>").size());  // the last run closes after the line break
  EXPECT_EQ(page, opening + body + "\r\n</span></span>\r\n</code></pre>\r\n");
}

}  // namespace
}  // namespace varnel

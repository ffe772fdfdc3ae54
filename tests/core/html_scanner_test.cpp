#include "scan/html_scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "../tools/token_trace.h"
#include "scan/tag_names.h"

namespace varnel {
namespace {

using namespace std::string_view_literals;

class HtmlScanner : public ::testing::Test {
 protected:
  void SetUp() override { RegisterHtmlScannerModule(); }
};

struct Token {
  THtmlTokenKind kind;
  std::string_view text;
};

std::string Show(THtmlTokenKind kind, std::string_view text) {
  return trace::KindName(static_cast<int>(kind)) + trace::Quote(text);
}

std::string Show(const std::vector<Token>& tokens) {
  std::string out;
  for (const Token& token : tokens) out += Show(token.kind, token.text) + ' ';
  return out;
}

// The tokens of one line, LineEnd left out.
std::string ScanLine(THTMLScanner& scanner, std::string_view line) {
  std::string out;
  scanner.StartLine(line, 1);
  for (int guard = 0; !scanner.LineDone() && guard < 1000; ++guard, scanner.NextToken()) {
    out += Show(scanner.Kind(), scanner.TokenView()) + ' ';
  }
  return out;
}

TEST_F(HtmlScanner, SplitsLinesIntoTokens) {
  using enum THtmlTokenKind;
  using enum THtmlRange;
  struct Case {
    THtmlRange start;
    std::string_view line;
    std::vector<Token> tokens;
    THtmlRange end;
  };
  const Case cases[] = {
      // Tag names.
      {InText, "<b>", {{Symbol, "<"}, {ReservedWord, "b"}, {Symbol, ">"}}, InText},
      {InText, "</TABLE>", {{Symbol, "<"}, {ReservedWord, "/TABLE"}, {Symbol, ">"}}, InText},
      {InText, "<br/>", {{Symbol, "<"}, {UnknownWord, "br/"}, {Symbol, ">"}}, InText},
      {InText, "<!DOCTYPE html>",
       {{Symbol, "<"}, {ReservedWord, "!DOCTYPE"}, {Space, " "}, {Identifier, "html"}, {Symbol, ">"}}, InText},
      {InText, "<h1x>", {{Symbol, "<"}, {ReservedWord, "h1"}, {Identifier, "x"}, {Symbol, ">"}}, InText},
      {InText, "<my-tag>", {{Symbol, "<"}, {UnknownWord, "my"}, {Identifier, "-tag"}, {Symbol, ">"}}, InText},
      {InText, "</OPTGROUP>", {{Symbol, "<"}, {ReservedWord, "/OPTGROUP"}, {Symbol, ">"}}, InText},
      {InText, "</noscripts>", {{Symbol, "<"}, {Identifier, "/noscripts"}, {Symbol, ">"}}, InText},
      {InText, "<123>", {{Symbol, "<"}, {UnknownWord, "123"}, {Symbol, ">"}}, InText},
      {InText, "<?xml version=1.0?>",
       {{Symbol, "<"}, {UnknownWord, ""}, {Identifier, "?xml"}, {Space, " "}, {Identifier, "version"},
        {Symbol, "="}, {Value, "1.0?"}, {Symbol, ">"}},
       InText},
      {InText, "<\"x\">", {{Symbol, "<"}, {UnknownWord, ""}, {Identifier, "\"x"}, {Identifier, "\""}, {Symbol, ">"}},
       InText},
      {InText, "<!-", {{Symbol, "<"}, {UnknownWord, "!"}, {Identifier, "-"}}, InTag},
      {InText, "x < y", {{Text, "x "}, {Symbol, "<"}, {Space, " "}, {UnknownWord, "y"}}, InTag},
      {InText, "<a<b>", {{Symbol, "<"}, {ReservedWord, "a"}, {Symbol, "<"}, {ReservedWord, "b"}, {Symbol, ">"}},
       InText},
      // "&" right after "<" is text, even after a blank.
      {InText, "<&", {{Symbol, "<"}, {Text, "&"}}, InText},
      {InText, "< &x", {{Symbol, "<"}, {Space, " "}, {Text, "&"}, {Text, "x"}}, InText},
      // Attributes and values.
      {InText, "<a href='x.htm'>link</a>",
       {{Symbol, "<"}, {ReservedWord, "a"}, {Space, " "}, {Identifier, "href"}, {Symbol, "="}, {Value, "'x.htm'"},
        {Symbol, ">"}, {Text, "link"}, {Symbol, "<"}, {ReservedWord, "/a"}, {Symbol, ">"}},
       InText},
      {InText, "<a b=\"<>=&'\">",
       {{Symbol, "<"}, {ReservedWord, "a"}, {Space, " "}, {Identifier, "b"}, {Symbol, "="}, {Value, "\"<>=&'\""},
        {Symbol, ">"}},
       InText},
      {InTag, "b=c&d=e>", {{Identifier, "b"}, {Symbol, "="}, {Value, "c&d=e"}, {Symbol, ">"}}, InText},
      {InTag, "b= c", {{Identifier, "b"}, {Symbol, "="}, {Space, " "}, {Value, "c"}}, InTag},
      {InTag, "b=", {{Identifier, "b"}, {Symbol, "="}}, ValueNext},
      {InTag, "x'y/z<w&v>", {{Identifier, "x'y/z<w&v"}, {Symbol, ">"}}, InText},
      {InTag, "\"b\">", {{Identifier, "\"b"}, {Identifier, "\""}, {Symbol, ">"}}, InText},
      {InTag, "<!--x-->", {{Comment, "<!--"}, {Comment, "x-->"}}, InText},
      {ValueNext, "\"x", {{Value, "\"x"}}, InDoubleQuoted},
      {ValueNext, "'x\"y'z", {{Value, "'x\"y'"}, {Identifier, "z"}}, InTag},
      // A quoted value runs on over lines and closes only with its own quote.
      {InText, "    <input name=\"user\" value='any",
       {{Text, "    "}, {Symbol, "<"}, {ReservedWord, "input"}, {Space, " "}, {Identifier, "name"}, {Symbol, "="},
        {Value, "\"user\""}, {Space, " "}, {Identifier, "value"}, {Symbol, "="}, {Value, "'any"}},
       InSingleQuoted},
      {InSingleQuoted, "      value'>", {{Value, "      value'"}, {Symbol, ">"}}, InText},
      {InDoubleQuoted, "a'b\"c", {{Value, "a'b\""}, {Identifier, "c"}}, InTag},
      {InDoubleQuoted, "x\ny\"", {{Value, "x"}, {Space, "\n"}, {Value, "y\""}}, InTag},
      // Character references.
      {InText, "a &amp; b", {{Text, "a "}, {EscapeAmpersand, "&amp;"}, {Text, " b"}}, InText},
      {InText, "&AMP;", {{Text, "&AMP;"}}, InText},
      {InText, "&foo;", {{Text, "&foo;"}}, InText},
      {InText, "&copy 2001", {{Text, "&copy 2001"}}, InText},
      {InText, "x &am", {{Text, "x &am"}}, InText},
      {InText, "&amp;", {{Text, ""}, {EscapeAmpersand, "&amp;"}}, InText},
      {InText, "&sup2;&sup;", {{Text, ""}, {EscapeAmpersand, "&sup2;"}, {Text, ""}, {EscapeAmpersand, "&sup;"}},
       InText},
      {InText, "&#169; &#xA9;", {{Text, ""}, {EscapeAmpersand, "&#169;"}, {Text, " "}, {EscapeAmpersand, "&#xA9;"}},
       InText},
      {InText, "&#;", {{Text, ""}, {EscapeAmpersand, "&#;"}}, InText},
      {InText, "&#12a", {{Text, "&#12"}, {Text, "a"}}, InText},
      {InText, "ab&#12cd", {{Text, "ab&#12"}, {Text, "cd"}}, InText},
      {InText, "a&#xg", {{Text, "a&#x"}, {Text, "g"}}, InText},
      {InText, "a&#", {{Text, "a&#"}}, InText},
      {InText, "a>b=c", {{Text, "a>b=c"}}, InText},
      // A restored AtCharRef without a named reference reads "&#", digits and ";".
      {AtCharRef, "&#x41;", {{EscapeAmpersand, "&#x41;"}}, InText},
      {AtCharRef, "&", {{Text, "&"}}, InText},
      {AtCharRef, "&\0#1;"sv, {{Text, "&"}}, InText},
      {AtCharRef, "x&", {{Identifier, "x&"}}, AtCharRef},
      // Comments.
      {InText, "<!-- note -->", {{Comment, "<!--"}, {Comment, " note -->"}}, InText},
      {InText, "<!-->", {{Comment, "<!--"}, {Comment, ">"}}, InText},
      {InText, "<!-- a", {{Comment, "<!--"}, {Comment, " a"}}, InComment},
      {InComment, "b --> c", {{Comment, "b -->"}, {Text, " c"}}, InText},
      {InComment, ">", {{Comment, ">"}}, InComment},
      {InComment, "->x", {{Comment, "->x"}}, InComment},
      {InComment, "-->", {{Comment, "-->"}}, InText},
      {InComment, "x\ry", {{Comment, "x"}, {Space, "\r"}, {Comment, "y"}}, InComment},
      // White space and line breaks.
      {InText, "\t  x", {{Space, "\t  "}, {Text, "x"}}, InText},
      {InText, "\t\t", {{Space, "\t"}, {Space, "\t"}}, InText},
      {InText, "a\x01 b", {{Text, "a"}, {Space, "\x01 "}, {Text, "b"}}, InText},
      {InTag, "  x", {{Space, "  "}, {Identifier, "x"}}, InTag},
      {InTag, " \t x", {{Space, " "}, {Space, "\t "}, {Identifier, "x"}}, InTag},
      {InText, "a\r\nb", {{Text, "a"}, {Space, "\r\n"}, {Text, "b"}}, InText},
      {InText, "a\n\rb", {{Text, "a"}, {Space, "\n"}, {Space, "\r"}, {Text, "b"}}, InText},
      {InText, "caf\xE9", {{Text, "caf\xE9"}}, InText},
      // An empty line keeps the state; a NUL ends the line.
      {InComment, "", {}, InComment},
      {InTag, "", {}, InTag},
      {InText, "ab\0cd"sv, {{Text, "ab"}}, InText},
      {InText, "<b\0>"sv, {{Symbol, "<"}, {ReservedWord, "b"}}, InTag},
      {InComment, "x\0-->"sv, {{Comment, "x"}}, InComment},
      {InSingleQuoted, "x\0'"sv, {{Value, "x"}}, InSingleQuoted},
  };
  THTMLScanner scanner;
  for (const Case& c : cases) {
    SCOPED_TRACE(trace::RangeName(static_cast<std::intptr_t>(c.start)) + ' ' + trace::Quote(c.line));
    scanner.RestoreRange(static_cast<std::intptr_t>(c.start));
    EXPECT_EQ(ScanLine(scanner, c.line), Show(c.tokens));
    EXPECT_EQ(trace::RangeName(scanner.RangeState()), trace::RangeName(static_cast<std::intptr_t>(c.end)));
  }
}

TEST_F(HtmlScanner, RecognisesEveryNamedReference) {
  using enum THtmlTokenKind;
  ASSERT_EQ(CharRefNames.size(), 249u);
  THTMLScanner scanner;
  for (std::string_view name : CharRefNames) {
    SCOPED_TRACE(std::string(name));
    EXPECT_TRUE(name.size() >= 4 && name.size() <= 10 && name.front() == '&' && name.back() == ';');
    scanner.ClearRange();
    const std::string line = "x" + std::string(name) + "y";
    EXPECT_EQ(ScanLine(scanner, line), Show({{Text, "x"}, {EscapeAmpersand, name}, {Text, "y"}}));
    // Cut short by one byte, it is plain text.
    const std::string_view cut = name.substr(0, name.size() - 1);
    scanner.ClearRange();
    EXPECT_EQ(ScanLine(scanner, cut), Show({{Text, cut}}));
  }
}

TEST_F(HtmlScanner, UnknownRangeCodesActAsInTag) {
  using enum THtmlTokenKind;
  THTMLScanner scanner;
  for (std::intptr_t code : {5, 9, 200, 255, 0x1FF}) {
    SCOPED_TRACE(code);
    scanner.RestoreRange(code);
    EXPECT_EQ(scanner.RangeState(), code & 0xFF);
    EXPECT_EQ(ScanLine(scanner, "a&\"b\" c"),
              Show({{Identifier, "a&"}, {Identifier, "\"b"}, {Identifier, "\""}, {Space, " "}, {Identifier, "c"}}));
    EXPECT_EQ(scanner.RangeState(), code & 0xFF);
    EXPECT_EQ(ScanLine(scanner, "x=y>"), Show({{Identifier, "x"}, {Symbol, "="}, {Value, "y"}, {Symbol, ">"}}));
    EXPECT_EQ(scanner.Range(), THtmlRange::InText);
  }
}

// A reference found at the end of one StartLine and abandoned there must not
// make the next line's scan run past its end.
TEST_F(HtmlScanner, AbandonedReferenceStaysInsideTheNextLine) {
  using enum THtmlTokenKind;
  struct Case {
    std::string_view line;
    std::vector<Token> tokens;
  };
  const Case cases[] = {
      {"&", {{EscapeAmpersand, "&"}}},
      {"&a", {{EscapeAmpersand, "&a"}}},
      {"&\0bcdef"sv, {{EscapeAmpersand, "&"}}},
      {"&amp;x", {{EscapeAmpersand, "&amp;"}, {Text, "x"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(trace::Quote(c.line));
    THTMLScanner scanner;
    scanner.StartLine("a &amp;", 1);  // leaves "&amp;" pending
    ASSERT_EQ(scanner.Range(), THtmlRange::AtCharRef);
    EXPECT_EQ(ScanLine(scanner, c.line), Show(c.tokens));
    EXPECT_EQ(scanner.Range(), THtmlRange::InText);
  }
  // Nor does a leftover named reference take the place of a numeric one.
  THTMLScanner scanner;
  scanner.StartLine("a &amp;", 1);
  scanner.ClearRange();
  EXPECT_EQ(ScanLine(scanner, "&#1;x"), Show({{Text, ""}, {EscapeAmpersand, "&#1;"}, {Text, "x"}}));
}

TEST_F(HtmlScanner, ListsItsAttributesByName) {
  THTMLScanner scanner;
  const std::string_view names[] = {"Comment", "Escape Ampersand", "Identifier", "Reserved Word", "Space",
                                    "Symbol",  "Text",             "Unknown Word", "Value"};
  ASSERT_EQ(scanner.AttributeCount(), 9);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(scanner.AttributeAt(i)->Name(), names[i]) << i;
  EXPECT_EQ(scanner.AttributeAt(-1), nullptr);
  EXPECT_EQ(scanner.AttributeAt(9), nullptr);

  struct Case {
    TTokenAttributes* attribute;
    std::string_view name;
    TFontStyles style;
    TColor foreground;
  };
  const Case cases[] = {
      {scanner.CommentAttri(), "Comment", 0, clNone},
      {scanner.IdentifierAttri(), "Identifier", fsBold, clNone},
      {scanner.KeyAttri(), "Reserved Word", fsBold, 0xFF0080},
      {scanner.SpaceAttri(), "Space", 0, clNone},
      {scanner.SymbolAttri(), "Symbol", fsBold, clNone},
      {scanner.TextAttri(), "Text", 0, clNone},
      {scanner.UndefKeyAttri(), "Unknown Word", fsBold, 0x0000FF},
      {scanner.ValueAttri(), "Value", 0, 0xFF8000},
      {scanner.AndAttri(), "Escape Ampersand", fsBold, 0x00FF00},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name));
    ASSERT_NE(c.attribute, nullptr);
    EXPECT_EQ(c.attribute->Name(), c.name);
    EXPECT_EQ(c.attribute->Style(), c.style);
    EXPECT_EQ(c.attribute->Foreground(), c.foreground);
    EXPECT_EQ(c.attribute->Background(), clNone);
    // The scanner's own set-up counts as the initial values.
    EXPECT_FALSE(c.attribute->ForegroundStored() || c.attribute->StyleStored() || c.attribute->BackgroundStored());
  }

  const std::pair<int, TTokenAttributes*> roles[] = {
      {RoleComment, scanner.CommentAttri()}, {RoleIdentifier, scanner.IdentifierAttri()},
      {RoleKeyword, scanner.KeyAttri()},     {3, nullptr},
      {RoleWhitespace, scanner.SpaceAttri()}, {RoleSymbol, scanner.SymbolAttri()},
      {-1, nullptr},                         {6, nullptr},
  };
  for (const auto& [role, attribute] : roles) EXPECT_EQ(scanner.RoleAttribute(role), attribute) << role;
}

TEST_F(HtmlScanner, DescribesItself) {
  THTMLScanner scanner;
  const TScannerClass& kind = THTMLScanner::StaticClass();
  EXPECT_STREQ(kind.Name, "THTMLScanner");
  EXPECT_EQ(kind.Parent, &TCustomScanner::StaticClass());
  EXPECT_EQ(scanner.ClassName(), "THTMLScanner");
  ASSERT_NE(kind.Create, nullptr);
  EXPECT_EQ(&kind.Create()->ClassType(), &kind);

  RegisterHtmlScannerModule();
  int registered = 0;
  for (int i = 0; i < ScannerRegistry().Count(); ++i) registered += ScannerRegistry().At(i) == &kind;
  EXPECT_EQ(registered, 1);

  EXPECT_EQ(scanner.LanguageTitle(), "HTML");
  EXPECT_EQ(scanner.DefaultFilterValue(), "HTML Documents (*.htm;*.html)|*.htm;*.html");
  EXPECT_FALSE(scanner.DefaultFilterStored());
  scanner.ChangeDefaultFilter("Pages|*.htm");
  EXPECT_TRUE(scanner.DefaultFilterStored());

  const TCharSet identifier = scanner.IdentifierCharSet();
  EXPECT_EQ(identifier.count(), 10u + 26u + 1u + 26u + 23u + 31u + 8u);
  auto has = [&identifier](char c) { return identifier[static_cast<unsigned char>(c)]; };
  for (char c : "09AZ_az\xC0\xD6\xD8\xF6\xF8\xFF"sv) EXPECT_TRUE(has(c)) << trace::Quote({&c, 1});
  for (char c : " -/@`{\xBF\xD7\xF7"sv) EXPECT_FALSE(has(c)) << trace::Quote({&c, 1});
}

TEST_F(HtmlScanner, SampleTextShowsEveryTokenKind) {
  THTMLScanner scanner;
  const std::string sample = scanner.SampleText();
  EXPECT_NE(sample.substr(sample.size() - 2), "\r\n");
  const std::vector<std::string> lines = trace::SplitLines(sample);
  ASSERT_EQ(lines.size(), 11u);
  std::vector<std::intptr_t> ends;
  std::array<bool, 10> seen{};
  scanner.ClearRange();
  for (const std::string& line : lines) {
    for (scanner.StartLine(line, 1); !scanner.LineDone(); scanner.NextToken()) {
      seen[static_cast<std::size_t>(scanner.TokenKind())] = true;
    }
    ends.push_back(scanner.RangeState());
  }
  EXPECT_EQ(ends[5], static_cast<std::intptr_t>(THtmlRange::InSingleQuoted));
  EXPECT_EQ(ends[10], static_cast<std::intptr_t>(THtmlRange::InText));
  seen[static_cast<std::size_t>(THtmlTokenKind::LineEnd)] = true;
  for (std::size_t kind = 0; kind < seen.size(); ++kind) {
    EXPECT_TRUE(seen[kind]) << trace::KindName(static_cast<int>(kind));
  }
}

// ---- Invariants over many inputs ----

// The attribute each kind must carry; none for LineEnd.
TTokenAttributes* AttributeOfKind(const THTMLScanner& s, int kind) {
  TTokenAttributes* const byKind[] = {s.AndAttri(),   s.CommentAttri(), s.IdentifierAttri(), s.KeyAttri(),
                                      nullptr,        s.SpaceAttri(),   s.SymbolAttri(),     s.TextAttri(),
                                      s.UndefKeyAttri(), s.ValueAttri()};
  return byKind[kind];
}

// Scans one line and checks that its tokens cover it up to its end or first
// NUL without gap or overlap, in place, with the right attributes, and that
// LineEnd stays put. Returns the first fault found, or "", and appends the
// tokens to `tokens` as (kind, start, length) triples.
std::string CheckLine(THTMLScanner& scanner, std::string_view line, std::vector<std::size_t>& tokens) {
  const std::size_t end = std::min(line.size(), line.find('\0'));
  std::size_t expected = 0;
  bool lastEmpty = false;
  scanner.StartLine(line, 1);
  for (std::size_t count = 0; !scanner.LineDone(); scanner.NextToken(), ++count) {
    const std::string_view view = scanner.TokenView();
    const int kind = scanner.TokenKind();
    if (count > 2 * end + 2) return "no progress";
    if (kind < 0 || kind > 9) return "kind out of range";
    if (static_cast<std::size_t>(scanner.TokenStart()) != expected) return "gap or overlap before a token";
    if (view.data() != line.data() + expected) return "token not viewed in place";
    if (expected + view.size() > end) return "token runs past the end of the line";
    if (scanner.TokenText() != view) return "TokenText differs from TokenView";
    if (scanner.TokenAttribute() != AttributeOfKind(scanner, kind)) return "wrong attribute";
    if (view.empty() && lastEmpty) return "two empty tokens in a row";
    lastEmpty = view.empty();
    tokens.insert(tokens.end(), {static_cast<std::size_t>(kind), expected, view.size()});
    expected += view.size();
  }
  if (expected != end) return "tokens end before the line does";
  if (scanner.TokenAttribute() != nullptr || !scanner.TokenView().empty()) return "LineEnd not empty";
  const std::intptr_t range = scanner.RangeState();
  for (int i = 0; i < 3; ++i) {
    scanner.NextToken();
    if (!scanner.LineDone() || static_cast<std::size_t>(scanner.TokenStart()) != end ||
        scanner.RangeState() != range) {
      return "NextToken after LineEnd moved";
    }
  }
  return "";
}

// Scans `lines` in one pass from `start`, then again line by line in reverse
// order with a second scanner restored to the state the line before ended in:
// both must agree token for token.
void CheckText(const std::vector<std::string>& lines, std::intptr_t start) {
  THTMLScanner once;
  once.RestoreRange(start);
  std::vector<std::vector<std::size_t>> tokens(lines.size());
  std::vector<std::intptr_t> before(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    before[i] = once.RangeState();
    const std::string fault = CheckLine(once, lines[i], tokens[i]);
    ASSERT_EQ(fault, "") << "line " << i + 1 << ": " << trace::Quote(lines[i]);
  }
  THTMLScanner again;
  for (std::size_t i = lines.size(); i-- > 0;) {
    again.RestoreRange(before[i]);
    std::vector<std::size_t> second;
    ASSERT_EQ(CheckLine(again, lines[i], second), "");
    ASSERT_EQ(second, tokens[i]) << "line " << i + 1 << " restored from " << trace::RangeName(before[i]) << ": "
                                 << trace::Quote(lines[i]);
  }
}

TEST_F(HtmlScanner, RandomLinesKeepTheInvariants) {
  static const std::string_view pieces[] = {
      "<", ">", "=", "\"", "'", "&", "#", ";", "-", "!", "/", "?", " ", "  ", "\t", "\r", "\n", "\r\n", "\x01",
      "\0"sv, "\xE9", "a", "B", "x", "X", "1", "09", "F", "b", "TABLE", "/td", "h1", "!doctype", "<!--", "-->",
      "--", "&amp;", "&amp", "&copy;", "&sup2;", "&#", "&#x", "&#12;", "&#xA9;", "&#;", "&Alpha;", "&thetasym;",
      "href", "='v'", "=\"v\"", "=v", "&lt;"};
  std::mt19937 random(20240611);
  std::uniform_int_distribution<std::size_t> piece(0, std::size(pieces) - 1);
  std::uniform_int_distribution<int> pieceCount(0, 24);
  std::uniform_int_distribution<int> code(0, 255);
  for (int text = 0; text < 300; ++text) {
    std::vector<std::string> lines(12);
    for (std::string& line : lines) {
      for (int n = pieceCount(random); n > 0; --n) line += pieces[piece(random)];
    }
    const std::intptr_t start = text % 3 == 0 ? code(random) : static_cast<std::intptr_t>(THtmlRange::InText);
    SCOPED_TRACE("text " + std::to_string(text) + " from range " + std::to_string(start));
    CheckText(lines, start);
    if (HasFatalFailure()) return;
  }
}

std::filesystem::path CorpusDirectory() {
  if (const char* dir = std::getenv("VARNEL_CORPUS_DIR")) return dir;
  return std::filesystem::path(VARNEL_TEST_DATA) / "../../../../shared/corpus";
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(HtmlScanner, CorpusFilesKeepTheInvariants) {
  const std::filesystem::path dir = CorpusDirectory();
  std::vector<std::filesystem::path> files;
  if (std::filesystem::is_directory(dir)) {
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      if (entry.path().extension() != ".md") files.push_back(entry.path());
    }
  }
  if (files.empty()) GTEST_SKIP() << "no corpus in " << dir;
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    SCOPED_TRACE(file.string());
    CheckText(trace::SplitLines(ReadFile(file)), static_cast<std::intptr_t>(THtmlRange::InText));
    if (HasFatalFailure()) return;
  }
}

// ---- Golden token file ----

TEST_F(HtmlScanner, AllKindsFixtureMatchesItsDump) {
  const std::filesystem::path data = VARNEL_TEST_DATA;
  const std::filesystem::path input = data / "all-kinds.html";
  const std::filesystem::path golden = data / "all-kinds.tokens";
  THTMLScanner scanner;
  const std::string actual = trace::TraceTokens(scanner, trace::SplitLines(ReadFile(input)));
  for (std::string_view kind : trace::KindNames) {
    EXPECT_NE(actual.find(" " + std::string(kind) + " "), std::string::npos) << "fixture lacks " << kind;
  }
  const std::string expected = ReadFile(golden);
  if (actual == expected) return;

  const std::filesystem::path fresh = golden.string() + ".new";
  std::ofstream(fresh, std::ios::binary) << actual;
  const std::vector<std::string> want = trace::SplitLines(expected);
  const std::vector<std::string> got = trace::SplitLines(actual);
  std::size_t line = 0;
  while (line < want.size() && line < got.size() && want[line] == got[line]) ++line;
  ADD_FAILURE() << golden.string() << ':' << line + 1 << ": first difference\n"
                << "  expected: " << (line < want.size() ? want[line] : "<end>") << "\n"
                << "  actual:   " << (line < got.size() ? got[line] : "<end>") << "\n"
                << "the actual trace is in " << fresh.string();
}

// Text is passed sixteen bytes at a time where the line is long enough; the
// byte that ends it must be found at every offset, in both ways.
TEST_F(HtmlScanner, TextEndsAtTheRightByteAtEveryOffset) {
  struct Case {
    std::string_view after;  // what follows the plain bytes
    std::vector<Token> rest;  // its tokens
  };
  using enum THtmlTokenKind;
  const Case cases[] = {
      {"<b", {{Symbol, "<"}, {ReservedWord, "b"}}},
      {"&amp;z", {{EscapeAmpersand, "&amp;"}, {Text, "z"}}},
      {"&#9;", {{EscapeAmpersand, "&#9;"}}},
      {"\tz", {{Space, "\t"}, {Text, "z"}}},
      {"\x1F\x01z", {{Space, "\x1F\x01"}, {Text, "z"}}},
      {"\0hidden"sv, {}},
  };
  THTMLScanner scanner;
  for (size_t plain = 1; plain <= 40; ++plain) {
    // Bytes that do not end text: blanks, DEL, ">", quotes, and bytes from 0x80 up.
    constexpr std::string_view kPlain = " x\x7F>\"'\x80\xFFy";
    std::string text;
    for (size_t i = 0; i < plain; ++i) text += kPlain[i % kPlain.size()];
    for (const Case& c : cases) {
      const std::string line = text + std::string(c.after);
      SCOPED_TRACE(::testing::PrintToString(line));
      std::vector<Token> tokens = {{Text, text}};
      tokens.insert(tokens.end(), c.rest.begin(), c.rest.end());
      scanner.ClearRange();
      EXPECT_EQ(ScanLine(scanner, line), Show(tokens));
    }
    scanner.ClearRange();
    EXPECT_EQ(ScanLine(scanner, text), Show({{Text, text}}));
  }
}

// One scanner meets the same names again and again, mixed with names of the
// same length it does not know; each must get the kind the table gives it.
TEST_F(HtmlScanner, RepeatedTagNamesKeepTheirKinds) {
  std::vector<std::string> names = {
      "b",  "x",     "B",      "X",        "p",        "q",         "abbr",      "abbx",     "ABBR",
      "h1", "h7",    "H1",     "/p",       "/x",       "!DOCTYPE",  "!doctypx",  "noembed",  "noembedx",
      "noembeds", "fieldset", "fieldsex", "marquee9", "blockquote", "blockquotf", "table", "tablf"};
  // Every two-letter name, so that names that differ in one letter only are
  // bound to meet in whatever remembers them.
  for (char first = 'a'; first <= 'z'; ++first) {
    for (const char second : std::string_view("abdhilmrtuxz1")) names.push_back({first, second});
  }
  THTMLScanner scanner;
  std::uint32_t seed = 7;
  for (int round = 0; round < 20000; ++round) {
    seed = seed * 1664525u + 1013904223u;
    const std::string& name = names[(seed >> 8) % names.size()];
    SCOPED_TRACE(name);
    const std::string line = "<" + name + ">";
    scanner.ClearRange();
    scanner.StartLine(line, 1);
    scanner.NextToken();
    const TTagNameClass expected = ClassifyTagName(name);
    ASSERT_EQ(scanner.TokenView(), name.substr(0, expected.Length));
    ASSERT_EQ(scanner.Kind(), expected.Kind);
  }
}

}  // namespace
}  // namespace varnel

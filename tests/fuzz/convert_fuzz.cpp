// Exports arbitrary text through TExporterHTML and THTMLScanner with writer
// settings, attribute colours and styles, a line range and a lead-byte set
// taken from the input, and aborts when the page breaks a property:
//
// - an empty or invalid range ends with EAbort and leaves the earlier page;
// - the page has the form its settings ask for (document head with the title,
//   the font span, closings and tail); with AsPlainText off, the "HTML Format"
//   offsets point at "<!--StartFragment-->", just past "<!--EndFragment-->"
//   and at the end of the page;
// - the body, with its spans removed and its entities decoded, is the exported
//   range line by line, each line up to its first NUL and ended by CR LF, with
//   no reserved character left raw except as the trail byte of a pair;
// - spans do not nest, every token lies inside one, and a new span opens
//   exactly where the look (colours and style) of the tokens changes, with the
//   class of the attribute of its first token;
// - a plain-text page pasted into an editor gives back the same text.
//
// The settings are read from the end of the input and the text is what is
// left at its front, so a text file is a seed as it stands.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "export/html_exporter.h"
#include "platform/code_page.h"
#include "platform/errors.h"
#include "scan/html_scanner.h"
#include "text/editor_model.h"
#include "text/line_store.h"

namespace {

using namespace varnel;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "conversion property broken: %s\n", what);
  std::abort();
}

void Check(bool ok, const char* what) {
  if (!ok) Fail(what);
}

// The character entities of HTML that a page may hold, by name.
const std::map<std::string, unsigned char, std::less<>>& EntityBytes() {
  static const auto* const table = [] {
    auto* names = new std::map<std::string, unsigned char, std::less<>>{
        {"quot", 0x22}, {"amp", 0x26}, {"lt", 0x3C}, {"gt", 0x3E}, {"euro", 0x80}, {"trade", 0x99}};
    // Latin-1, 0xA0 to 0xFF in code order.
    constexpr std::string_view kLatin1 =
        "nbsp iexcl cent pound curren yen brvbar sect uml copy ordf laquo not shy reg macr "
        "deg plusmn sup2 sup3 acute micro para middot cedil sup1 ordm raquo frac14 frac12 frac34 iquest "
        "Agrave Aacute Acirc Atilde Auml Aring AElig Ccedil Egrave Eacute Ecirc Euml Igrave Iacute Icirc Iuml "
        "ETH Ntilde Ograve Oacute Ocirc Otilde Ouml times Oslash Ugrave Uacute Ucirc Uuml Yacute THORN szlig "
        "agrave aacute acirc atilde auml aring aelig ccedil egrave eacute ecirc euml igrave iacute icirc iuml "
        "eth ntilde ograve oacute ocirc otilde ouml divide oslash ugrave uacute ucirc uuml yacute thorn yuml";
    unsigned code = 0xA0;
    for (size_t from = 0; from < kLatin1.size(); ++code) {
      const size_t end = std::min(kLatin1.find(' ', from), kLatin1.size());
      names->emplace(std::string(kLatin1.substr(from, end - from)), static_cast<unsigned char>(code));
      from = end + 1;
    }
    if (code != 0x100) Fail("Latin-1 entity list is not 96 names long");
    return names;
  }();
  return *table;
}

// The lead-byte set is process-wide: every input starts without one.
struct LeadBytesReset {
  ~LeadBytesReset() { ClearLeadBytes(); }
};

TColor PickColor(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 5)) {
    case 0: return clNone;
    case 1: return clWindow;
    case 2: return clWindowText;
    case 3: return static_cast<TColor>(0xFF000000u | in.ConsumeIntegral<std::uint8_t>());  // any system index
    case 4: return in.ConsumeIntegral<std::int32_t>();
    default:
      return RGB(in.ConsumeIntegral<std::uint8_t>(), in.ConsumeIntegral<std::uint8_t>(),
                 in.ConsumeIntegral<std::uint8_t>());
  }
}

// A title or font name. It may hold "%", "<" and "&", which go into the page
// unchanged; line breaks and NUL are left out so that the page's lines can
// still be found.
std::string PickName(FuzzedDataProvider& in, int longest) {
  std::string name(static_cast<size_t>(in.ConsumeIntegralInRange(0, longest)), ' ');
  for (char& c : name) {
    c = static_cast<char>(in.ConsumeIntegral<std::uint8_t>());
    if (c == '\r' || c == '\n' || c == '\0') c = '%';
  }
  return name;
}

int PickCoordinate(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0: return INT_MAX;
    case 1: return INT_MIN;
    default: return in.ConsumeIntegralInRange(-1, 40);
  }
}

// What decides whether two tokens share a run.
struct Look {
  TColor background;
  TColor foreground;
  TFontStyles style;
  bool operator==(const Look&) const = default;
};

// The class that a span of this attribute carries: the scanner's prefix and
// the attribute's name with everything but letters and digits left out.
std::string ClassOf(const TTokenAttributes* attribute) {
  if (!attribute) return "";
  std::string name = "html1-";
  for (char c : attribute->Name()) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) name += c;
  }
  return name;
}

bool IsReserved(unsigned char c) { return c == '<' || c == '>' || c == '&' || c == '"'; }

// Walks a page's body against the tokens the scanner gives for the exported
// lines.
class BodyReader {
 public:
  explicit BodyReader(std::string_view body) : body_(body) {}

  void Expect(std::string_view text, const char* what) {
    Check(body_.substr(pos_).starts_with(text), what);
    pos_ += text.size();
  }

  void ExpectOpenSpan(const std::string& className) {
    Expect("<span class=\"", "a run does not open with a span");
    Expect(className, "a span has the class of another attribute");
    Expect("\">", "a span's class goes on past the attribute's");
  }

  // One token's bytes, made safe.
  void ExpectToken(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
      const auto byte = static_cast<unsigned char>(text[i]);
      Check(pos_ < body_.size(), "the body ends inside a token");
      if (body_[pos_] == '&') {
        const size_t semicolon = body_.find(';', pos_);
        Check(semicolon != std::string_view::npos && semicolon - pos_ <= 9, "an unterminated entity");
        const auto entity = EntityBytes().find(body_.substr(pos_ + 1, semicolon - pos_ - 1));
        Check(entity != EntityBytes().end(), "an unknown entity");
        Check(entity->second == byte, "an entity stands for another byte");
        pos_ = semicolon + 1;
        ++i;
        continue;
      }
      Check(static_cast<unsigned char>(body_[pos_]) == byte, "the body differs from the source");
      Check(!IsReserved(byte), "a reserved character is left raw");
      ++pos_;
      ++i;
      if (IsLeadByte(byte) && i < text.size()) {  // its trail byte passes as it is
        Check(pos_ < body_.size() && body_[pos_] == text[i], "a lead byte is parted from its trail byte");
        ++pos_;
        ++i;
      }
    }
  }

  bool AtEnd() const { return pos_ == body_.size(); }

 private:
  std::string_view body_;
  size_t pos_ = 0;
};

struct Description {
  size_t startHTML = 0;
  size_t endHTML = 0;
  size_t startFragment = 0;
  size_t endFragment = 0;
};

// The "Version:0.9" lines at the start of an "HTML Format" page.
Description ReadDescription(std::string_view page) {
  size_t pos = 0;
  const auto field = [&](std::string_view key) {
    Check(page.substr(pos).starts_with(key), "the description's fields are out of order");
    pos += key.size();
    size_t value = 0;
    for (int digit = 0; digit < 10; ++digit, ++pos) {
      Check(pos < page.size() && page[pos] >= '0' && page[pos] <= '9', "an offset is not ten digits");
      value = value * 10 + static_cast<size_t>(page[pos] - '0');
    }
    Check(page.substr(pos).starts_with("\r\n"), "an offset is not ten digits");
    pos += 2;
    return value;
  };
  Check(page.starts_with("Version:0.9\r\n"), "no Version:0.9 description");
  pos = 13;
  Description d;
  d.startHTML = field("StartHTML:");
  d.endHTML = field("EndHTML:");
  d.startFragment = field("StartFragment:");
  d.endFragment = field("EndFragment:");
  return d;
}

constexpr std::string_view kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n";
constexpr std::string_view kDocumentTail = "</body>\r\n</html>";

// The body of a page, after checking the page's form around it.
std::string_view BodyOf(std::string_view page, const TExporterHTML& exporter, const std::string& title) {
  const std::string titleElement = "\r\n<title>" + title + "</title>\r\n";
  if (!exporter.AsPlainText()) {
    const Description d = ReadDescription(page);
    Check(d.startHTML == 105 && page.substr(d.startHTML).starts_with(kXmlDeclaration), "StartHTML misses the head");
    Check(d.endHTML == page.size(), "EndHTML is not the page's size");
    Check(d.startHTML <= d.startFragment && d.startFragment + 62 <= d.endFragment && d.endFragment <= d.endHTML,
          "the offsets are out of order");
    Check(page.substr(d.startFragment).starts_with("<!--StartFragment--><pre><code>"),
          "StartFragment does not point at <!--StartFragment-->");
    Check(page.substr(0, d.endFragment).ends_with("</code></pre><!--EndFragment-->"),
          "EndFragment is not just past <!--EndFragment-->");
    Check(page.substr(d.endFragment) == kDocumentTail, "the page does not end with the document tail");
    Check(page.substr(d.startHTML, d.startFragment - d.startHTML).find(titleElement) != std::string_view::npos,
          "the head lacks the title");
    return page.substr(d.startFragment + 31, d.endFragment - 31 - (d.startFragment + 31));
  }

  const std::string opening = "<pre>\r\n<code><span style=\"font: " + std::to_string(exporter.Font().Size) + "pt " +
                              exporter.Font().Name + ";\">";
  const std::string closing =
      "</span>\r\n</code></pre>\r\n" + std::string(exporter.CreateHTMLFragment() ? "" : kDocumentTail);
  size_t start = 0;
  if (exporter.CreateHTMLFragment()) {
    Check(page.starts_with(opening), "a fragment does not start with the font span");
  } else {
    Check(page.starts_with(kXmlDeclaration), "the page does not start with the XML declaration");
    // Neither title nor font name holds a line break, so the first match is the head's end.
    const size_t body = page.find("\r\n<body>\r\n" + opening);
    Check(body != std::string_view::npos, "no <body> followed by the font span");
    Check(page.substr(0, body).find(titleElement) != std::string_view::npos, "the head lacks the title");
    start = body + 10;
  }
  start += opening.size();
  Check(page.size() >= start + closing.size() && page.ends_with(closing), "the page does not end with its closings");
  return page.substr(start, page.size() - closing.size() - start);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool registered = (RegisterHtmlScannerModule(), true);
  (void)registered;
  LeadBytesReset leadBytesReset;
  FuzzedDataProvider in(data, size);

  THTMLScanner scanner;
  TExporterHTML exporter;
  for (int i = 0; i < scanner.AttributeCount(); ++i) {
    if (!in.ConsumeBool()) continue;
    TTokenAttributes* attribute = scanner.AttributeAt(i);
    attribute->SetForeground(PickColor(in));
    attribute->SetBackground(PickColor(in));
    attribute->SetStyle(in.ConsumeIntegral<TFontStyles>());
  }
  if (in.ConsumeBool()) exporter.SetColor(PickColor(in));
  if (in.ConsumeBool()) {
    TFont font;
    font.Name = PickName(in, 12);
    font.Size = in.ConsumeIntegral<int>();
    font.Color = PickColor(in);
    font.Style = in.ConsumeIntegral<TFontStyles>();
    exporter.SetFont(&font);
  }
  std::string title = "Untitled";
  if (in.ConsumeBool()) {
    const std::string chosen = PickName(in, 24);
    exporter.SetTitle(chosen);
    if (!chosen.empty()) title = chosen;
  }
  exporter.SetAsPlainText(in.ConsumeBool());
  exporter.SetCreateHTMLFragment(in.ConsumeBool());
  // The order decides whether Color takes the white-space background.
  const bool useBackground = in.ConsumeBool();
  if (in.ConsumeBool()) {
    exporter.SetUseBackground(useBackground);
    exporter.SetHighlighter(&scanner);
  } else {
    exporter.SetHighlighter(&scanner);
    exporter.SetUseBackground(useBackground);
  }
  if (in.ConsumeBool()) {
    TLeadByteSet lead{};
    const auto first = in.ConsumeIntegral<std::uint8_t>();
    const auto last = in.ConsumeIntegral<std::uint8_t>();
    for (unsigned b = first; b <= last; ++b) lead[b] = true;
    for (int extra = in.ConsumeIntegralInRange(0, 3); extra > 0; --extra) lead[in.ConsumeIntegral<std::uint8_t>()] = true;
    SetLeadBytes(lead);
  }
  const bool allLines = in.ConsumeBool();
  TPoint start{1, 1};
  TPoint stop{INT_MAX, INT_MAX};
  if (!allLines) {
    start = {PickCoordinate(in), PickCoordinate(in)};
    stop = {PickCoordinate(in), PickCoordinate(in)};
  }
  const std::string text = in.ConsumeRemainingBytesAsString();

  // An earlier page, which a refused range must leave as it is.
  TLineStore earlier;
  earlier.PutLine(0, "an <b>earlier</b> page");
  exporter.ExportAllLines(&earlier);
  const std::string earlierPage(exporter.Output());

  TLineStore lines;
  lines.AssignText(MakeClipBytes(text), text.size());
  const int count = lines.LineCount();

  // The range as the export is to take it.
  bool refused = count == 0 || start.Y < 1 || start.Y > count || start.Y > stop.Y;
  int stopLine = 0;
  long long startColumn = 0;
  long long stopColumn = 0;
  if (!refused) {
    stopLine = std::clamp(stop.Y, 1, count);
    const auto columnLimit = [&](int line) { return static_cast<long long>(lines.LineAt(line - 1).size()) + 1; };
    stopColumn = std::clamp<long long>(stop.X, 1, columnLimit(stopLine));
    startColumn = std::clamp<long long>(start.X, 1, columnLimit(start.Y));
    refused = start.Y == stopLine && startColumn >= stopColumn;
  }
  try {
    if (allLines) {
      exporter.ExportAllLines(&lines);
    } else {
      exporter.ExportLineRange(&lines, start, stop);
    }
    Check(!refused, "an empty or invalid range was exported");
  } catch (const EAbort&) {
    Check(refused, "a valid range was refused");
    Check(exporter.Output() == earlierPage, "a refused range changed the earlier page");
    return 0;
  }

  std::vector<std::string_view> range;
  for (int line = start.Y; line <= stopLine; ++line) {
    std::string_view cut = lines.LineAt(line - 1);
    if (line == stopLine) cut = cut.substr(0, static_cast<size_t>(stopColumn - 1));
    if (line == start.Y) cut.remove_prefix(static_cast<size_t>(startColumn - 1));
    range.push_back(cut);
  }

  const std::string_view page = exporter.Output();
  BodyReader body(BodyOf(page, exporter, title));
  const auto lookOf = [&](const TTokenAttributes* attribute) {
    const TColor background = attribute->Background() == clNone ? exporter.Color() : attribute->Background();
    const TColor foreground = attribute->Foreground() == clNone ? exporter.Font().Color : attribute->Foreground();
    return Look{exporter.UseBackground() ? ColorToRGB(background) : 0, ColorToRGB(foreground), attribute->Style()};
  };
  bool anyToken = false;
  Look previous{};
  scanner.ClearRange();
  for (size_t i = 0; i < range.size(); ++i) {
    const std::string_view line = range[i];
    const std::string_view visible = line.substr(0, line.find('\0'));
    size_t covered = 0;
    scanner.StartLine(line, start.Y + static_cast<int>(i));
    for (; !scanner.LineDone(); scanner.NextToken()) {
      const std::string_view token = scanner.TokenView();
      Check(token.data() == visible.data() + covered && token.size() <= visible.size() - covered,
            "the tokens do not follow one another over the line");
      covered += token.size();
      const TTokenAttributes* attribute = scanner.TokenAttribute();
      Check(attribute != nullptr, "a token without an attribute");
      const Look look = lookOf(attribute);
      if (!anyToken) {
        body.ExpectOpenSpan(ClassOf(attribute));
      } else if (!(look == previous)) {
        body.Expect("</span>", "a run of another look does not close the span before it");
        body.ExpectOpenSpan(ClassOf(attribute));
      }
      body.ExpectToken(token);
      previous = look;
      anyToken = true;
    }
    Check(covered == visible.size(), "the tokens stop before the line's first NUL");
    body.Expect("\r\n", "a line does not end with CR LF");
  }
  if (anyToken) body.Expect("</span>", "the last run is not closed");
  Check(body.AtEnd(), "the body holds more than the range");

  if (exporter.AsPlainText() && page.find('\0') == std::string_view::npos) {
    TEditorModel editor;
    editor.PasteBlock(exporter.SharedOutput());
    Check(editor.Lines().WholeText() == page, "the pasted page differs from the exported one");
  }
  return 0;
}

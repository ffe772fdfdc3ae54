#include "export/html_exporter.h"

#include <algorithm>

#include "platform/clipboard.h"

namespace varnel {
namespace {

struct TEntity {
  unsigned char byte;
  const char* text;
};

// Every byte without an entry passes unchanged: the apostrophe, the controls,
// 0x81-0x98, 0x9A-0xA0, and 0xAC and 0xB6.
constexpr TEntity kEntities[] = {
    {0x22, "&quot;"}, {0x26, "&amp;"}, {0x3C, "&lt;"}, {0x3E, "&gt;"},
    {0x80, "&euro;"}, {0x99, "&trade;"},
    // 0xA1-0xAF (no 0xAC)
    {0xA1, "&iexcl;"}, {0xA2, "&cent;"}, {0xA3, "&pound;"}, {0xA4, "&curren;"}, {0xA5, "&yen;"},
    {0xA6, "&brvbar;"}, {0xA7, "&sect;"}, {0xA8, "&uml;"}, {0xA9, "&copy;"}, {0xAA, "&ordf;"},
    {0xAB, "&laquo;"}, {0xAD, "&shy;"}, {0xAE, "&reg;"}, {0xAF, "&macr;"},
    // 0xB0-0xBF (no 0xB6)
    {0xB0, "&deg;"}, {0xB1, "&plusmn;"}, {0xB2, "&sup2;"}, {0xB3, "&sup3;"}, {0xB4, "&acute;"},
    {0xB5, "&micro;"}, {0xB7, "&middot;"}, {0xB8, "&cedil;"}, {0xB9, "&sup1;"}, {0xBA, "&ordm;"},
    {0xBB, "&raquo;"}, {0xBC, "&frac14;"}, {0xBD, "&frac12;"}, {0xBE, "&frac34;"}, {0xBF, "&iquest;"},
    // 0xC0-0xCF
    {0xC0, "&Agrave;"}, {0xC1, "&Aacute;"}, {0xC2, "&Acirc;"}, {0xC3, "&Atilde;"},
    {0xC4, "&Auml;"}, {0xC5, "&Aring;"}, {0xC6, "&AElig;"}, {0xC7, "&Ccedil;"},
    {0xC8, "&Egrave;"}, {0xC9, "&Eacute;"}, {0xCA, "&Ecirc;"}, {0xCB, "&Euml;"},
    {0xCC, "&Igrave;"}, {0xCD, "&Iacute;"}, {0xCE, "&Icirc;"}, {0xCF, "&Iuml;"},
    // 0xD0-0xDF
    {0xD0, "&ETH;"}, {0xD1, "&Ntilde;"}, {0xD2, "&Ograve;"}, {0xD3, "&Oacute;"},
    {0xD4, "&Ocirc;"}, {0xD5, "&Otilde;"}, {0xD6, "&Ouml;"}, {0xD7, "&times;"},
    {0xD8, "&Oslash;"}, {0xD9, "&Ugrave;"}, {0xDA, "&Uacute;"}, {0xDB, "&Ucirc;"},
    {0xDC, "&Uuml;"}, {0xDD, "&Yacute;"}, {0xDE, "&THORN;"}, {0xDF, "&szlig;"},
    // 0xE0-0xEF
    {0xE0, "&agrave;"}, {0xE1, "&aacute;"}, {0xE2, "&acirc;"}, {0xE3, "&atilde;"},
    {0xE4, "&auml;"}, {0xE5, "&aring;"}, {0xE6, "&aelig;"}, {0xE7, "&ccedil;"},
    {0xE8, "&egrave;"}, {0xE9, "&eacute;"}, {0xEA, "&ecirc;"}, {0xEB, "&euml;"},
    {0xEC, "&igrave;"}, {0xED, "&iacute;"}, {0xEE, "&icirc;"}, {0xEF, "&iuml;"},
    // 0xF0-0xFF
    {0xF0, "&eth;"}, {0xF1, "&ntilde;"}, {0xF2, "&ograve;"}, {0xF3, "&oacute;"},
    {0xF4, "&ocirc;"}, {0xF5, "&otilde;"}, {0xF6, "&ouml;"}, {0xF7, "&divide;"},
    {0xF8, "&oslash;"}, {0xF9, "&ugrave;"}, {0xFA, "&uacute;"}, {0xFB, "&ucirc;"},
    {0xFC, "&uuml;"}, {0xFD, "&yacute;"}, {0xFE, "&thorn;"}, {0xFF, "&yuml;"},
};
static_assert(std::size(kEntities) == 99);

constexpr std::string_view kCRLF = "\r\n";
constexpr std::string_view kFragmentOpening = "<!--StartFragment--><pre><code>";
constexpr std::string_view kFragmentClosing = "</code></pre><!--EndFragment-->";
constexpr std::string_view kPlainClosing = "</span>\r\n</code></pre>\r\n";
constexpr std::string_view kDocumentTail = "</body>\r\n</html>";
// "Version:0.9" and four ten-digit offsets, each line ending in CR LF.
constexpr size_t kDescriptionSize = 105;

// Ten digits with leading zeros, as far as the number fits.
std::string TenDigits(size_t value) {
  std::string digits = std::to_string(value);
  if (digits.size() < 10) digits.insert(0, 10 - digits.size(), '0');
  return digits;
}

std::string ClipboardDescription(size_t startHTML, size_t endHTML, size_t startFragment, size_t endFragment) {
  std::string text;
  text.reserve(kDescriptionSize);
  text += "Version:0.9\r\n";
  text += "StartHTML:" + TenDigits(startHTML) + "\r\n";
  text += "EndHTML:" + TenDigits(endHTML) + "\r\n";
  text += "StartFragment:" + TenDigits(startFragment) + "\r\n";
  text += "EndFragment:" + TenDigits(endFragment) + "\r\n";
  return text;
}

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

TExporterHTML::TExporterHTML() {
  SetClipFormat(RegisterClipboardFormat("HTML Format"));
  SetDefaultFilter("HTML Documents (*.htm;*.html)|*.htm;*.html");
  for (const TEntity& entity : kEntities) SetEntity(entity.byte, entity.text);
}

void TExporterHTML::WalkAttributes(TCustomScanner* scanner, [[maybe_unused]] bool skipRepeats,
                                   const TAttributeVisitor& visit) {
  if (!scanner) return;
  // One scanner, visited once: nothing to skip, and it is the first of its class.
  const std::string prefix = ScannerPrefix(scanner->ClassName()) + "1.";
  for (int i = 0; i < scanner->AttributeCount(); ++i) {
    TTokenAttributes* attribute = scanner->AttributeAt(i);
    if (!visit(*scanner, *attribute, prefix + attribute->Name())) return;
  }
}

std::string TExporterHTML::ScannerPrefix(std::string_view className) {
  if (!className.empty() && (className.front() == 'T' || className.front() == 't')) className.remove_prefix(1);
  constexpr std::string_view kSuffix = "scanner";
  if (className.size() >= kSuffix.size() &&
      SameIgnoringAsciiCase(className.substr(className.size() - kSuffix.size()), kSuffix)) {
    className.remove_suffix(kSuffix.size());
  }
  return std::string(className);
}

std::string TExporterHTML::StyleClassName(std::string_view generatedName) {
  std::string name;
  name.reserve(generatedName.size());
  for (char c : generatedName) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    if (c == '.' || c == '_') {
      name += '-';
    } else if (c == '-' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')) {
      name += c;
    }
  }
  return name;
}

std::string TExporterHTML::HexColor(TColor color) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  const auto rgb = static_cast<std::uint32_t>(ColorToRGB(color));
  std::string text = "#";
  for (int shift = 0; shift <= 16; shift += 8) {  // red is the lowest byte
    const std::uint32_t component = (rgb >> shift) & 0xFFu;
    text += kDigits[component >> 4];
    text += kDigits[component & 0xFu];
  }
  return text;
}

std::string TExporterHTML::StyleRule(const TTokenAttributes& attribute, std::string_view generatedName) const {
  std::string rule = ".";
  rule += StyleClassName(generatedName);
  rule += " { ";
  if (UseBackground() && attribute.Background() != clNone) {
    rule += "background-color: " + HexColor(attribute.Background()) + "; ";
  }
  if (attribute.Foreground() != clNone) rule += "color: " + HexColor(attribute.Foreground()) + "; ";
  const TFontStyles style = attribute.Style();
  if (style & fsBold) rule += "font-weight: bold; ";
  if (style & fsItalic) rule += "font-style: italic; ";
  if (style & fsUnderline) rule += "text-decoration: underline; ";
  if (style & fsStrikeOut) rule += "text-decoration: line-through; ";
  rule += "}";
  return rule;
}

std::string TExporterHTML::ClassOfAttribute() const {
  std::string className;
  WalkAttributes(Highlighter(), false, [&](TCustomScanner&, TTokenAttributes& attribute, const std::string& name) {
    if (&attribute != CurrentAttribute()) return true;
    className = StyleClassName(name);
    return false;
  });
  return className;
}

void TExporterHTML::SetHighlighter(TCustomScanner* scanner) {
  if (scanner == Highlighter()) return;
  TCustomExporter::SetHighlighter(scanner);
  TakeWhitespaceBackground();
}

void TExporterHTML::SetUseBackground(bool value) {
  TCustomExporter::SetUseBackground(value);
  TakeWhitespaceBackground();
}

void TExporterHTML::SetTitle(const std::string& value) {
  if (value == Title()) return;
  TCustomExporter::SetTitle(value.empty() ? "Untitled" : value);
}

void TExporterHTML::TakeWhitespaceBackground() {
  if (!Highlighter() || !UseBackground()) return;
  if (const TTokenAttributes* space = Highlighter()->RoleAttribute(RoleWhitespace)) SetColor(space->Background());
}

void TExporterHTML::CloseRun(bool, bool, TFontStyles) { AppendText("</span>"); }

void TExporterHTML::OpenRun(bool, bool, TFontStyles) { OpenSpan(); }

void TExporterHTML::CloseLastRun() { AppendText("</span>"); }

void TExporterHTML::OpenFirstRun(bool, bool, TFontStyles) { OpenSpan(); }

void TExporterHTML::OpenSpan() { AppendText(RunOpening(CurrentAttribute())); }

std::string TExporterHTML::RunOpening(const TTokenAttributes* attribute) const {
  std::string_view className;
  for (const auto& [listed, name] : runClasses_) {
    if (listed == attribute) {
      className = name;
      break;
    }
  }
  std::string opening = "<span class=\"";
  opening += className;
  opening += "\">";
  return opening;
}

void TExporterHTML::EmitLineBreak() { AppendLineBreak(); }

const TCustomExporter::TFixedMarkup* TExporterHTML::FixedMarkup() const {
  // What CloseRun, CloseLastRun and EmitLineBreak write; both openings are OpenSpan.
  static constexpr TFixedMarkup kMarkup{"</span>", kCRLF};
  return &kMarkup;
}

void TExporterHTML::ExportStarting() {
  runClasses_.clear();
  WalkAttributes(Highlighter(), false, [&](TCustomScanner&, TTokenAttributes& attribute, const std::string& name) {
    runClasses_.emplace_back(&attribute, StyleClassName(name));
    return true;
  });
}

std::string TExporterHTML::FormatDescription() const { return "HTML"; }

std::string TExporterHTML::DocumentHead() const {
  std::string styles;
  WalkAttributes(Highlighter(), true, [&](TCustomScanner&, TTokenAttributes& attribute, const std::string& name) {
    styles += StyleRule(attribute, name);
    styles += kCRLF;
    return true;
  });

  // Title, colours and styles are spliced in as they are: user text never
  // passes through a format string.
  std::string head;
  head += "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n";
  head += "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
          "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\r\n";
  head += "<html xmlns=\"http://www.w3.org/1999/xhtml\">\r\n";
  head += "<head>\r\n";
  head += "<title>" + Title() + "</title>\r\n";
  head += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\" />\r\n";
  head += "<meta name=\"generator\" content=\"Varnel HTML exporter\" />\r\n";
  head += "<style type=\"text/css\">\r\n";
  head += "<!--\r\n";
  head += "body { color: " + HexColor(Font().Color) + "; background-color: " + HexColor(Color()) + "; }\r\n";
  head += styles + "-->\r\n";
  head += "</style>\r\n";
  head += "</head>\r\n";
  head += "<body>\r\n";
  return head;
}

std::string TExporterHTML::PlainCodeOpening() const {
  return "<pre>\r\n<code><span style=\"font: " + std::to_string(Font().Size) + "pt " + Font().Name + ";\">";
}

std::string TExporterHTML::HeaderText() {
  if (AsPlainText()) {
    if (CreateHTMLFragment()) return PlainCodeOpening();
    return DocumentHead() + PlainCodeOpening();
  }
  const std::string head = DocumentHead();
  const size_t body = OutputSize();
  const size_t startFragment = kDescriptionSize + head.size();
  const size_t endFragment = startFragment + kFragmentOpening.size() + body + kFragmentClosing.size();
  const size_t endHTML = endFragment + kDocumentTail.size();
  std::string header = ClipboardDescription(kDescriptionSize, endHTML, startFragment, endFragment);
  header += head;
  header += kFragmentOpening;
  return header;
}

std::string TExporterHTML::FooterText() {
  std::string footer(AsPlainText() ? kPlainClosing : kFragmentClosing);
  if (!(AsPlainText() && CreateHTMLFragment())) footer += kDocumentTail;
  return footer;
}

}  // namespace varnel

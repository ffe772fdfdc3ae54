#include "scan/html_scanner.h"

#include <memory>

#include "platform/wide_bytes.h"
#include "scan/tag_names.h"

namespace varnel {
namespace {

constexpr std::array<std::string_view, CharRefNameCount> RefNames = {
    "&Alpha;", "&Beta;", "&Gamma;", "&Delta;", "&Epsilon;", "&Zeta;", "&Eta;", "&Theta;", "&Iota;",
    "&Kappa;", "&Lambda;", "&Mu;", "&Nu;", "&Xi;", "&Omicron;", "&Pi;", "&Rho;", "&Sigma;", "&Tau;",
    "&Upsilon;", "&Phi;", "&Chi;", "&Psi;", "&Omega;", "&alpha;", "&beta;", "&gamma;", "&delta;",
    "&epsilon;", "&zeta;", "&eta;", "&theta;", "&iota;", "&kappa;", "&lambda;", "&mu;", "&nu;",
    "&xi;", "&omicron;", "&pi;", "&rho;", "&sigmaf;", "&sigma;", "&tau;", "&upsilon;", "&phi;",
    "&chi;", "&psi;", "&omega;", "&thetasym;", "&upsih;", "&piv;", "&bull;", "&hellip;", "&prime;",
    "&Prime;", "&oline;", "&frasl;", "&weierp;", "&image;", "&real;", "&trade;", "&alefsym;",
    "&larr;", "&uarr;", "&rarr;", "&darr;", "&harr;", "&crarr;", "&lArr;", "&uArr;", "&rArr;",
    "&dArr;", "&hArr;", "&forall;", "&part;", "&exist;", "&empty;", "&nabla;", "&isin;", "&notin;",
    "&ni;", "&prod;", "&sum;", "&minus;", "&lowast;", "&radic;", "&prop;", "&infin;", "&ang;",
    "&and;", "&or;", "&cap;", "&cup;", "&int;", "&there4;", "&sim;", "&cong;", "&asymp;", "&ne;",
    "&equiv;", "&le;", "&ge;", "&sub;", "&sup;", "&nsub;", "&sube;", "&supe;", "&oplus;",
    "&otimes;", "&perp;", "&sdot;", "&lceil;", "&rceil;", "&lfloor;", "&rfloor;", "&lang;",
    "&rang;", "&loz;", "&spades;", "&clubs;", "&hearts;", "&diams;", "&lsquo;", "&rsquo;",
    "&sbquo;", "&ldquo;", "&rdquo;", "&bdquo;", "&dagger;", "&Dagger;", "&permil;", "&lsaquo;",
    "&rsaquo;", "&quot;", "&amp;", "&lt;", "&gt;", "&ndash;", "&mdash;", "&nbsp;", "&thinsp;",
    "&ensp;", "&emsp;", "&iexcl;", "&cent;", "&pound;", "&curren;", "&yen;", "&brvbar;", "&brkbar;",
    "&sect;", "&uml;", "&die;", "&copy;", "&ordf;", "&laquo;", "&not;", "&shy;", "&reg;", "&macr;",
    "&hibar;", "&deg;", "&plusmn;", "&sup2;", "&sup3;", "&acute;", "&micro;", "&para;", "&middot;",
    "&cedil;", "&sup1;", "&ordm;", "&raquo;", "&frac14;", "&frac12;", "&frac34;", "&iquest;",
    "&Agrave;", "&Aacute;", "&Acirc;", "&Atilde;", "&Auml;", "&Aring;", "&AElig;", "&Ccedil;",
    "&Egrave;", "&Eacute;", "&Ecirc;", "&Euml;", "&Igrave;", "&Iacute;", "&Icirc;", "&Iuml;",
    "&ETH;", "&Ntilde;", "&Ograve;", "&Oacute;", "&Ocirc;", "&Otilde;", "&Ouml;", "&times;",
    "&Oslash;", "&Ugrave;", "&Uacute;", "&Ucirc;", "&Uuml;", "&Yacute;", "&THORN;", "&szlig;",
    "&agrave;", "&aacute;", "&acirc;", "&atilde;", "&auml;", "&aring;", "&aelig;", "&ccedil;",
    "&egrave;", "&eacute;", "&ecirc;", "&euml;", "&igrave;", "&iacute;", "&icirc;", "&iuml;",
    "&eth;", "&ntilde;", "&ograve;", "&oacute;", "&ocirc;", "&otilde;", "&ouml;", "&divide;",
    "&oslash;", "&ugrave;", "&uacute;", "&ucirc;", "&uuml;", "&yacute;", "&thorn;", "&yuml;",
    "&euro;", "&OElig;", "&oelig;", "&scaron;", "&Scaron;", "&fnof;", "&circ;",
};

// Candidates for the reference at an "&", by the byte after it: Order lists
// table indexes grouped by that byte, each group in table order, so the first
// match in a group is the first match in the whole table.
struct TCharRefIndex {
  std::array<std::uint8_t, CharRefNameCount> Order{};
  std::array<std::uint16_t, 257> Start{};
};

constexpr TCharRefIndex BuildCharRefIndex() {
  TCharRefIndex index;
  for (std::string_view name : RefNames) ++index.Start[static_cast<unsigned char>(name[1]) + 1u];
  for (std::size_t c = 0; c < 256; ++c) {
    index.Start[c + 1] = static_cast<std::uint16_t>(index.Start[c + 1] + index.Start[c]);
  }
  std::array<std::uint16_t, 256> next{};
  for (std::size_t c = 0; c < 256; ++c) next[c] = index.Start[c];
  for (std::size_t i = 0; i < RefNames.size(); ++i) {
    index.Order[next[static_cast<unsigned char>(RefNames[i][1])]++] = static_cast<std::uint8_t>(i);
  }
  return index;
}

constexpr TCharRefIndex CharRefIndex = BuildCharRefIndex();

// The token procedure that each byte starts, outside comments, text and quoted values.
enum class TByteClass : std::uint8_t {
  LineEnd,         // NUL
  Space,           // other control characters and the blank
  LineFeed,        // LF
  CarriageReturn,  // CR
  Quote,           // double quote, apostrophe
  Ampersand,       // &
  TagOpen,         // <
  Equals,          // =
  TagClose,        // >
  Word,            // everything else
};

constexpr auto N = TByteClass::LineEnd;
constexpr auto S = TByteClass::Space;
constexpr auto L = TByteClass::LineFeed;
constexpr auto R = TByteClass::CarriageReturn;
constexpr auto Q = TByteClass::Quote;
constexpr auto A = TByteClass::Ampersand;
constexpr auto O = TByteClass::TagOpen;
constexpr auto E = TByteClass::Equals;
constexpr auto C = TByteClass::TagClose;
constexpr auto W = TByteClass::Word;

constexpr TByteClass ByteClass[256] = {
    N, S, S, S, S, S, S, S, S, S, L, S, S, R, S, S,  // 00-0F
    S, S, S, S, S, S, S, S, S, S, S, S, S, S, S, S,  // 10-1F
    S, W, Q, W, W, W, A, Q, W, W, W, W, W, W, W, W,  // 20-2F   ! " # $ % & ' ( ) * + , - . /
    W, W, W, W, W, W, W, W, W, W, W, W, O, E, C, W,  // 30-3F  0-9 : ; < = > ?
    W, W, W, W, W, W, W, W, W, W, W, W, W, W, W, W,  // 40-4F
    W, W, W, W, W, W, W, W, W, W, W, W, W, W, W, W,  // 50-5F
    W, W, W, W, W, W, W, W, W, W, W, W, W, W, W, W,  // 60-6F
    W, W, W, W, W, W, W, W, W, W, W, W, W, W, W, W,  // 70-7F
    W, W, W, W, W, W, W, W, W, W, W, W, W, W, W, W,  // 80-8F
    W, W, W, W, W, W, W, W, W, W, W, W, W, W, W, W,  // 90-9F
    W, W, W, W, W, W, W, W, W, W, W, W, W, W, W, W,  // A0-AF
    W, W, W, W, W, W, W, W, W, W, W, W, W, W, W, W,  // B0-BF
    W, W, W, W, W, W, W, W, W, W, W, W, W, W, W, W,  // C0-CF
    W, W, W, W, W, W, W, W, W, W, W, W, W, W, W, W,  // D0-DF
    W, W, W, W, W, W, W, W, W, W, W, W, W, W, W, W,  // E0-EF
    W, W, W, W, W, W, W, W, W, W, W, W, W, W, W, W,  // F0-FF
};

// Bytes that end a stretch of plain text: the controls (NUL, CR and LF among
// them), "<" and "&".
constexpr std::array<bool, 256> StopsText = [] {
  std::array<bool, 256> table{};
  for (std::size_t c = 0; c < 32; ++c) table[c] = true;
  table['<'] = true;
  table['&'] = true;
  return table;
}();

// The first byte at or after `pos` that ends a stretch of text, or the size.
std::size_t SkipText(std::string_view line, std::size_t pos) {
  while (line.size() - pos >= kWideBytes) {
    const TWideBytes bytes = LoadWide(line.data() + pos);
    const TWideBytes stops = reinterpret_cast<TWideBytes>(bytes < 32) | reinterpret_cast<TWideBytes>(bytes == '<') |
                             reinterpret_cast<TWideBytes>(bytes == '&');
    const std::size_t plain = FirstMarked(stops);
    if (plain < kWideBytes) return pos + plain;
    pos += kWideBytes;
  }
  while (pos < line.size() && !StopsText[static_cast<unsigned char>(line[pos])]) ++pos;
  return pos;
}

// Bytes a comment or a quoted value stops at to look: NUL, LF, CR, and ">"
// (comments) or the two quotes (values).
constexpr std::array<bool, 256> StopsComment = [] {
  std::array<bool, 256> table{};
  table[0] = table['\n'] = table['\r'] = table['>'] = true;
  return table;
}();
constexpr std::array<bool, 256> StopsQuoted = [] {
  std::array<bool, 256> table{};
  table[0] = table['\n'] = table['\r'] = table['"'] = table['\''] = true;
  return table;
}();

// A run of white space goes on over control characters and blanks, but not
// over TAB (each TAB starts a token of its own), LF, CR or NUL.
constexpr bool ContinuesSpace(unsigned char c) {
  return c != 0 && c <= 32 && c != '\t' && c != '\n' && c != '\r';
}

// Names are short: a byte loop beats a call to the library's compare.
constexpr bool StartsWith(std::string_view text, std::string_view name) {
  if (name.size() > text.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (text[i] != name[i]) return false;
  }
  return true;
}

constexpr bool EndsLinePart(unsigned char c) { return c == 0 || c == '\n' || c == '\r'; }

constexpr bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

constexpr bool IsHexDigit(unsigned char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

constexpr std::string_view DefaultFilterText = "HTML Documents (*.htm;*.html)|*.htm;*.html";

std::unique_ptr<TCustomScanner> CreateHtmlScanner() { return std::make_unique<THTMLScanner>(); }

}  // namespace

const std::array<std::string_view, CharRefNameCount> CharRefNames = RefNames;

const TScannerClass& THTMLScanner::StaticClass() {
  static const TScannerClass kind{"THTMLScanner", &TCustomScanner::StaticClass(), &CreateHtmlScanner};
  return kind;
}

THTMLScanner::THTMLScanner() {
  auto add = [this](const char* name, TFontStyles style, TColor foreground) {
    auto attribute = std::make_unique<TTokenAttributes>(name);
    attribute->SetStyle(style);
    attribute->SetForeground(foreground);
    TTokenAttributes* kept = attribute.get();
    RegisterAttribute(std::move(attribute));
    return kept;
  };
  commentAttri_ = add("Comment", 0, clNone);
  identifierAttri_ = add("Identifier", fsBold, clNone);
  keyAttri_ = add("Reserved Word", fsBold, RGB(0x80, 0x00, 0xFF));
  spaceAttri_ = add("Space", 0, clNone);
  symbolAttri_ = add("Symbol", fsBold, clNone);
  textAttri_ = add("Text", 0, clNone);
  undefKeyAttri_ = add("Unknown Word", fsBold, RGB(0xFF, 0x00, 0x00));
  valueAttri_ = add("Value", 0, RGB(0x00, 0x80, 0xFF));
  andAttri_ = add("Escape Ampersand", fsBold, RGB(0x00, 0xFF, 0x00));
  BindAttributeChanges();
  ChangeDefaultFilter(std::string(DefaultFilterText));
}

void THTMLScanner::StartLine(std::string_view line, int lineNumber) {
  line_ = line;
  pos_ = 0;
  lineNumber_ = lineNumber;
  NextToken();
}

void THTMLScanner::NextToken() {
  tokenPos_ = pos_;
  switch (range_) {
    case THtmlRange::InComment:
      ScanComment();
      break;
    case THtmlRange::InText:
      ScanText();
      break;
    case THtmlRange::InSingleQuoted:
    case THtmlRange::InDoubleQuoted:
      if (EndsLinePart(At(pos_))) {
        Dispatch(At(pos_));
      } else {
        ScanQuoted();
      }
      break;
    default:  // the tag states, AtCharRef, and codes never produced
      Dispatch(At(pos_));
      break;
  }
}

void THTMLScanner::Dispatch(unsigned char c) {
  switch (ByteClass[c]) {
    case TByteClass::LineEnd: ScanLineEnd(); break;
    case TByteClass::Space: ScanSpace(); break;
    case TByteClass::LineFeed: ScanLineFeed(); break;
    case TByteClass::CarriageReturn: ScanCarriageReturn(); break;
    case TByteClass::Quote: ScanQuoted(); break;
    case TByteClass::Ampersand: ScanAmpersand(); break;
    case TByteClass::TagOpen: ScanTagOpen(); break;
    case TByteClass::Equals: ScanEquals(); break;
    case TByteClass::TagClose: ScanTagClose(); break;
    case TByteClass::Word: ScanWord(); break;
  }
}

// Moves on by `count` bytes but never past the line's end or onto a NUL: a
// reference index left over from an abandoned line may be longer than what is
// left of this one.
void THTMLScanner::SkipAtMost(std::size_t count) {
  while (count > 0 && At(pos_) != 0) {
    ++pos_;
    --count;
  }
}

int THTMLScanner::MatchCharRef(std::size_t at) const {
  const std::string_view rest = line_.substr(at);
  const unsigned char next = At(at + 1);
  for (std::size_t k = CharRefIndex.Start[next]; k < CharRefIndex.Start[next + 1u]; ++k) {
    const std::uint8_t index = CharRefIndex.Order[k];
    if (StartsWith(rest, RefNames[index])) return index;
  }
  return -1;
}

void THTMLScanner::ScanLineEnd() { tokenKind_ = THtmlTokenKind::LineEnd; }

void THTMLScanner::ScanSpace() {
  tokenKind_ = THtmlTokenKind::Space;
  const std::string_view line = line_;
  std::size_t pos = pos_ + 1;
  while (pos < line.size() && ContinuesSpace(static_cast<unsigned char>(line[pos]))) ++pos;
  pos_ = pos;
}

void THTMLScanner::ScanLineFeed() {
  tokenKind_ = THtmlTokenKind::Space;
  ++pos_;
}

void THTMLScanner::ScanCarriageReturn() {
  tokenKind_ = THtmlTokenKind::Space;
  ++pos_;
  if (At(pos_) == '\n') ++pos_;
}

void THTMLScanner::ScanTagOpen() {
  ++pos_;
  if (At(pos_) == '!' && At(pos_ + 1) == '-' && At(pos_ + 2) == '-') {
    range_ = THtmlRange::InComment;
    tokenKind_ = THtmlTokenKind::Comment;
    pos_ += 3;
  } else {
    range_ = THtmlRange::TagNameNext;
    tokenKind_ = THtmlTokenKind::Symbol;
  }
}

void THTMLScanner::ScanTagClose() {
  range_ = THtmlRange::InText;
  tokenKind_ = THtmlTokenKind::Symbol;
  ++pos_;
}

void THTMLScanner::ScanEquals() {
  range_ = THtmlRange::ValueNext;
  tokenKind_ = THtmlTokenKind::Symbol;
  ++pos_;
}

void THTMLScanner::ScanWord() {
  // The loops work on copies: a store through the line's bytes could alias the
  // members, which would otherwise be reloaded for every byte.
  const std::string_view line = line_;
  std::size_t pos = pos_;
  switch (range_) {
    case THtmlRange::TagNameNext: {
      // May be empty ("<?x"): the same byte is then taken up again in InTag.
      range_ = THtmlRange::InTag;
      const std::string_view rest = line.substr(pos);
      const std::size_t length = TagNameHash(rest).Length;
      tokenKind_ = KindOfTagName(rest, length);
      pos += length;
      break;
    }
    case THtmlRange::ValueNext:
      range_ = THtmlRange::InTag;
      tokenKind_ = THtmlTokenKind::Value;
      for (++pos; pos < line.size(); ++pos) {
        const auto c = static_cast<unsigned char>(line[pos]);
        if (c <= 32 || c == '>') break;
      }
      break;
    default:
      tokenKind_ = THtmlTokenKind::Identifier;
      for (++pos; pos < line.size(); ++pos) {
        const auto c = static_cast<unsigned char>(line[pos]);
        if (c <= 32 || c == '"' || c == '=' || c == '>') break;
      }
      break;
  }
  pos_ = pos;
}

THtmlTokenKind THTMLScanner::KindOfTagName(std::string_view text, std::size_t length) {
  constexpr std::size_t kMemoLength = 8;  // names that fit one 64-bit key
  if (length == 0 || length > kMemoLength) return ClassifyTagName(text).Kind;
  std::uint64_t bytes = 0;
  for (std::size_t i = 0; i < length; ++i) bytes |= std::uint64_t{static_cast<unsigned char>(text[i])} << (8 * i);
  // Fibonacci hashing: the top six bits of the product pick the entry.
  TTagNameMemo& memo = tagNameMemo_[(bytes * 0x9E3779B97F4A7C15u) >> 58];
  if (memo.length == length && memo.bytes == bytes) return memo.kind;
  const THtmlTokenKind kind = ClassifyTagName(text).Kind;
  memo = TTagNameMemo{bytes, length, kind};
  return kind;
}

void THTMLScanner::ScanQuoted() {
  unsigned char closing = 0;
  switch (range_) {
    case THtmlRange::InSingleQuoted:
      closing = '\'';
      break;
    case THtmlRange::InDoubleQuoted:
      closing = '"';
      break;
    case THtmlRange::ValueNext:
      closing = At(pos_);
      range_ = closing == '"' ? THtmlRange::InDoubleQuoted : THtmlRange::InSingleQuoted;
      ++pos_;
      break;
    default:
      ScanWord();
      return;
  }
  tokenKind_ = THtmlTokenKind::Value;
  // Without its closing quote on this line the value goes on in the next one.
  const std::string_view line = line_;
  std::size_t pos = pos_;
  while (pos < line.size()) {
    const auto c = static_cast<unsigned char>(line[pos]);
    if (!StopsQuoted[c]) {
      ++pos;
      continue;
    }
    if (EndsLinePart(c)) break;
    ++pos;
    if (c == closing) {
      range_ = THtmlRange::InTag;
      break;
    }
  }
  pos_ = pos;
}

void THTMLScanner::ScanAmpersand() {
  switch (range_) {
    case THtmlRange::AtCharRef:
      if (charRefIndex_ >= 0 && charRefIndex_ < static_cast<std::int32_t>(CharRefNameCount)) {
        tokenKind_ = THtmlTokenKind::EscapeAmpersand;
        SkipAtMost(RefNames[static_cast<std::size_t>(charRefIndex_)].size());
      } else {
        SkipAtMost(2);  // "&#"
        if (At(pos_) == 'x' || At(pos_) == 'X') {
          ++pos_;
          while (IsHexDigit(At(pos_))) ++pos_;
        } else {
          while (IsDigit(At(pos_))) ++pos_;
        }
        if (At(pos_) == ';') {
          ++pos_;
          tokenKind_ = THtmlTokenKind::EscapeAmpersand;
        } else {
          tokenKind_ = THtmlTokenKind::Text;
        }
      }
      charRefIndex_ = -1;
      range_ = THtmlRange::InText;
      break;
    case THtmlRange::TagNameNext:
      ++pos_;
      range_ = THtmlRange::InText;
      tokenKind_ = THtmlTokenKind::Text;
      break;
    default:
      ScanWord();
      break;
  }
}

void THTMLScanner::ScanComment() {
  tokenKind_ = THtmlTokenKind::Comment;
  if (EndsLinePart(At(pos_))) {
    Dispatch(At(pos_));
    return;
  }
  const std::string_view line = line_;
  std::size_t pos = pos_;
  while (pos < line.size()) {
    const auto c = static_cast<unsigned char>(line[pos]);
    if (!StopsComment[c]) {
      ++pos;
      continue;
    }
    if (EndsLinePart(c)) break;
    ++pos;
    // Only this line's bytes count for the "--", so a ">" at the start of a
    // continued comment does not close it.
    if (pos >= 3 && line[pos - 2] == '-' && line[pos - 3] == '-') {
      range_ = THtmlRange::InText;
      break;
    }
  }
  pos_ = pos;
}

void THTMLScanner::ScanText() {
  unsigned char c = At(pos_);
  if (c < 32 || c == '<') {
    Dispatch(c);
    return;
  }
  tokenKind_ = THtmlTokenKind::Text;
  const std::string_view line = line_;
  for (;;) {
    const std::size_t pos = SkipText(line, pos_);
    pos_ = pos;
    // The line's end, a control character or "<" ends the text.
    if (pos == line.size() || line[pos] != '&') return;
    if (At(pos_ + 1) == '#') {
      const std::size_t ampersand = pos_;
      pos_ += 2;
      if (At(pos_) == 'x' || At(pos_) == 'X') {
        ++pos_;
        while (IsHexDigit(At(pos_))) ++pos_;
      } else {
        while (IsDigit(At(pos_))) ++pos_;
      }
      if (At(pos_) == ';') {
        // The text ends before "&"; the reference is the next token.
        pos_ = ampersand;
        charRefIndex_ = -1;
        range_ = THtmlRange::AtCharRef;
      }
      // Unterminated, "&#" and its digits stay in this text token.
      return;
    }
    const int index = MatchCharRef(pos_);
    if (index >= 0) {
      charRefIndex_ = index;
      range_ = THtmlRange::AtCharRef;
      return;
    }
    ++pos_;
  }
}

TTokenAttributes* THTMLScanner::TokenAttribute() const {
  switch (tokenKind_) {
    case THtmlTokenKind::EscapeAmpersand: return andAttri_;
    case THtmlTokenKind::Comment: return commentAttri_;
    case THtmlTokenKind::Identifier: return identifierAttri_;
    case THtmlTokenKind::ReservedWord: return keyAttri_;
    case THtmlTokenKind::Space: return spaceAttri_;
    case THtmlTokenKind::Symbol: return symbolAttri_;
    case THtmlTokenKind::Text: return textAttri_;
    case THtmlTokenKind::UnknownWord: return undefKeyAttri_;
    case THtmlTokenKind::Value: return valueAttri_;
    case THtmlTokenKind::LineEnd: break;
  }
  return nullptr;
}

TTokenAttributes* THTMLScanner::RoleAttribute(int role) const {
  switch (role) {
    case RoleComment: return commentAttri_;
    case RoleIdentifier: return identifierAttri_;
    case RoleKeyword: return keyAttri_;
    case RoleWhitespace: return spaceAttri_;
    case RoleSymbol: return symbolAttri_;
    default: return nullptr;
  }
}

void THTMLScanner::RestoreRange(std::intptr_t value) {
  range_ = static_cast<THtmlRange>(static_cast<std::uint8_t>(value & 0xFF));
}

TCharSet THTMLScanner::IdentifierCharSet() const {
  TCharSet set;
  auto addRange = [&set](std::size_t first, std::size_t last) {
    for (std::size_t c = first; c <= last; ++c) set.set(c);
  };
  addRange('0', '9');
  addRange('A', 'Z');
  addRange('_', '_');
  addRange('a', 'z');
  addRange(192, 214);
  addRange(216, 246);
  addRange(248, 255);
  return set;
}

std::string THTMLScanner::LanguageTitle() const { return "HTML"; }

std::string THTMLScanner::SampleText() const {
  return "<!-- Syntax highlighting -->\r\n"
         "\r\n"
         "<html>\r\n"
         "<body bgcolor=\"red\">\r\n"
         "  <form name=\"frmLogin\" action=\"doSomething.asp\">\r\n"
         "    <input name=\"user\" value='any\r\n"
         "      value'>\r\n"
         "  </form>\r\n"
         "  <invalid>Sample HTML code &copy; 2001</invalid>\r\n"
         "</body>\r\n"
         "</html>";
}

bool THTMLScanner::DefaultFilterStored() const { return DefaultFilterValue() != DefaultFilterText; }

void RegisterHtmlScannerModule() {
  FillLetterValues();
  ScannerRegistry().Add(THTMLScanner::StaticClass());
}

}  // namespace varnel

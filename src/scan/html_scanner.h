#pragma once
// The HTML scanner: reads each line as HTML mark-up and splits it into text,
// the symbols "<", ">" and "=", tag names, attribute names and values,
// comments, character references and white space. A range state carried from
// line to line lets comments, tags and quoted values run over several lines.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "scan/scanner_base.h"

namespace varnel {

// The kind of a token, as TokenKind reports it.
enum class THtmlTokenKind : std::uint8_t {
  EscapeAmpersand = 0,  // a recognised character reference, "&" to ";"
  Comment = 1,          // "<!--", and comment text through "-->" or to the line end
  Identifier = 2,       // a word inside a tag after its name; a tag name hashing above the table
  ReservedWord = 3,     // a tag name the table holds
  LineEnd = 4,          // the end of the line; empty
  Space = 5,            // blanks and control characters; CR, LF and CR LF
  Symbol = 6,           // "<", ">" or "="
  Text = 7,             // text outside tags; a lone "&" right after "<"
  UnknownWord = 8,      // a tag name the table does not hold, possibly empty
  Value = 9,            // an attribute value, quoted (quotes included) or not
};

// The range state: what the scan position is inside of. These codes are what
// RangeState gives and RestoreRange takes. Code 5 and codes above 8 are never
// produced; restored, they behave as InTag until a "<", ">" or "=".
enum class THtmlRange : std::uint8_t {
  AtCharRef = 0,       // a character reference starts at the scan position; never outlasts a line
  InComment = 1,       // inside "<!--"
  TagNameNext = 2,     // after "<": the next word is the tag name
  InTag = 3,           // inside a tag, after its name
  InText = 4,          // outside tags; the state of a fresh scanner
  ValueNext = 6,       // after "=": the next token is a value
  InSingleQuoted = 7,  // inside a value opened by an apostrophe
  InDoubleQuoted = 8,  // inside a value opened by a double quote
};

// The named character references recognised in text, each "&", a name and ";".
// None is a prefix of another; the first match in this order wins.
inline constexpr std::size_t CharRefNameCount = 249;
extern const std::array<std::string_view, CharRefNameCount> CharRefNames;

class THTMLScanner final : public TCustomScanner {
 public:
  THTMLScanner();

  static const TScannerClass& StaticClass();
  const TScannerClass& ClassType() const override { return StaticClass(); }

  TTokenAttributes* AndAttri() const { return andAttri_; }
  TTokenAttributes* CommentAttri() const { return commentAttri_; }
  TTokenAttributes* IdentifierAttri() const { return identifierAttri_; }
  TTokenAttributes* KeyAttri() const { return keyAttri_; }
  TTokenAttributes* SpaceAttri() const { return spaceAttri_; }
  TTokenAttributes* SymbolAttri() const { return symbolAttri_; }
  TTokenAttributes* TextAttri() const { return textAttri_; }
  TTokenAttributes* UndefKeyAttri() const { return undefKeyAttri_; }
  TTokenAttributes* ValueAttri() const { return valueAttri_; }

  // Reads `line` in place: the caller keeps it alive and unchanged until the
  // next StartLine. The line ends at its end or at its first NUL, whichever
  // comes first; nothing after a NUL is scanned. The range is not reset.
  void StartLine(std::string_view line, int lineNumber) override;
  // After the last token, LineEnd stays current without moving.
  void NextToken() override;
  bool LineDone() const override { return tokenKind_ == THtmlTokenKind::LineEnd; }
  std::string TokenText() const override { return std::string(TokenView()); }
  std::string_view TokenView() const override { return line_.substr(tokenPos_, pos_ - tokenPos_); }
  int TokenStart() const override { return static_cast<int>(tokenPos_); }
  int TokenKind() const override { return static_cast<int>(tokenKind_); }
  THtmlTokenKind Kind() const { return tokenKind_; }
  // None for LineEnd.
  TTokenAttributes* TokenAttribute() const override;
  TTokenAttributes* RoleAttribute(int role) const override;
  std::intptr_t RangeState() const override { return static_cast<std::intptr_t>(range_); }
  // Takes the low 8 bits of `value`.
  void RestoreRange(std::intptr_t value) override;
  void ClearRange() override { range_ = THtmlRange::InText; }
  THtmlRange Range() const { return range_; }
  int LineNumber() const { return lineNumber_; }

  TCharSet IdentifierCharSet() const override;
  std::string LanguageTitle() const override;
  std::string SampleText() const override;
  // True when DefaultFilter differs from the scanner's own default.
  bool DefaultFilterStored() const override;

 private:
  unsigned char At(std::size_t index) const {
    return index < line_.size() ? static_cast<unsigned char>(line_[index]) : 0;
  }
  void SkipAtMost(std::size_t count);
  int MatchCharRef(std::size_t at) const;
  // The kind of the tag name that is the first `length` bytes of `text`.
  THtmlTokenKind KindOfTagName(std::string_view text, std::size_t length);

  // One token procedure per byte class; each sets tokenKind_, moves pos_ past
  // the token and may change range_.
  void Dispatch(unsigned char c);
  void ScanLineEnd();
  void ScanSpace();
  void ScanLineFeed();
  void ScanCarriageReturn();
  void ScanTagOpen();
  void ScanTagClose();
  void ScanEquals();
  void ScanWord();
  void ScanQuoted();
  void ScanAmpersand();
  void ScanComment();
  void ScanText();

  // Index in CharRefNames of the reference the next token is, or -1 for a
  // numeric one. Set together with AtCharRef and reset by the token after.
  std::int32_t charRefIndex_ = -1;
  THtmlRange range_ = THtmlRange::InText;
  std::string_view line_;
  std::size_t pos_ = 0;
  std::size_t tokenPos_ = 0;
  THtmlTokenKind tokenKind_ = THtmlTokenKind::LineEnd;
  TTokenAttributes* andAttri_ = nullptr;
  TTokenAttributes* commentAttri_ = nullptr;
  TTokenAttributes* identifierAttri_ = nullptr;
  TTokenAttributes* keyAttri_ = nullptr;
  TTokenAttributes* spaceAttri_ = nullptr;
  TTokenAttributes* symbolAttri_ = nullptr;
  TTokenAttributes* textAttri_ = nullptr;
  TTokenAttributes* undefKeyAttri_ = nullptr;
  TTokenAttributes* valueAttri_ = nullptr;
  int lineNumber_ = 0;  // as given to StartLine; the scan does not depend on it
  // Kinds of the tag names met lately, by their bytes: the same few names come
  // back again and again, and finding one here costs less than the table.
  struct TTagNameMemo {
    std::uint64_t bytes = 0;  // the name, its first byte lowest
    std::size_t length = 0;   // 0 for an unused entry
    THtmlTokenKind kind = THtmlTokenKind::UnknownWord;
  };
  std::array<TTagNameMemo, 64> tagNameMemo_{};
};

// Fills the tag-name letter table and adds THTMLScanner to ScannerRegistry
// unless it is there. Safe to call more than once.
void RegisterHtmlScannerModule();

}  // namespace varnel

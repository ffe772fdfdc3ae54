// Feeds arbitrary bytes through THTMLScanner and aborts when a line's tokens
// break the scanner contract. The first byte is the range to start from; the
// rest is split into lines at LF, so CR and NUL stay inside lines.
//
// Checked per line: the tokens follow one another without gap or overlap and
// cover the line up to its end or first NUL; each is viewed in place; every
// token but LineEnd has its kind's attribute; no two empty tokens follow each
// other (progress); LineEnd stays put. Then every line is scanned again by a
// second scanner restored to the state the line before ended in, in reverse
// order, and must give the same tokens. Last, every line is scanned from a
// range the input picks, restored once from a full-width value and once from
// its low byte alone: both keep the contract and give the same tokens, and a
// line begun in a range the scanner produces (a character reference aside)
// ends in one it produces, never inside a character reference.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "scan/html_scanner.h"

namespace {

using varnel::THTMLScanner;

[[noreturn]] void Fail(const char* what, std::size_t line) {
  std::fprintf(stderr, "scanner contract broken on line %zu: %s\n", line + 1, what);
  std::abort();
}

varnel::TTokenAttributes* AttributeOfKind(const THTMLScanner& s, int kind) {
  varnel::TTokenAttributes* const byKind[] = {s.AndAttri(),  s.CommentAttri(), s.IdentifierAttri(),
                                              s.KeyAttri(),  nullptr,          s.SpaceAttri(),
                                              s.SymbolAttri(), s.TextAttri(),  s.UndefKeyAttri(),
                                              s.ValueAttri()};
  return byKind[kind];
}

// The codes RangeState gives; see THtmlRange.
bool IsProducedRange(std::intptr_t code) { return code >= 0 && code <= 8 && code != 5; }

// Scans one line, checking it, and appends (kind, length) per token.
void ScanChecked(THTMLScanner& scanner, std::string_view line, std::size_t lineIndex,
                 std::vector<std::size_t>& tokens) {
  const std::size_t end = std::min(line.size(), line.find('\0'));
  std::size_t expected = 0;
  bool lastEmpty = false;
  scanner.StartLine(line, static_cast<int>(lineIndex + 1));
  for (std::size_t count = 0; !scanner.LineDone(); scanner.NextToken(), ++count) {
    const std::string_view view = scanner.TokenView();
    const int kind = scanner.TokenKind();
    if (count > 2 * end + 2) Fail("no progress", lineIndex);
    if (kind < 0 || kind > 9) Fail("kind out of range", lineIndex);
    if (scanner.TokenStart() < 0 || static_cast<std::size_t>(scanner.TokenStart()) != expected) {
      Fail("gap or overlap", lineIndex);
    }
    if (view.data() != line.data() + expected) Fail("token not viewed in place", lineIndex);
    if (view.size() > end - expected) Fail("token past the end of the line", lineIndex);
    if (scanner.TokenAttribute() != AttributeOfKind(scanner, kind)) Fail("wrong attribute", lineIndex);
    if (view.empty() && lastEmpty) Fail("two empty tokens in a row", lineIndex);
    lastEmpty = view.empty();
    expected += view.size();
    tokens.push_back(static_cast<std::size_t>(kind));
    tokens.push_back(view.size());
  }
  if (expected != end) Fail("tokens end before the line does", lineIndex);
  if (!scanner.TokenView().empty() || scanner.TokenAttribute() != nullptr) Fail("LineEnd not empty", lineIndex);
  const std::intptr_t range = scanner.RangeState();
  scanner.NextToken();
  if (!scanner.LineDone() || static_cast<std::size_t>(scanner.TokenStart()) != end || scanner.RangeState() != range) {
    Fail("NextToken after LineEnd moved", lineIndex);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool registered = (varnel::RegisterHtmlScannerModule(), true);
  (void)registered;
  if (size == 0) return 0;
  const std::intptr_t start = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  std::vector<std::string_view> lines;
  for (std::size_t from = 0;;) {
    const std::size_t lf = text.find('\n', from);
    lines.push_back(text.substr(from, lf == std::string_view::npos ? std::string_view::npos : lf - from));
    if (lf == std::string_view::npos) break;
    from = lf + 1;
  }

  THTMLScanner once;
  once.RestoreRange(start);
  std::vector<std::intptr_t> before(lines.size());
  std::vector<std::vector<std::size_t>> tokens(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    before[i] = once.RangeState();
    ScanChecked(once, lines[i], i, tokens[i]);
  }
  THTMLScanner again;
  for (std::size_t i = lines.size(); i-- > 0;) {
    again.RestoreRange(before[i]);
    std::vector<std::size_t> second;
    ScanChecked(again, lines[i], i, second);
    if (second != tokens[i]) Fail("restored scan differs from the one-pass scan", i);
  }

  THTMLScanner wide;
  THTMLScanner narrow;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::uint8_t code = data[(i * 131 + 1) % size];
    // High bits that differ from line to line, negative values included.
    const auto high = static_cast<std::uintptr_t>(i + 1) * static_cast<std::uintptr_t>(0x9E3779B97F4A7C15ull);
    wide.RestoreRange(static_cast<std::intptr_t>((high << 8) | code));
    narrow.RestoreRange(code);
    std::vector<std::size_t> fromWide;
    std::vector<std::size_t> fromNarrow;
    ScanChecked(wide, lines[i], i, fromWide);
    ScanChecked(narrow, lines[i], i, fromNarrow);
    if (fromWide != fromNarrow || wide.RangeState() != narrow.RangeState()) {
      Fail("RestoreRange looked past the low byte", i);
    }
    if (code != 0 && IsProducedRange(code) && (!IsProducedRange(narrow.RangeState()) || narrow.RangeState() == 0)) {
      Fail("line ended in a range the scanner never produces at a line end", i);
    }
  }
  return 0;
}

#pragma once
// The readable token trace shared by varnel_token_dump and the golden-file test:
// one line per token, "LINE:COLUMN Kind "text"", both counted from 1, and after
// each source line "LINE:COLUMN LineEnd <range at the end of the line>".
// Text is quoted with C escapes for the quote, the backslash and every byte
// outside 32 to 126, so a trace is plain ASCII.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scan/html_scanner.h"

namespace varnel::trace {

inline constexpr std::string_view KindNames[] = {
    "EscapeAmpersand", "Comment", "Identifier", "ReservedWord", "LineEnd",
    "Space",           "Symbol",  "Text",       "UnknownWord",  "Value",
};

inline std::string KindName(int kind) {
  if (kind >= 0 && kind < static_cast<int>(std::size(KindNames))) return std::string(KindNames[kind]);
  return "Kind" + std::to_string(kind);
}

inline std::string RangeName(std::intptr_t range) {
  switch (static_cast<THtmlRange>(static_cast<std::uint8_t>(range))) {
    case THtmlRange::AtCharRef: return "AtCharRef";
    case THtmlRange::InComment: return "InComment";
    case THtmlRange::TagNameNext: return "TagNameNext";
    case THtmlRange::InTag: return "InTag";
    case THtmlRange::InText: return "InText";
    case THtmlRange::ValueNext: return "ValueNext";
    case THtmlRange::InSingleQuoted: return "InSingleQuoted";
    case THtmlRange::InDoubleQuoted: return "InDoubleQuoted";
  }
  return "Range" + std::to_string(range & 0xFF);
}

inline std::string Quote(std::string_view text) {
  static constexpr char Hex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default:
        if (c >= 32 && c < 127) {
          out += ch;
        } else {
          out += "\\x";
          out += Hex[c >> 4];
          out += Hex[c & 15];
        }
    }
  }
  out += '"';
  return out;
}

// Splits at CR LF, a lone CR or a lone LF; a break at the very end starts no
// further line.
inline std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

// Scans `lines` from the start of a document.
inline std::string TraceTokens(THTMLScanner& scanner, const std::vector<std::string>& lines) {
  std::string out;
  scanner.ClearRange();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string prefix = std::to_string(i + 1) + ':';
    scanner.StartLine(lines[i], static_cast<int>(i + 1));
    for (; !scanner.LineDone(); scanner.NextToken()) {
      out += prefix + std::to_string(scanner.TokenStart() + 1) + ' ' + KindName(scanner.TokenKind()) + ' ' +
             Quote(scanner.TokenView()) + '\n';
    }
    out += prefix + std::to_string(scanner.TokenStart() + 1) + " LineEnd " + RangeName(scanner.RangeState()) + '\n';
  }
  return out;
}

}  // namespace varnel::trace

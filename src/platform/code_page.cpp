#include "platform/code_page.h"

namespace varnel {
namespace {

// 0x80..0x9F; every other byte is its own Latin-1 code point.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

TLeadByteSet g_leadBytes{};
bool g_hasLeadBytes = false;

void AppendUtf8(std::string& out, char32_t ch) {
  if (ch < 0x80) {
    out += static_cast<char>(ch);
  } else if (ch < 0x800) {
    out += static_cast<char>(0xC0 | (ch >> 6));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (ch >> 12));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  }
}

}  // namespace

char32_t Cp1252ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

unsigned char UnicodeToCp1252(char32_t ch) {
  if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return static_cast<unsigned char>(ch);
  for (unsigned i = 0; i < 32; ++i) {
    if (kHighControls[i] == ch) return static_cast<unsigned char>(0x80 + i);
  }
  return '?';
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8ToCp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || i + length > utf8.size()) {  // stray or cut sequence
      out += '?';
      ++i;
      continue;
    }
    char32_t ch = length == 1 ? lead : lead & (0xFFu >> (length + 1));
    bool valid = true;
    for (size_t k = 1; k < length; ++k) {
      const auto cont = static_cast<unsigned char>(utf8[i + k]);
      if ((cont & 0xC0) != 0x80) valid = false;
      ch = (ch << 6) | (cont & 0x3Fu);
    }
    if (!valid) {
      out += '?';
      ++i;
      continue;
    }
    out += static_cast<char>(UnicodeToCp1252(ch));
    i += length;
  }
  return out;
}

const TLeadByteSet& LeadBytes() { return g_leadBytes; }
bool HasLeadBytes() { return g_hasLeadBytes; }

void SetLeadBytes(const TLeadByteSet& set) {
  g_leadBytes = set;
  g_hasLeadBytes = false;
  for (bool lead : set) g_hasLeadBytes = g_hasLeadBytes || lead;
}

void ClearLeadBytes() { SetLeadBytes(TLeadByteSet{}); }

}  // namespace varnel

#pragma once
// The ANSI code page: Windows-1252, as a one-to-one map between the 256 byte
// values and characters, and the code page's lead-byte set.

#include <array>
#include <string>
#include <string_view>

namespace varnel {

// The character a byte stands for. The five positions that Windows-1252 leaves
// unassigned map to the C1 controls of the same value, so the map is a bijection.
char32_t Cp1252ToUnicode(unsigned char byte);

// The byte for a character, or '?' when Windows-1252 cannot hold it.
unsigned char UnicodeToCp1252(char32_t ch);

// Bytes to UTF-8 through the map above, and back ('?' for what cannot be held).
std::string Cp1252ToUtf8(std::string_view bytes);
std::string Utf8ToCp1252(std::string_view utf8);

// The lead bytes of double-byte characters. Windows-1252 has none; tests install
// a set to check the pair handling of the exporter.
using TLeadByteSet = std::array<bool, 256>;
const TLeadByteSet& LeadBytes();
bool HasLeadBytes();
inline bool IsLeadByte(unsigned char byte) { return LeadBytes()[byte]; }
void SetLeadBytes(const TLeadByteSet& set);
void ClearLeadBytes();

}  // namespace varnel

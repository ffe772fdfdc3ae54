#pragma once
// The table of known HTML tag names. The word after "<" is hashed into one of
// 251 slots by summing letter values; each slot holds at most four names,
// compared without regard to letter case. Opening names ("TABLE"), closing
// names with their slash ("/TABLE") and "!DOCTYPE" are separate entries.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace varnel {

enum class THtmlTokenKind : std::uint8_t;  // html_scanner.h

inline constexpr int TagNameSlotCount = 251;

// "A" to "Z" and "a" to "z" give 1 to 26, "/" 122, "!" 123, every other code 0.
// Filled once at program start (FillLetterValues) and only read afterwards.
extern const std::array<std::int32_t, 256>& LetterValue;
void FillLetterValues();

struct TTagNameHash {
  // A plain sum, kept in 64 bits so that no word is long enough to wrap it
  // back into the table.
  std::uint64_t Value;
  std::size_t Length;  // characters the hash took; the tag-name token's length
};

// Hashes the word at the start of `text`: the longest run of ASCII letters,
// "!" and "/" (their letter values), then the longest run of digits (their
// digit values). A word that starts with anything else has length 0 and hash 0.
TTagNameHash TagNameHash(std::string_view text);

// True when `word` spells `name`, letter case ignored.
bool TagNameEquals(std::string_view word, std::string_view name);

struct TTagNameClass {
  THtmlTokenKind Kind;  // ReservedWord, UnknownWord or Identifier
  std::size_t Length;
};

// ReservedWord for a name in the table, UnknownWord for one it does not hold
// (the empty word included), Identifier for a hash value of 251 or more.
TTagNameClass ClassifyTagName(std::string_view text);

// The names of one slot in the order they are compared; empty for an empty slot
// or a value outside 0 to 250.
std::span<const std::string_view> TagNamesInSlot(int hash);

}  // namespace varnel

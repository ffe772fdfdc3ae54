#include "scan/tag_names.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "scan/html_scanner.h"
#include "../tools/token_trace.h"

namespace varnel {
namespace {

class TagNames : public ::testing::Test {
 protected:
  void SetUp() override { RegisterHtmlScannerModule(); }
};

TEST_F(TagNames, EveryNameSitsInTheSlotOfItsHash) {
  int names = 0;
  int slots = 0;
  for (int hash = 0; hash < TagNameSlotCount; ++hash) {
    const auto slot = TagNamesInSlot(hash);
    if (slot.empty()) continue;
    ++slots;
    EXPECT_LE(slot.size(), 4u) << "slot " << hash;
    for (std::string_view name : slot) {
      SCOPED_TRACE(std::string(name));
      ++names;
      const TTagNameHash h = TagNameHash(name);
      EXPECT_EQ(h.Value, static_cast<std::uint64_t>(hash));
      EXPECT_EQ(h.Length, name.size());
      // Found again in either letter case.
      std::string lower(name);
      for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      EXPECT_EQ(ClassifyTagName(name).Kind, THtmlTokenKind::ReservedWord);
      EXPECT_EQ(ClassifyTagName(lower).Kind, THtmlTokenKind::ReservedWord);
    }
  }
  EXPECT_EQ(names, 202);
  EXPECT_EQ(slots, 137);
  EXPECT_TRUE(TagNamesInSlot(-1).empty());
  EXPECT_TRUE(TagNamesInSlot(TagNameSlotCount).empty());
}

TEST_F(TagNames, ClassifiesTheWordAtTheStart) {
  using enum THtmlTokenKind;
  struct Case {
    std::string_view text;
    THtmlTokenKind kind;
    std::size_t length;
    std::uint64_t hash;
  };
  const Case cases[] = {
      {"B", ReservedWord, 1, 2},
      {"b", ReservedWord, 1, 2},
      {"H1", ReservedWord, 2, 9},
      {"h1", ReservedWord, 2, 9},
      {"!doctype", ReservedWord, 8, 211},
      {"/Table", ReservedWord, 6, 162},
      {"LEGEND", ReservedWord, 6, 47},
      {"Var", ReservedWord, 3, 41},
      {"OBJECT", ReservedWord, 6, 55},
      {"/OPTGROUP", ReservedWord, 9, 250},  // the last slot
      {"H7", UnknownWord, 2, 15},           // an empty slot
      {"H10", UnknownWord, 3, 9},           // same hash as I and H1, spells neither
      {"br/", UnknownWord, 3, 142},
      {"/BR", UnknownWord, 3, 142},         // no closing form in the table
      {"/PLAINTEXT", UnknownWord, 10, 243}, // that slot holds only /BLOCKQUOTE
      {"/OPTGROUPA", Identifier, 10, 251},  // just above the table
      {"/noscripts", Identifier, 10, 255},
      {"123", UnknownWord, 3, 6},           // digits alone still make a word
      {"?xml", UnknownWord, 0, 0},
      {"", UnknownWord, 0, 0},
      {"-tag", UnknownWord, 0, 0},
      {"h1x", ReservedWord, 2, 9},          // digits end the word
      {"A1B", UnknownWord, 2, 2},
      {"my-tag", UnknownWord, 2, 38},
      {"TD>", ReservedWord, 2, 24},
      {std::string_view("b\0r", 3), ReservedWord, 1, 2},
      {"\xC9t\xE9", UnknownWord, 0, 0},      // letters outside ASCII are no name letters
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(trace::Quote(c.text));
    const TTagNameClass result = ClassifyTagName(c.text);
    EXPECT_EQ(result.Kind, c.kind);
    EXPECT_EQ(result.Length, c.length);
    EXPECT_EQ(TagNameHash(c.text).Value, c.hash);
  }
}

TEST_F(TagNames, ComparesLetterValuesOverTheWholeLength) {
  EXPECT_TRUE(TagNameEquals("tAbLe", "TABLE"));
  EXPECT_TRUE(TagNameEquals("/var", "/var"));
  EXPECT_FALSE(TagNameEquals("TABL", "TABLE"));
  EXPECT_FALSE(TagNameEquals("TABLES", "TABLE"));
  EXPECT_FALSE(TagNameEquals("TABLF", "TABLE"));
  EXPECT_FALSE(TagNameEquals("!A", "/A"));
}

TEST_F(TagNames, VeryLongWordsStayAboveTheTable) {
  // 34,918,434 times "!" sums to 2^32 + 86: a 32-bit sum would wrap into slot 86.
  const std::string huge(34'918'434, '!');
  const TTagNameClass result = ClassifyTagName(huge);
  EXPECT_EQ(result.Kind, THtmlTokenKind::Identifier);
  EXPECT_EQ(result.Length, huge.size());
}

}  // namespace
}  // namespace varnel

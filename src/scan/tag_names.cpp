#include "scan/tag_names.h"

#include "scan/html_scanner.h"

namespace varnel {
namespace {

std::array<std::int32_t, 256> letterValues{};

struct TTagSlot {
  int Hash;
  std::array<std::string_view, 4> Names;

  constexpr std::size_t Count() const {
    std::size_t count = 0;
    while (count < Names.size() && !Names[count].empty()) ++count;
    return count;
  }
};

// Each slot's names in the order they are compared. A few are stored in mixed
// case ("var", "LEGend", "object"); the comparison ignores case, so it does not
// matter.
constexpr TTagSlot TagSlots[] = {
    {1, {"A"}},
    {2, {"B"}},
    {8, {"DD"}},
    {9, {"I", "H1"}},
    {10, {"H2"}},
    {11, {"H3"}},
    {12, {"H4"}},
    {13, {"H5"}},
    {14, {"H6"}},
    {16, {"DL", "P"}},
    {17, {"KBD", "Q"}},
    {18, {"BIG", "EM", "HEAD"}},
    {19, {"S"}},
    {20, {"BR"}},
    {21, {"DEL", "LI", "U", "BDO"}},
    {23, {"ABBR"}},
    {24, {"DFN", "DT", "TD"}},
    {25, {"AREA"}},
    {26, {"HR"}},
    {27, {"BASE", "CODE", "OL"}},
    {28, {"TH"}},
    {29, {"EMBED", "IMG"}},
    {30, {"COL", "MAP"}},
    {31, {"DIR"}},
    {32, {"LABEL"}},
    {33, {"UL"}},
    {35, {"DIV"}},
    {37, {"CITE"}},
    {38, {"THEAD", "TR"}},
    {39, {"META", "PRE"}},
    {40, {"TABLE", "TT"}},
    {41, {"var"}},
    {42, {"INS", "SUB"}},
    {43, {"FRAME", "WBR"}},
    {46, {"BODY", "LINK"}},
    {47, {"LEGend"}},
    {48, {"BLINK"}},
    {49, {"NOBR", "PARAM", "SAMP"}},
    {50, {"SPAN"}},
    {52, {"FORM", "IFRAME"}},
    {53, {"HTML", "MENU", "XMP"}},
    {55, {"FONT", "object"}},
    {56, {"SUP"}},
    {57, {"SMALL"}},
    {58, {"NOEMBED"}},
    {61, {"LAYER"}},
    {62, {"SPACER"}},
    {64, {"SELECT"}},
    {65, {"CENTER"}},
    {66, {"TBODY", "TITLE"}},
    {67, {"KEYGEN"}},
    {70, {"ADDRESS", "APPLET", "ILAYER"}},
    {76, {"NEXTID", "TFOOT"}},
    {78, {"CAPTION"}},
    {80, {"FIELDSET", "INPUT", "MARQUEE"}},
    {81, {"STYLE"}},
    {82, {"BASEFONT", "BGSOUND", "STRIKE"}},
    {83, {"COMMENT"}},
    {84, {"ISINDEX"}},
    {85, {"SCRIPT"}},
    {87, {"SERVER", "FRAMESET"}},
    {89, {"ACRONYM", "OPTION"}},
    {90, {"LISTING", "NOLAYER"}},
    {91, {"NOFRAMES"}},
    {92, {"BUTTON"}},
    {93, {"STRONG"}},
    {94, {"TEXTAREA"}},
    {105, {"MULTICOL"}},
    {107, {"COLGROUP"}},
    {114, {"NOSCRIPT"}},
    {121, {"BLOCKQUOTE", "PLAINTEXT"}},
    {123, {"/A"}},
    {124, {"/B"}},
    {128, {"OPTGROUP"}},
    {130, {"/DD"}},
    {131, {"/I", "/H1"}},
    {132, {"/H2"}},
    {133, {"/H3"}},
    {134, {"/H4"}},
    {135, {"/H5"}},
    {136, {"/H6"}},
    {138, {"/DL", "/P"}},
    {139, {"/KBD", "/Q"}},
    {140, {"/BIG", "/EM", "/HEAD"}},
    {141, {"/S"}},
    {143, {"/DEL", "/LI", "/U", "/BDO"}},
    {145, {"/ABBR"}},
    {146, {"/DFN", "/DT", "/TD"}},
    {149, {"/CODE", "/OL"}},
    {150, {"/TH"}},
    {151, {"/EMBED"}},
    {152, {"/MAP"}},
    {153, {"/DIR"}},
    {154, {"/LABEL"}},
    {155, {"/UL"}},
    {157, {"/DIV"}},
    {159, {"/CITE"}},
    {160, {"/THEAD", "/TR"}},
    {161, {"/PRE"}},
    {162, {"/TABLE", "/TT"}},
    {163, {"/var"}},
    {164, {"/INS", "/SUB"}},
    {168, {"/BODY"}},
    {169, {"/LEGend"}},
    {170, {"/BLINK"}},
    {171, {"/NOBR", "/SAMP"}},
    {172, {"/SPAN"}},
    {174, {"/FORM", "/IFRAME"}},
    {175, {"/HTML", "/MENU", "/XMP"}},
    {177, {"/FONT", "/object"}},
    {178, {"/SUP"}},
    {179, {"/SMALL"}},
    {180, {"/NOEMBED"}},
    {183, {"/LAYER"}},
    {186, {"/SELECT"}},
    {187, {"/CENTER"}},
    {188, {"/TBODY", "/TITLE"}},
    {192, {"/ADDRESS", "/APPLET", "/ILAYER"}},
    {198, {"/TFOOT"}},
    {200, {"/CAPTION"}},
    {202, {"/FIELDSET", "/MARQUEE"}},
    {203, {"/STYLE"}},
    {204, {"/STRIKE"}},
    {205, {"/COMMENT"}},
    {207, {"/SCRIPT"}},
    {209, {"/FRAMESET", "/SERVER"}},
    {211, {"/ACRONYM", "/OPTION", "!DOCTYPE"}},
    {212, {"/LISTING", "/NOLAYER"}},
    {213, {"/NOFRAMES"}},
    {214, {"/BUTTON"}},
    {215, {"/STRONG"}},
    {216, {"/TEXTAREA"}},
    {227, {"/MULTICOL"}},
    {229, {"/COLGROUP"}},
    {236, {"/NOSCRIPT"}},
    {243, {"/BLOCKQUOTE"}},
    {250, {"/OPTGROUP"}},
};

constexpr auto SlotRow = [] {
  std::array<std::int16_t, TagNameSlotCount> row{};
  row.fill(-1);
  for (std::size_t i = 0; i < std::size(TagSlots); ++i) {
    row[static_cast<std::size_t>(TagSlots[i].Hash)] = static_cast<std::int16_t>(i);
  }
  return row;
}();

constexpr bool IsNameLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '!' || c == '/';
}

constexpr bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Runs before main, so that scanners created during static initialisation
// elsewhere still classify names; FillLetterValues writes the same values again.
[[maybe_unused]] const bool letterValuesFilled = (FillLetterValues(), true);

}  // namespace

const std::array<std::int32_t, 256>& LetterValue = letterValues;

void FillLetterValues() {
  letterValues.fill(0);
  for (int i = 0; i < 26; ++i) {
    letterValues[static_cast<std::size_t>('A' + i)] = i + 1;
    letterValues[static_cast<std::size_t>('a' + i)] = i + 1;
  }
  letterValues['/'] = 122;
  letterValues['!'] = 123;
}

TTagNameHash TagNameHash(std::string_view text) {
  std::uint64_t sum = 0;
  std::size_t i = 0;
  const std::size_t size = text.size();
  while (i < size && IsNameLetter(static_cast<unsigned char>(text[i]))) {
    sum += static_cast<std::uint64_t>(letterValues[static_cast<unsigned char>(text[i])]);
    ++i;
  }
  while (i < size && IsDigit(static_cast<unsigned char>(text[i]))) {
    sum += static_cast<std::uint64_t>(text[i] - '0');
    ++i;
  }
  return {sum, i};
}

bool TagNameEquals(std::string_view word, std::string_view name) {
  if (word.size() != name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (letterValues[static_cast<unsigned char>(name[i])] !=
        letterValues[static_cast<unsigned char>(word[i])]) {
      return false;
    }
  }
  return true;
}

TTagNameClass ClassifyTagName(std::string_view text) {
  const TTagNameHash hash = TagNameHash(text);
  if (hash.Value >= TagNameSlotCount) return {THtmlTokenKind::Identifier, hash.Length};
  const std::string_view word = text.substr(0, hash.Length);
  for (std::string_view name : TagNamesInSlot(static_cast<int>(hash.Value))) {
    if (TagNameEquals(word, name)) return {THtmlTokenKind::ReservedWord, hash.Length};
  }
  return {THtmlTokenKind::UnknownWord, hash.Length};
}

std::span<const std::string_view> TagNamesInSlot(int hash) {
  if (hash < 0 || hash >= TagNameSlotCount) return {};
  const int row = SlotRow[static_cast<std::size_t>(hash)];
  if (row < 0) return {};
  const TTagSlot& slot = TagSlots[row];
  return {slot.Names.data(), slot.Count()};
}

}  // namespace varnel

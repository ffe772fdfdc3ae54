#include <gtest/gtest.h>

#include <set>

#include "platform/clipboard.h"
#include "platform/code_page.h"
#include "platform/colors.h"
#include "platform/errors.h"
#include "platform/in_process_clipboard.h"

namespace varnel {
namespace {

TEST(CodePage, EveryByteSurvivesTheTripThroughCharacters) {
  std::set<char32_t> seen;
  std::string all;
  for (int b = 0; b < 256; ++b) {
    const char32_t ch = Cp1252ToUnicode(static_cast<unsigned char>(b));
    EXPECT_TRUE(seen.insert(ch).second) << "two bytes map to U+" << std::hex << static_cast<std::uint32_t>(ch);
    EXPECT_EQ(UnicodeToCp1252(ch), b);
    all += static_cast<char>(b);
  }
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  EXPECT_EQ(static_cast<std::uint32_t>(Cp1252ToUnicode(0x80)), 0x20ACu);
  EXPECT_EQ(static_cast<std::uint32_t>(Cp1252ToUnicode(0x99)), 0x2122u);
  EXPECT_EQ(static_cast<std::uint32_t>(Cp1252ToUnicode(0x81)), 0x0081u);
  // Characters Windows-1252 cannot hold, and broken UTF-8, become "?".
  EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC \xE4\xB8\xAD \xC3"), "\x80 ? ?");
}

TEST(Colors, SystemColoursConvertAndOthersStay) {
  EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFF);
  EXPECT_EQ(ColorToRGB(clWindowText), 0x000000);
  EXPECT_EQ(ColorToRGB(clNone), clNone);
  EXPECT_EQ(ColorToRGB(RGB(0x80, 0x00, 0xFF)), 0xFF0080);
}

TEST(Clipboard, RegisteredFormatsGetOneIdPerName) {
  const TClipFormat html = RegisterClipboardFormat("HTML Format");
  EXPECT_GE(html, 0xC000u);
  EXPECT_EQ(RegisterClipboardFormat("HTML Format"), html);
  EXPECT_EQ(RegisterClipboardFormat("html format"), html);
  const TClipFormat other = RegisterClipboardFormat("Another Format");
  EXPECT_NE(other, html);
  EXPECT_EQ(ClipboardFormatName(html), "HTML Format");
  EXPECT_EQ(ClipboardFormatName(CF_TEXT), "");
}

TEST(Clipboard, InProcessClipboardHoldsFormatsUntilEmptied) {
  TInProcessClipboard clipboard;
  ReplaceClipboard(clipboard, CF_TEXT, MakeClipBytes("one"));
  EXPECT_TRUE(clipboard.HasFormat(CF_TEXT));
  EXPECT_EQ(*clipboard.GetData(CF_TEXT), "one");
  ReplaceClipboard(clipboard, 0xC000, MakeClipBytes("two"));
  EXPECT_FALSE(clipboard.HasFormat(CF_TEXT));
  EXPECT_EQ(clipboard.GetData(CF_TEXT), nullptr);
  clipboard.SetUnreachable(true);
  try {
    ReplaceClipboard(clipboard, CF_TEXT, MakeClipBytes("three"));
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Cannot open clipboard");
  }
}

}  // namespace
}  // namespace varnel

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/clipboard.h"
#include "platform/code_page.h"
#include "platform/colors.h"
#include "platform/errors.h"
#include "platform/in_process_clipboard.h"
#include "platform/large_block.h"

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

TEST(LargeBlock, RequestsWholeHugePagesForLargeBlocksOnly) {
  constexpr size_t kHuge = size_t{2} << 20;
  const size_t sizes[] = {0, 1, 4096, kLargeBlockMinimum - 1, kLargeBlockMinimum, kHuge - 65, kHuge - 64,
                          kHuge - 63, kHuge, 3 * kHuge + 1, size_t{700} << 20};
  for (const size_t size : sizes) {
    SCOPED_TRACE(size);
    const size_t request = LargeBlockRequest(size);
    if (size < kLargeBlockMinimum) {
      EXPECT_EQ(request, size);
      continue;
    }
    EXPECT_GE(request, size);
    EXPECT_LT(request - size, kHuge);
    // With the allocator's 64 bytes the mapping is a whole number of huge pages.
    EXPECT_EQ((request + 64) % kHuge, 0u);
  }
}

TEST(LargeBlock, AdviceKeepsWhatTheBlockHolds) {
  // Advice may rebuild the pages already written; their bytes must stay.
  for (const size_t size : {size_t{4096}, size_t{3} << 20, (size_t{5} << 20) + 123}) {
    SCOPED_TRACE(size);
    std::string block;
    block.reserve(LargeBlockRequest(size + 1) - 1);
    block.resize(size);
    for (size_t i = 0; i < size; ++i) block[i] = static_cast<char>(i * 7 + i / 4096);
    AdviseLargeBlock(block.data(), block.capacity());
    bool same = true;
    for (size_t i = 0; i < size && same; ++i) same = block[i] == static_cast<char>(i * 7 + i / 4096);
    EXPECT_TRUE(same);
    block.append(100, 'z');
    EXPECT_EQ(block.substr(size), std::string(100, 'z'));
  }
}

}  // namespace
}  // namespace varnel

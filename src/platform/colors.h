#pragma once
// Colour values and font styles as the design stores them.

#include <cstdint>
#include <string>

namespace varnel {

// A literal colour is 0x00BBGGRR; a value whose high byte is 0xFF is a system
// colour whose index is the low byte; clNone means "no colour set".
using TColor = std::int32_t;

inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clWindow = static_cast<TColor>(0xFF000005u);
inline constexpr TColor clWindowText = static_cast<TColor>(0xFF000008u);
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;

// A literal from red, green and blue.
constexpr TColor RGB(unsigned red, unsigned green, unsigned blue) {
  return static_cast<TColor>((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16);
}

// Replaces a system colour by its current value; every other value, clNone
// included, stays as it is. The values are fixed so that the same input always
// gives the same page: clWindow is white and clWindowText black on every machine.
TColor ColorToRGB(TColor color);

// Font styles: one byte of flags.
using TFontStyles = std::uint8_t;
inline constexpr TFontStyles fsBold = 1;
inline constexpr TFontStyles fsItalic = 2;
inline constexpr TFontStyles fsUnderline = 4;
inline constexpr TFontStyles fsStrikeOut = 8;

// A font as the exporter keeps it.
struct TFont {
  std::string Name = "Courier New";
  int Size = 10;  // points
  TColor Color = clWindowText;
  TFontStyles Style = 0;

  bool operator==(const TFont&) const = default;
};

}  // namespace varnel

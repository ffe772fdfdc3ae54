#include "app/gui/byte_text.h"

#include <array>

#include "platform/code_page.h"

namespace varnel {
namespace {

const std::array<char16_t, 256>& CharOfByte() {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> chars{};
    for (unsigned b = 0; b < 256; ++b) chars[b] = static_cast<char16_t>(Cp1252ToUnicode(static_cast<unsigned char>(b)));
    return chars;
  }();
  return table;
}

}  // namespace

QString BytesToQString(std::string_view bytes) {
  const auto& chars = CharOfByte();
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  QChar* out = text.data();
  for (char c : bytes) *out++ = QChar(chars[static_cast<unsigned char>(c)]);
  return text;
}

std::string QStringToBytes(const QString& text) {
  std::string bytes;
  bytes.reserve(static_cast<size_t>(text.size()));
  for (QChar ch : text) {
    const char16_t unit = ch.unicode();
    // Latin-1 apart from 0x80-0x9F maps to itself; surrogates cannot be held.
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
      bytes += static_cast<char>(unit);
    } else {
      bytes += static_cast<char>(ch.isSurrogate() ? '?' : UnicodeToCp1252(unit));
    }
  }
  return bytes;
}

}  // namespace varnel

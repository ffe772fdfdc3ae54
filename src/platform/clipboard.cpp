#include "platform/clipboard.h"

#include <algorithm>
#include <vector>

namespace varnel {
namespace {

constexpr TClipFormat kFirstRegisteredFormat = 0xC000;

std::vector<std::string>& RegisteredNames() {
  static std::vector<std::string> names;
  return names;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

TClipFormat RegisterClipboardFormat(std::string_view name) {
  auto& names = RegisteredNames();
  for (size_t i = 0; i < names.size(); ++i) {
    if (SameNameIgnoringCase(names[i], name)) return kFirstRegisteredFormat + static_cast<TClipFormat>(i);
  }
  names.emplace_back(name);
  return kFirstRegisteredFormat + static_cast<TClipFormat>(names.size() - 1);
}

std::string ClipboardFormatName(TClipFormat format) {
  const auto& names = RegisteredNames();
  if (format < kFirstRegisteredFormat || format - kFirstRegisteredFormat >= names.size()) return {};
  return names[format - kFirstRegisteredFormat];
}

void ReplaceClipboard(TClipboard& clipboard, TClipFormat format, TClipBytes bytes) {
  TClipboardOpener open(clipboard);
  clipboard.Clear();
  clipboard.SetData(format, std::move(bytes));
}

}  // namespace varnel

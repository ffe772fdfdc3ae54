#pragma once
// Bytes meet characters here and nowhere else: each byte is its Windows-1252
// character (the unassigned positions are the C1 controls of the same value),
// so every byte survives a trip through a widget or the desktop clipboard.

#include <QString>
#include <string>
#include <string_view>

namespace varnel {

QString BytesToQString(std::string_view bytes);
// Characters Windows-1252 cannot hold become "?".
std::string QStringToBytes(const QString& text);

}  // namespace varnel

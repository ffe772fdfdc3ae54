#include "platform/in_process_clipboard.h"

#include <cassert>

#include "platform/errors.h"

namespace varnel {

void TInProcessClipboard::Open() {
  if (unreachable_ || open_) throw Exception("Cannot open clipboard");
  open_ = true;
}

void TInProcessClipboard::Close() { open_ = false; }

void TInProcessClipboard::Clear() {
  assert(open_);
  formats_.clear();
}

void TInProcessClipboard::SetData(TClipFormat format, TClipBytes bytes) {
  assert(open_);
  if (refusesData_) throw Exception("The clipboard refused the data");
  formats_[format] = std::move(bytes);
}

bool TInProcessClipboard::HasFormat(TClipFormat format) {
  return !unreachable_ && formats_.count(format) != 0;
}

TClipBytes TInProcessClipboard::GetData(TClipFormat format) {
  if (unreachable_) return nullptr;
  auto it = formats_.find(format);
  return it == formats_.end() ? nullptr : it->second;
}

}  // namespace varnel

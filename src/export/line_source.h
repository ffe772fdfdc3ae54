#pragma once
// A list of text lines, as the exporter reads it.

#include <string_view>

namespace varnel {

class TLineSource {
 public:
  virtual ~TLineSource() = default;
  virtual int LineCount() const = 0;
  // The line at a 0-based index; empty outside the list. The view stays valid
  // until the list changes.
  virtual std::string_view LineAt(int index) const = 0;
};

}  // namespace varnel

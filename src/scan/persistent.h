#pragma once
// The root of objects that can be copied from one another and that name their
// class at run time (the class name feeds the exporter's style class names).

#include <string_view>

namespace varnel {

class TPersistent {
 public:
  TPersistent() = default;
  virtual ~TPersistent() = default;
  TPersistent(const TPersistent&) = delete;
  TPersistent& operator=(const TPersistent&) = delete;

  virtual std::string_view ClassName() const = 0;

  // Copies the source into this object. The root copies nothing: it fails with
  // "Cannot assign a <source class or nil> to a <this class>".
  virtual void CopyFrom(const TPersistent* source);
};

// A subscriber: a plain callback and the context it was registered with. Two
// entries are the same subscriber when both parts are equal.
struct TNotifyEvent {
  void (*Code)(void* context, TPersistent* sender) = nullptr;
  void* Context = nullptr;

  explicit operator bool() const { return Code != nullptr; }
  void operator()(TPersistent* sender) const { Code(Context, sender); }
  bool operator==(const TNotifyEvent&) const = default;
};

}  // namespace varnel

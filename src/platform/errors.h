#pragma once
// Failures of the core. Every failure carries the message text that users see;
// the silent abort stands apart so that no handler can show it by accident.

#include <stdexcept>
#include <string>

namespace varnel {

// A failure with a message for the user.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// Raised by the editor's clipboard operations.
class EEditorError : public Exception {
 public:
  using Exception::Exception;
};

// Raised by the line store for an index outside its lines.
class ELineStore : public Exception {
 public:
  using Exception::Exception;
};

// Raised by the sorted attribute list for a duplicate name.
class EStringListError : public Exception {
 public:
  using Exception::Exception;
};

// Raised when an object is copied from one of another kind.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// Raised when a buffer or clipboard block cannot be had.
class EOutOfMemory : public Exception {
 public:
  using Exception::Exception;
};

// Ends the current operation without any message. Deliberately not an Exception:
// handlers that report failures never see it.
class EAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

}  // namespace varnel

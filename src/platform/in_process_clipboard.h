#pragma once
// A clipboard that lives inside the process: used where no desktop clipboard can
// be reached (unattended runs on a headless machine) and by tests, which can
// also make it unreachable or make it refuse data.

#include <map>

#include "platform/clipboard.h"

namespace varnel {

class TInProcessClipboard final : public TClipboard {
 public:
  void Open() override;
  void Close() override;
  void Clear() override;
  void SetData(TClipFormat format, TClipBytes bytes) override;
  bool HasFormat(TClipFormat format) override;
  TClipBytes GetData(TClipFormat format) override;

  // Failure injection for tests.
  void SetUnreachable(bool unreachable) { unreachable_ = unreachable; }
  void SetRefusesData(bool refuses) { refusesData_ = refuses; }

  bool IsOpen() const { return open_; }

 private:
  std::map<TClipFormat, TClipBytes> formats_;
  bool open_ = false;
  bool unreachable_ = false;
  bool refusesData_ = false;
};

}  // namespace varnel

#pragma once
// The desktop clipboard through Qt. Plain text goes out as characters, so every
// program pastes it; registered formats travel under MIME types of our own:
//   "Code Editor Block Type"  application/x-varnel-editor-block
//   any other name            application/x-varnel-format-<name, lower case, blanks as hyphens>
// Between Open and Close the formats set are collected and handed to the
// desktop in one piece when the clipboard is closed.

#include <QString>
#include <memory>

#include "platform/clipboard.h"

class QMimeData;

namespace varnel {

// The MIME type a format travels under; empty for plain text.
QString MimeTypeOfFormat(TClipFormat format);

class TQtClipboard final : public TClipboard {
 public:
  TQtClipboard();
  ~TQtClipboard() override;

  void Open() override;
  void Close() override;
  void Clear() override;
  void SetData(TClipFormat format, TClipBytes bytes) override;
  bool HasFormat(TClipFormat format) override;
  TClipBytes GetData(TClipFormat format) override;

 private:
  bool open_ = false;
  std::unique_ptr<QMimeData> pending_;  // what Close hands over, when anything was set
};

}  // namespace varnel

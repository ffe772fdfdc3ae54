#include "app/convert.h"

#include "platform/errors.h"

namespace varnel {

void Convert(const TConvertParts& parts) {
  const auto showPreview = [&](bool visible) {
    if (parts.showPreview) parts.showPreview(visible);
  };
  parts.output.ClearEditor();
  parts.exporter.SetTitle(kConvertTitle);
  parts.exporter.SetAsPlainText(true);
  parts.exporter.SetHighlighter(&parts.scanner);
  try {
    parts.exporter.ExportAllLines(&parts.source.Lines());
  } catch (const EAbort&) {
    showPreview(false);
    throw;
  }
  parts.exporter.PutOnClipboard(parts.clipboard);
  parts.output.PasteBlock(parts.exporter.SharedOutput());
  showPreview(true);
  // The output holds text unless it is no line or one empty line, the same
  // test as an empty WholeText without building the whole text.
  const TLineStore& lines = parts.output.Lines();
  if (lines.LineCount() == 0 || (lines.LineCount() == 1 && lines.LineAt(0).empty())) showPreview(false);
}

}  // namespace varnel

#pragma once
// Convert: the one conversion step, shared by the unattended run and the window.

#include <functional>

#include "export/html_exporter.h"
#include "platform/clipboard.h"
#include "scan/scanner_base.h"
#include "text/editor_model.h"

namespace varnel {

// The title Convert gives the page.
inline constexpr const char* kConvertTitle = "Source file exported to clipboard (as text)";

struct TConvertParts {
  TEditorModel& source;
  TEditorModel& output;
  TExporterHTML& exporter;
  TCustomScanner& scanner;  // the output editor's scanner
  TClipboard& clipboard;
  // Shows or hides the Preview button; may be empty.
  std::function<void(bool)> showPreview;
};

// Exports the source editor's lines as a page, puts the page on the clipboard
// as plain text and into the cleared output editor. The output editor receives
// exactly the page put on the clipboard, never what another program may have
// written there meanwhile. An empty source ends with EAbort, the clipboard
// untouched, the output editor empty and the Preview button hidden.
void Convert(const TConvertParts& parts);

}  // namespace varnel

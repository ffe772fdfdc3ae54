#include "app/startup.h"

#include "platform/clipboard.h"
#include "scan/html_scanner.h"
#include "text/editor_model.h"

namespace varnel {

void InitialiseVarnel() {
  RegisterHtmlScannerModule();
  EditorBlockFormat();
  RegisterClipboardFormat("HTML Format");
}

}  // namespace varnel

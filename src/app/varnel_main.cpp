// The program's entry: the unattended conversion with arguments.

#include <iostream>

#include "app/batch_run.h"
#include "app/system_clipboard.h"
#include "scan/html_scanner.h"
#include "text/editor_model.h"

namespace {

constexpr const char* kUsage =
    "Usage: varnel INPUT [OUTPUT]\n"
    "Converts the text file INPUT into an XHTML page written to OUTPUT, and\n"
    "leaves the page on the clipboard. With INPUT alone, the page goes to the\n"
    "clipboard only.\n"
    "\n"
    "  --help     show this text\n"
    "  --version  show the version\n";

}  // namespace

int main(int argc, char** argv) {
  // Set up once, before anything else: the tag-name table, the scanner kind and
  // the editor's private clipboard format.
  varnel::RegisterHtmlScannerModule();
  varnel::EditorBlockFormat();

  const varnel::TArguments arguments(argv + 1, argv + argc);
  if (!arguments.empty() && arguments[0] == "--help") {
    std::cout << kUsage;
    return 0;
  }
  if (!arguments.empty() && arguments[0] == "--version") {
    std::cout << "Varnel 2.0\n";
    return 0;
  }
  if (!varnel::IsBatchRun(arguments)) {
    // A first argument of blanks alone ends the program at once.
    if (arguments.empty()) std::cout << kUsage;
    return 0;
  }
  const auto clipboard = varnel::MakeUnattendedClipboard();
  return varnel::RunBatch(arguments, *clipboard, std::cerr);
}

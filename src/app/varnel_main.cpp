// The program's entry: the window without arguments, the unattended conversion
// with them.

#include <iostream>

#include "app/batch_run.h"
#include "app/gui_module.h"
#include "app/startup.h"
#include "app/system_clipboard.h"

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
  varnel::InitialiseVarnel();

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
    if (!arguments.empty()) return 0;
    if (const auto runWindow = reinterpret_cast<VarnelRunWindow>(varnel::FindGuiFunction("varnel_run_window"))) {
      return runWindow(argc, argv);
    }
    std::cout << kUsage;
    return 0;
  }
  const auto clipboard = varnel::MakeUnattendedClipboard();
  return varnel::RunBatch(arguments, *clipboard, std::cerr);
}

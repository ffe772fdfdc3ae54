// The entry points the program looks up in the window module.

#include "app/gui_module.h"

#include <QGuiApplication>
#include <memory>

#include "app/gui/qt_clipboard.h"
#include "app/startup.h"

#define VARNEL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::unique_ptr<QGuiApplication> g_clipboardApplication;
int g_argc = 1;
char g_programName[] = "varnel";
char* g_argv[] = {g_programName, nullptr};

}  // namespace

VARNEL_EXPORT varnel::TClipboard* varnel_open_system_clipboard() {
  varnel::InitialiseVarnel();  // the module's own tables
  if (!QCoreApplication::instance()) {
    g_clipboardApplication = std::make_unique<QGuiApplication>(g_argc, g_argv);
  }
  return new varnel::TQtClipboard();
}

VARNEL_EXPORT void varnel_close_system_clipboard(varnel::TClipboard* clipboard) {
  delete clipboard;
  g_clipboardApplication.reset();
}

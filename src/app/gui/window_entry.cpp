// The program's window: the entry the program looks up in the window module.

#include <QApplication>
#include <type_traits>

#include "app/gui/code_editor.h"
#include "app/gui/main_window.h"
#include "app/gui/preview_window.h"
#include "app/gui/qt_clipboard.h"
#include "app/gui_module.h"
#include "app/startup.h"

#define VARNEL_EXPORT extern "C" __attribute__((visibility("default")))

VARNEL_EXPORT int varnel_run_window(int argc, char** argv) {
  varnel::InitialiseVarnel();  // the module's own tables
  // Any argument that did not start a conversion (blanks only) ends the
  // program at once, before a window shows.
  if (argc > 1) return 0;
  varnel::PrepareWebEngine();

  int qtArgc = argc;
  QApplication application(qtArgc, argv);
  QApplication::setApplicationName(QStringLiteral("Varnel"));
  varnel::SelectIconTheme();

  varnel::TQtClipboard clipboard;
  varnel::TForm1 form1(clipboard);
  varnel::TForm3 form3(&form1);
  form3.SetTextSource([&form1] { return form1.CodeEditor3()->WholeText(); });
  form1.SetPreviewAction([&form3] { form3.exec(); });
  form1.show();
  return QApplication::exec();
}

// The program calls it through this type.
static_assert(std::is_same_v<decltype(&varnel_run_window), VarnelRunWindow>);

// The preview of the converted sample in a real X server, saved as a picture
// for review. Nothing is asserted about the pixels.

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

#include "app/convert.h"
#include "app/gui/preview_window.h"
#include "app/startup.h"
#include "platform/in_process_clipboard.h"
#include "scan/html_scanner.h"

namespace varnel {

class PreviewX11Test : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void screenshotOfTheSample() {
    THTMLScanner scanner;
    TExporterHTML exporter;
    TEditorModel input;
    TEditorModel output;
    TInProcessClipboard clipboard;
    input.Lines().LoadFile(VARNEL_SAMPLE);
    Convert(TConvertParts{input, output, exporter, scanner, clipboard, {}});

    TForm3 form;
    form.SetTextSource([&] { return output.Lines().WholeText(); });
    form.show();
    QWebEngineView* view = form.WebBrowser1();
    QVERIFY(view);
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    QVERIFY(loaded.wait(30000));
    QVERIFY(loaded.first().first().toBool());
    QTest::qWait(1500);  // let the page paint before the picture is taken

    QDir().mkpath(VARNEL_SCREENSHOT_DIR);
    const QString file = QString(VARNEL_SCREENSHOT_DIR) + "/preview.png";
    const QPixmap picture = form.screen()->grabWindow(form.winId());
    QVERIFY(!picture.isNull());
    QVERIFY(picture.save(file));
    qInfo("Saved %s", qPrintable(file));
  }
};

}  // namespace varnel

int main(int argc, char** argv) {
  varnel::PrepareWebEngine();
  QApplication application(argc, argv);
  varnel::InitialiseVarnel();
  varnel::PreviewX11Test test;
  return QTest::qExec(&test, argc, argv);
}

#include "preview_x11_test.moc"

// The preview window: the bytes handed to the web view, and what the view makes
// of them. Runs offscreen: the web engine renders without a display.

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "app/convert.h"
#include "app/gui/preview_window.h"
#include "app/startup.h"
#include "platform/in_process_clipboard.h"
#include "scan/html_scanner.h"

namespace varnel {
namespace {

// Runs a script in the page and waits for its result.
QVariant RunScript(QWebEnginePage* page, const QString& script) {
  QVariant result;
  bool done = false;
  page->runJavaScript(script, [&](const QVariant& value) {
    result = value;
    done = true;
  });
  if (!QTest::qWaitFor([&] { return done; }, 20000)) return QStringLiteral("(no answer)");
  return result;
}

// The page Convert makes of the given source lines.
std::string ConvertedPage(std::string source) {
  THTMLScanner scanner;
  TExporterHTML exporter;
  TEditorModel input;
  TEditorModel output;
  TInProcessClipboard clipboard;
  input.InsertAtCaret(source);
  Convert(TConvertParts{input, output, exporter, scanner, clipboard, {}});
  return output.Lines().WholeText();
}

}  // namespace

class PreviewTest : public QObject {
  Q_OBJECT

 private:
  // Shows the window and waits until the page (not the blank one) has loaded;
  // returns the milliseconds that took, or -1 when it never did.
  static qint64 ShowAndWait(TForm3& form) {
    QElapsedTimer clock;
    clock.start();
    form.show();
    QWebEngineView* view = form.WebBrowser1();
    if (!view || view->url().scheme() != QLatin1String("varnel-preview")) return -1;
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    if (!loaded.wait(30000)) return -1;
    return clock.elapsed();
  }

 private Q_SLOTS:
  void bytesHandedOver_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("lines joined") << QByteArray("a\r\nb") << QByteArray("a\r\nb\r\n");
    QTest::newRow("every break") << QByteArray("a\rb\nc\r\nd") << QByteArray("a\r\nb\r\nc\r\nd\r\n");
    QTest::newRow("empty last line") << QByteArray("a\r\n") << QByteArray("a\r\n\r\n");
    QTest::newRow("NUL ends the text") << QByteArray("x\0y\r\nz", 6) << QByteArray("x\r\n");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("bytes unchanged") << QByteArray("\x80\xE9\x81") << QByteArray("\x80\xE9\x81\r\n");
  }
  void bytesHandedOver() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(PreviewBytes(std::string_view(text.constData(), static_cast<size_t>(text.size()))), bytes);
  }

  void showsTheConvertedPage() {
    std::string text = ConvertedPage("caf\xE9 \x80 <b>bold</b>");
    TForm3 form;
    form.SetTextSource([&] { return text; });
    QVERIFY(form.windowTitle() == "Preview Window");
    const qint64 small = ShowAndWait(form);
    QVERIFY(small >= 0);
    qInfo("Preview of a small page shown in %lld ms", small);
    QWebEnginePage* page = form.WebBrowser1()->page();
    QCOMPARE(form.LastPageBytes(), PreviewBytes(text));
    QCOMPARE(RunScript(page, "document.characterSet").toString(), QString("windows-1252"));
    QCOMPARE(RunScript(page, "document.querySelector('.html1-text').textContent").toString(),
             QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC "));
    QCOMPARE(RunScript(page, "document.querySelector('.html1-reservedword').textContent").toString(),
             QString("b"));

    // An edit shows on the next showing.
    form.hide();
    text = ConvertedPage("edited");
    QVERIFY(ShowAndWait(form) >= 0);
    QCOMPARE(RunScript(form.WebBrowser1()->page(), "document.querySelector('code').textContent.trim()").toString(),
             QString("edited"));

    // An output emptied by hand previews as an empty page.
    form.hide();
    text.clear();
    QVERIFY(ShowAndWait(form) >= 0);
    QCOMPARE(form.LastPageBytes(), QByteArray());
    QCOMPARE(RunScript(form.WebBrowser1()->page(), "document.body ? document.body.textContent : ''").toString(),
             QString());
  }

  void loadsALargePage() {
    constexpr int kLines = 9000;  // about 3 MB of page
    std::string source;
    for (int i = 0; i < kLines; ++i) source += "<p class=\"x\">A line of text &amp; mark-up</p>\r\n";
    const std::string text = ConvertedPage(source);
    QVERIFY(text.size() > 3'000'000);
    TForm3 form;
    form.SetTextSource([&] { return text; });
    const qint64 large = ShowAndWait(form);
    QVERIFY(large >= 0);
    qInfo("Preview of a %zu-byte page shown in %lld ms", text.size(), large);
    QCOMPARE(form.LastPageBytes().size(), static_cast<qsizetype>(PreviewBytes(text).size()));
    const int paragraphs = RunScript(form.WebBrowser1()->page(),
                                     "document.querySelectorAll('.html1-reservedword').length").toInt();
    QCOMPARE(paragraphs, 2 * kLines);
  }

  void okClosesTheWindow() {
    TForm3 form;
    form.SetTextSource([] { return std::string("<p>x</p>"); });
    QVERIFY(ShowAndWait(form) >= 0);
    auto* ok = form.findChild<QPushButton*>("BitBtn1");
    QVERIFY(ok);
    QCOMPARE(ok->text(), QString("OK"));
    QVERIFY(ok->isDefault());
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Accepted));
  }
};

}  // namespace varnel

int main(int argc, char** argv) {
  varnel::PrepareWebEngine();
  QApplication application(argc, argv);
  varnel::InitialiseVarnel();
  varnel::PreviewTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "preview_test.moc"

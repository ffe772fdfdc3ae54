// The desktop clipboard between Varnel and another program, on a real X
// server: what Varnel copies, xclip reads, and what xclip offers, Varnel pastes.

#include <QApplication>
#include <QClipboard>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include "app/gui/code_editor.h"
#include "app/gui/main_window.h"
#include "app/gui/qt_clipboard.h"
#include "app/startup.h"
#include "platform/code_page.h"

namespace varnel {
namespace {

// The clipboard's text as another program reads it, in UTF-8. The event loop
// keeps running meanwhile: Varnel has to answer xclip's request.
QByteArray ReadWithXclip() {
  QProcess xclip;
  xclip.start(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
  if (!xclip.waitForStarted(5000)) return "(xclip did not start)";
  if (!QTest::qWaitFor([&] { return xclip.state() == QProcess::NotRunning; }, 10000)) {
    xclip.kill();
    xclip.waitForFinished(1000);
    return "(xclip did not finish)";
  }
  return xclip.readAllStandardOutput();
}

}  // namespace

class ClipboardX11Test : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { InitialiseVarnel(); }

  void anotherProgramReadsWhatVarnelCopies() {
    TQtClipboard clipboard;
    TForm1 form(clipboard);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.CodeEditor1()->InsertAtCaret("<p>caf\xE9</p>");
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("BitBtn3")), Qt::LeftButton);
    const std::string page = form.CodeEditor3()->WholeText();
    QVERIFY(page.find("caf&eacute;") != std::string::npos);
    // Convert leaves the whole page on the clipboard.
    QCOMPARE(ReadWithXclip(), QByteArray::fromStdString(page));

    // Copy to Clipboard: only the selection, every character as itself.
    form.CodeEditor3()->SetCaretPos(TCaretPos{1, 1});
    form.CodeEditor3()->InsertAtCaret("\x80 \xE9\x99 ");
    form.CodeEditor3()->SetSelection(TCaretPos{1, 1}, TCaretPos{11, 1});
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("BitBtn8")), Qt::LeftButton);
    QCOMPARE(ReadWithXclip(), QByteArray::fromStdString(Cp1252ToUtf8("\x80 \xE9\x99 <?xml")));

    // Ctrl+C in an editor goes the same way.
    form.CodeEditor1()->SetSelection(TCaretPos{4, 1}, TCaretPos{8, 1});
    QTest::keyClick(form.CodeEditor1(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(ReadWithXclip(), QByteArray::fromStdString(Cp1252ToUtf8("caf\xE9")));
  }

  void varnelPastesWhatAnotherProgramOffers() {
    TQtClipboard clipboard;
    TForm1 form(clipboard);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // xclip holds the clipboard for as long as it runs in the foreground.
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {QStringLiteral("-i"), QStringLiteral("-quiet"), QStringLiteral("-selection"),
                                          QStringLiteral("clipboard")});
    QVERIFY(xclip.waitForStarted(5000));
    xclip.write(QStringLiteral("na\u00EFve \u20AC\n\u2192 x").toUtf8());
    xclip.closeWriteChannel();
    QVERIFY(QTest::qWaitFor([] { return QGuiApplication::clipboard()->text().endsWith(QLatin1String(" x")); }, 10000));

    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("BitBtn1")), Qt::LeftButton);
    xclip.kill();
    xclip.waitForFinished(5000);
    QCOMPARE(form.CodeEditor1()->WholeText(), std::string("na\xEFve \x80\r\n? x"));
  }
};

}  // namespace varnel

QTEST_MAIN(varnel::ClipboardX11Test)
#include "clipboard_x11_test.moc"

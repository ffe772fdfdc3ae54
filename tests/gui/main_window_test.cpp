// The main window, driven through its real buttons and menu items, with the
// file dialogs, message boxes, web pages and preview replaced by recorders.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QPushButton>
#include <QTest>

#include "app/gui/byte_text.h"
#include "app/gui/code_editor.h"
#include "app/gui/main_window.h"
#include "app/gui/qt_clipboard.h"
#include "app/gui/scintilla.h"
#include "app/startup.h"
#include "platform/in_process_clipboard.h"
#include "scan/html_scanner.h"
#include "test_files.h"

namespace varnel {
namespace {

using Sci = QsciScintillaBase;

// The reviewed page of the bundled sample, as the unattended run writes it.
std::string SamplePage() {
  return testing::ReadFile(QDir(QStringLiteral(VARNEL_TEST_DATA)).filePath(QStringLiteral("../../program/data/sample.html")).toStdString());
}

std::string ClipboardBytes() { return QStringToBytes(QGuiApplication::clipboard()->text()); }

// One window with everything it would show recorded instead.
struct Harness {
  explicit Harness(TClipboard& clipboard) {
    TWindowServices services;
    services.runFileDialog = [this](QFileDialog& dialog) {
      dialogs.append(&dialog);
      startNames.append(dialog.selectedFiles().value(0));
      return answers.isEmpty() ? QString() : answers.takeFirst();
    };
    services.showError = [this](const QString& text) { errors.append(text); };
    services.showAbout = [this](const QString& text) { abouts.append(text); };
    services.openUrl = [this](const QUrl& url) { urls.append(url); };
    services.showPreview = [this] { ++previews; };
    form = std::make_unique<TForm1>(clipboard, std::move(services));
    form->show();
  }

  // Clicks the button or triggers the menu item of that name.
  bool Run(const QString& name) {
    if (auto* button = form->findChild<QPushButton*>(name)) {
      QTest::mouseClick(button, Qt::LeftButton);
      return true;
    }
    if (auto* item = form->findChild<QAction*>(name)) {
      item->trigger();
      return true;
    }
    return false;
  }

  TCodeEditor& Source() const { return *form->CodeEditor1(); }
  TCodeEditor& Output() const { return *form->CodeEditor3(); }
  bool PreviewShown() const { return !form->findChild<QPushButton*>(QStringLiteral("BitBtn4"))->isHidden(); }

  // Types a source and converts it, as a user would start.
  bool Converted(std::string_view source) {
    Source().ClearEditor();
    Source().InsertAtCaret(source);
    return Run(QStringLiteral("BitBtn3")) && !Output().WholeText().empty() && PreviewShown();
  }

  QStringList answers;
  QList<QFileDialog*> dialogs;
  QStringList startNames;
  QStringList errors;
  QStringList abouts;
  QList<QUrl> urls;
  int previews = 0;
  std::unique_ptr<TForm1> form;
};

void AddTriggers(const char* button, const char* menuItem) {
  QTest::addColumn<QString>("trigger");
  QTest::newRow("button") << QString::fromLatin1(button);
  QTest::newRow("menu item") << QString::fromLatin1(menuItem);
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  TQtClipboard clipboard_;

 private Q_SLOTS:
  void initTestCase() { InitialiseVarnel(); }

  void startsAsDesigned() {
    Harness h(clipboard_);
    QVERIFY(QTest::qWaitForWindowExposed(h.form.get()));
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Varnel"));
    QCOMPARE(h.form->centralWidget()->size(), QSize(551, 513));
    QVERIFY(!h.PreviewShown());
    QCOMPARE(h.Source().Lines().LineCount(), 0);
    QCOMPARE(h.Output().Lines().LineCount(), 0);
    QCOMPARE(h.Output().Scanner(), &h.form->Scanner());
    QCOMPARE(h.Source().Scanner(), nullptr);
  }

  void pasteFromClipboard_data() {
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QByteArray>("source");
    for (const char* trigger : {"BitBtn1", "PasteHTMLfromclipboard1"}) {
      QTest::addRow("%s, text", trigger) << trigger << QStringLiteral("x\r\ny\u20AC\r\n") << QByteArray("x\r\ny\x80\r\n");
      QTest::addRow("%s, no text", trigger) << trigger << QString() << QByteArray();
    }
  }
  void pasteFromClipboard() {
    QFETCH(QString, trigger);
    QFETCH(QString, clipboard);
    QFETCH(QByteArray, source);
    Harness h(clipboard_);
    QVERIFY(h.Converted("old text"));
    if (clipboard.isNull()) {
      QGuiApplication::clipboard()->clear();
    } else {
      QGuiApplication::clipboard()->setText(clipboard);
    }
    QVERIFY(h.Run(trigger));
    QCOMPARE(h.Source().WholeText(), source.toStdString());
    QCOMPARE(h.Source().Lines().LineCount(), source.isEmpty() ? 0 : 3);
    QCOMPARE(h.Output().Lines().LineCount(), 0);
    QVERIFY(!h.PreviewShown());
    QVERIFY(h.errors.isEmpty());
  }

  void pasteFailure() {
    TInProcessClipboard unreachable;
    Harness h(unreachable);
    h.Source().InsertAtCaret("old text");
    unreachable.SetUnreachable(true);
    QVERIFY(h.Run(QStringLiteral("BitBtn1")));
    QCOMPARE(h.errors, QStringList{QStringLiteral("Cannot open clipboard.")});
    QCOMPARE(h.Source().Lines().LineCount(), 0);
    QVERIFY(h.form->isVisible());
  }

  // A clipboard that cannot be reached: each command says so, and the text in
  // the editors stays.
  void clipboardFailures_data() {
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("message");
    QTest::newRow("convert") << QStringLiteral("BitBtn3") << QStringLiteral("Out of memory.");
    QTest::newRow("copy") << QStringLiteral("BitBtn8") << QStringLiteral("Cannot open clipboard.");
  }
  void clipboardFailures() {
    QFETCH(QString, trigger);
    QFETCH(QString, message);
    TInProcessClipboard clipboard;
    Harness h(clipboard);
    QVERIFY(h.Converted("<b>kept</b>"));
    const std::string output = h.Output().WholeText();
    h.Output().SetSelection(TCaretPos{1, 1}, TCaretPos{5, 1});
    clipboard.SetUnreachable(true);
    QVERIFY(h.Run(trigger));
    QCOMPARE(h.errors, QStringList{message});
    QVERIFY(h.Source().WholeText() == "<b>kept</b>");
    if (trigger == QLatin1String("BitBtn8")) QVERIFY(h.Output().WholeText() == output);
    QVERIFY(h.form->isVisible());
  }

  void loadFromFile_data() {
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("outcome");
    for (const char* trigger : {"BitBtn2", "LoadHTMLfromfileinput1"}) {
      for (const char* outcome : {"loaded", "cancelled", "missing"}) QTest::addRow("%s, %s", trigger, outcome) << trigger << outcome;
    }
  }
  void loadFromFile() {
    QFETCH(QString, trigger);
    QFETCH(QString, outcome);
    testing::TempDir dir;
    testing::WriteFile(dir.File("in.txt"), "first\nsecond\n");
    const QString file = QString::fromStdString(outcome == "missing" ? dir.File("no such.txt") : dir.File("in.txt"));
    Harness h(clipboard_);
    QVERIFY(h.Converted("keep me"));
    const std::string page = h.Output().WholeText();
    h.answers << (outcome == "cancelled" ? QString() : file);
    QVERIFY(h.Run(trigger));

    QCOMPARE(h.dialogs.size(), 1);
    QFileDialog* dialog = h.dialogs.front();
    QCOMPARE(dialog, h.form->OpenDialog1());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Load File"));
    QCOMPARE(dialog->defaultSuffix(), QStringLiteral("txt"));
    QCOMPARE(dialog->nameFilters().value(0), QStringLiteral("Text Files (*.txt)"));
    if (outcome == "loaded") {
      QCOMPARE(h.Source().WholeText(), std::string("first\r\nsecond\r\n"));
      QCOMPARE(h.Output().Lines().LineCount(), 0);
      QVERIFY(!h.PreviewShown());
      QVERIFY(h.errors.isEmpty());
    } else {
      // Cancelled or failed: nothing of the user's is lost.
      QCOMPARE(h.Source().WholeText(), std::string("keep me"));
      QCOMPARE(h.Output().WholeText(), page);
      QVERIFY(h.PreviewShown());
      const QStringList expected{QStringLiteral("Cannot open file \"%1\". No such file or directory.").arg(file)};
      QCOMPARE(h.errors, outcome == "missing" ? expected : QStringList());
    }
    if (outcome == "cancelled") return;
    // The dialog starts with the name chosen last.
    QVERIFY(h.Run(trigger));
    QCOMPARE(QFileInfo(h.startNames.value(1)).fileName(), QFileInfo(file).fileName());
  }

  // Convert turns the sample into the reviewed page, the same bytes the
  // unattended run writes, in the output editor and on the clipboard.
  void convert_data() { AddTriggers("BitBtn3", "Convert1"); }
  void convert() {
    QFETCH(QString, trigger);
    Harness h(clipboard_);
    h.answers << QStringLiteral(VARNEL_SAMPLE);
    QVERIFY(h.Run(QStringLiteral("BitBtn2")));
    QVERIFY(!h.PreviewShown());
    QVERIFY(h.Run(trigger));
    const std::string page = SamplePage();
    QVERIFY(!page.empty());
    QVERIFY(h.Output().WholeText() == page);
    QVERIFY(h.Output().ShownText() == page);
    QVERIFY(ClipboardBytes() == page);
    QVERIFY(h.PreviewShown());

    // An empty source after that: nothing to convert, nothing said.
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    h.Source().ClearEditor();
    QVERIFY(h.Run(trigger));
    QCOMPARE(h.Output().Lines().LineCount(), 0);
    QVERIFY(!h.PreviewShown());
    QCOMPARE(ClipboardBytes(), std::string("kept"));
    QVERIFY(h.errors.isEmpty());
  }

  void copyToClipboard_data() { AddTriggers("BitBtn8", "Copyconvertedcodetoclipboard1"); }
  void copyToClipboard() {
    QFETCH(QString, trigger);
    Harness h(clipboard_);
    QVERIFY(h.Converted("<b>x</b>"));
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    QVERIFY(h.Run(trigger));
    QCOMPARE(ClipboardBytes(), std::string("kept"));

    h.Output().SetSelection(TCaretPos{3, 1}, TCaretPos{6, 2});
    QVERIFY(h.Run(trigger));
    const std::string expected = std::string(h.Output().Lines().LineAt(0).substr(2)) + "\r\n" +
                                 std::string(h.Output().Lines().LineAt(1).substr(0, 5));
    QCOMPARE(ClipboardBytes(), expected);
  }

  // Save writes exactly what the output editor holds, edits included.
  void saveToFile_data() {
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("output");
    for (const char* trigger : {"BitBtn9", "Saveconvertedcode1"}) {
      QTest::addRow("%s, edited page", trigger) << trigger << "edited";
      QTest::addRow("%s, empty output", trigger) << trigger << "empty";
      QTest::addRow("%s, cancelled", trigger) << trigger << "cancelled";
      QTest::addRow("%s, folder missing", trigger) << trigger << "failing";
    }
  }
  void saveToFile() {
    QFETCH(QString, trigger);
    QFETCH(QString, output);
    testing::TempDir dir;
    Harness h(clipboard_);
    if (output != "empty") {
      QVERIFY(h.Converted("<p>\xE9t\xE9</p>\r\n"));
      h.Output().SetCaretPos(TCaretPos{1, 3});
      QTest::keyClicks(&h.Output(), QStringLiteral("typed "));
    }
    const QString file = QString::fromStdString(dir.File(output == "failing" ? "no folder/page.html" : "page.html"));
    h.answers << (output == "cancelled" ? QString() : file);
    QVERIFY(h.Run(trigger));
    QCOMPARE(h.dialogs.value(0), h.form->SaveDialog1());
    QCOMPARE(h.dialogs.value(0)->defaultSuffix(), QStringLiteral("html"));
    QVERIFY(!h.dialogs.value(0)->testOption(QFileDialog::DontConfirmOverwrite));
    if (output == "cancelled" || output == "failing") {
      QVERIFY(!QFile::exists(file));
      const QStringList expected{QStringLiteral("Cannot create file \"%1\". No such file or directory.").arg(file)};
      QCOMPARE(h.errors, output == "failing" ? expected : QStringList());
      QVERIFY(h.form->isVisible());
      return;
    }
    QVERIFY(QFile::exists(file));
    QVERIFY(testing::ReadFile(file.toStdString()) == h.Output().WholeText());
    if (output == "edited") QVERIFY(h.Output().WholeText().find("\r\ntyped ") != std::string::npos);
  }

  // The Preview button shows after a Convert that gives text; Paste and Load
  // hide it; editing by hand leaves it.
  void previewButton() {
    Harness h(clipboard_);
    QVERIFY(!h.PreviewShown());
    QVERIFY(h.Converted("a"));
    h.Output().selectAll();
    QTest::keyClick(&h.Output(), Qt::Key_Delete);
    QCOMPARE(h.Output().WholeText(), std::string());
    QVERIFY(h.PreviewShown());
    QVERIFY(h.Run(QStringLiteral("BitBtn4")));
    QCOMPARE(h.previews, 1);
    QGuiApplication::clipboard()->setText(QStringLiteral("p"));
    QVERIFY(h.Run(QStringLiteral("BitBtn1")));
    QVERIFY(!h.PreviewShown());
  }

  void escape_data() {
    QTest::addColumn<QString>("widget");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Convert button") << "BitBtn3" << true;
    QTest::newRow("About button") << "BitBtn11" << true;
    QTest::newRow("source editor") << "CodeEditor1" << false;
    QTest::newRow("output editor") << "CodeEditor3" << false;
  }
  void escape() {
    QFETCH(QString, widget);
    QFETCH(bool, closes);
    Harness h(clipboard_);
    QVERIFY(QTest::qWaitForWindowExposed(h.form.get()));
    auto* target = h.form->findChild<QWidget*>(widget);
    QVERIFY(target);
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Escape);
    QCOMPARE(h.form->isVisible(), !closes);
  }

  void close_data() { AddTriggers("BitBtn13", "Exit1"); }
  void close() {
    QFETCH(QString, trigger);
    Harness h(clipboard_);
    QVERIFY(h.Converted("unsaved"));
    QVERIFY(h.Run(trigger));
    QVERIFY(!h.form->isVisible());
    QVERIFY(h.errors.isEmpty());
  }

  void webPages_data() {
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QUrl>("url");
    const QUrl guide = TForm1::UserGuideUrl();
    QTest::newRow("Help button") << "BitBtn10" << guide;
    QTest::newRow("Help menu item") << "Helponline1" << guide;
    QTest::newRow("Get More Converters button") << "BitBtn12" << QUrl(QString::fromLatin1(kMoreConvertersUrl));
    QTest::newRow("Get More Converters menu item") << "GetMoreConverters1" << QUrl(QString::fromLatin1(kMoreConvertersUrl));
  }
  void webPages() {
    QFETCH(QString, trigger);
    QFETCH(QUrl, url);
    Harness h(clipboard_);
    QVERIFY(h.Run(trigger));
    QCOMPARE(h.urls, QList<QUrl>{url});
    QVERIFY(url.isLocalFile() ? url.fileName() == QLatin1String(kUserGuideFile) : url.scheme() == QLatin1String("https"));
  }

  void about_data() { AddTriggers("BitBtn11", "About1"); }
  void about() {
    QFETCH(QString, trigger);
    Harness h(clipboard_);
    QVERIFY(h.Run(trigger));
    QCOMPARE(h.abouts.size(), 1);
    const QStringList lines = h.abouts.front().split(QLatin1Char('\n'));
    QVERIFY(lines.value(0).contains(QLatin1String("Varnel")));
    QCOMPARE(lines.value(1), QStringLiteral("Version 2.0"));
    QCOMPARE(lines.value(2), QString());
    QCOMPARE(lines.value(4), QString());
    QVERIFY(lines.value(5).startsWith(QLatin1String("[DISCLAIMER OF WARRANTIES]")));
    QVERIFY(lines.value(6).startsWith(QLatin1String("[RESTRICTIONS]")));
  }

  void failureText_data() {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << QByteArray("Stream write error") << "Stream write error.";
    QTest::newRow("full stop already") << QByteArray("Clipboard paste operation failed.") << "Clipboard paste operation failed.";
    QTest::newRow("closing quote") << QByteArray("Cannot open file \"a\"") << "Cannot open file \"a\"";
    QTest::newRow("digit") << QByteArray("index 5") << "index 5.";
    QTest::newRow("slash") << QByteArray("a/") << "a/.";
    QTest::newRow("empty") << QByteArray() << "";
  }
  void failureText() {
    QFETCH(QByteArray, message);
    QFETCH(QString, shown);
    QCOMPARE(FailureText(message.toStdString()), shown);
  }

  // A page of ten megabytes opens, shows and scrolls. The times are printed
  // for the record, not checked.
  void largePage() {
    std::string source;
    for (int i = 0; source.size() < 700'000; ++i) {
      source += "<tr><td class=\"n\">" + std::to_string(i) + "</td><td>caf\xE9 &amp; cr\xE8me</td></tr>\r\n";
      if (i % 50 == 0) source += "<!-- a comment\r\n   over two lines -->\r\n";
    }
    testing::TempDir dir;
    testing::WriteFile(dir.File("large.txt"), source);
    Harness h(clipboard_);
    h.form->resize(900, 800);
    QVERIFY(QTest::qWaitForWindowExposed(h.form.get()));
    h.Source().LoadFile(dir.File("large.txt"));

    QElapsedTimer clock;
    clock.start();
    QVERIFY(h.Run(QStringLiteral("BitBtn3")));
    const qint64 convert = clock.restart();
    h.Output().viewport()->repaint();
    const qint64 firstScreen = clock.restart();
    QVERIFY(h.Output().WholeText().size() >= 10'000'000);

    h.Output().setFocus();
    QTest::keyClick(&h.Output(), Qt::Key_End, Qt::ControlModifier);
    h.Output().viewport()->repaint();
    const qint64 toEnd = clock.restart();
    for (int i = 0; i < 20; ++i) QTest::keyClick(&h.Output(), Qt::Key_PageUp);
    h.Output().viewport()->repaint();
    const qint64 pageUps = clock.restart();
    h.Output().SendScintilla(Sci::SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(h.Output().lines() / 2));
    h.Output().viewport()->repaint();
    const qint64 middle = clock.restart();
    qInfo("page of %zu bytes, %d lines: Convert and show %lld ms, first screen %lld ms, to the end %lld ms, "
          "20 pages up %lld ms, to the middle %lld ms",
          h.Output().WholeText().size(), h.Output().Lines().LineCount(), convert, firstScreen, toEnd, pageUps, middle);

    // The last lines are coloured as the scanner reads them.
    const THTMLScanner& scanner = h.form->Scanner();
    const int last = h.Output().Lines().LineCount() - 1;
    QCOMPARE(h.Output().Lines().LineAt(last), std::string_view("</html>"));
    const long position = h.Output().SendScintilla(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(last)) + 2;
    const long style = h.Output().SendScintilla(Sci::SCI_GETSTYLEAT, static_cast<unsigned long>(position));
    QCOMPARE(scanner.AttributeAt(static_cast<int>(style) - 1), scanner.KeyAttri());
  }
};

}  // namespace varnel

QTEST_MAIN(varnel::MainWindowTest)
#include "main_window_test.moc"

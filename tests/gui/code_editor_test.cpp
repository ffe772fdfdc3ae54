// The editor widget: its text is the model's line store, the operations are
// the model's, every byte survives, and the colouring rescans no more than an
// edit requires.

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QPoint>
#include <QTest>

#include "app/gui/byte_text.h"
#include "app/gui/code_editor.h"
#include "app/gui/scintilla.h"
#include "app/startup.h"
#include "platform/code_page.h"
#include "platform/colors.h"
#include "scan/html_scanner.h"
#include "test_files.h"

namespace varnel {
namespace {

using Sci = QsciScintillaBase;

std::string Bytes(const QByteArray& data) { return std::string(data.constData(), static_cast<size_t>(data.size())); }

TCaretPos Pos(QPoint point) { return TCaretPos{point.x(), point.y()}; }

void Fill(TCodeEditor& editor, std::string_view text) {
  editor.ClearEditor();
  editor.InsertAtCaret(text);
}

// Styles the text from where styling stopped to the end, as scrolling there would.
void StyleToEnd(TCodeEditor& editor) {
  editor.SendScintilla(Sci::SCI_COLOURISE, static_cast<unsigned long>(editor.SendScintilla(Sci::SCI_GETENDSTYLED)), -1l);
}

// The style Scintilla shows a byte of a line in.
unsigned long StyleAt(TCodeEditor& editor, int line, size_t byte) {
  const std::string_view text = editor.Lines().LineAt(line);
  const long position = editor.SendScintilla(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)) +
                        static_cast<long>(Cp1252ToUtf8(text.substr(0, byte)).size());
  return static_cast<unsigned long>(editor.SendScintilla(Sci::SCI_GETSTYLEAT, static_cast<unsigned long>(position)));
}

// The attribute a byte of a line is shown with (style i + 1 is attribute i);
// null for the plain style.
const TTokenAttributes* ShownAttribute(TCodeEditor& editor, const TCustomScanner& scanner, int line, size_t byte) {
  const unsigned long style = StyleAt(editor, line, byte);
  return style == 0 ? nullptr : scanner.AttributeAt(static_cast<int>(style) - 1);
}

// Steps a test types: "text:..." types the text, "key:Name" presses a key,
// "undo" and "redo" press Ctrl+Z and Ctrl+Y.
void Type(TCodeEditor& editor, const QStringList& steps) {
  for (const QString& step : steps) {
    if (step.startsWith(QLatin1String("text:"))) {
      // Typed as a keyboard layout would give the characters.
      for (QChar ch : step.mid(5)) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(&editor, &press);
      }
    } else if (step == QLatin1String("undo")) {
      QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
    } else if (step == QLatin1String("redo")) {
      QTest::keyClick(&editor, Qt::Key_Y, Qt::ControlModifier);
    } else if (step == QLatin1String("key:Return")) {
      QTest::keyClick(&editor, Qt::Key_Return);
    } else if (step == QLatin1String("key:Backspace")) {
      QTest::keyClick(&editor, Qt::Key_Backspace);
    } else if (step == QLatin1String("key:Left")) {
      QTest::keyClick(&editor, Qt::Key_Left);
    } else if (step == QLatin1String("key:Home")) {
      QTest::keyClick(&editor, Qt::Key_Home);
    }
  }
}

}  // namespace

class CodeEditorTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { InitialiseVarnel(); }

  void everyByteLoadsShowsAndSavesBack() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
      if (b != '\r' && b != '\n') bytes += static_cast<char>(b);
    }
    testing::TempDir dir;
    testing::WriteFile(dir.File("in.txt"), bytes);
    TCodeEditor editor;
    editor.LoadFile(dir.File("in.txt"));

    QCOMPARE(editor.Lines().LineCount(), 1);
    // Shown as the characters of the one-to-one mapping: € for 0x80, é for 0xE9.
    const auto* shown = static_cast<const char*>(editor.SendScintillaPtrResult(Sci::SCI_GETCHARACTERPOINTER));
    QCOMPARE(std::string(shown, static_cast<size_t>(editor.SendScintilla(Sci::SCI_GETLENGTH))), Cp1252ToUtf8(bytes));
    QCOMPARE(editor.ShownText(), bytes);
    editor.SaveFile(dir.File("out.txt"));
    QCOMPARE(testing::ReadFile(dir.File("out.txt")), bytes);
  }

  // Each operation gives the widget exactly what it gives the headless model,
  // and the view shows exactly the store.
  void operationsMatchTheModel_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QPoint>("begin");
    QTest::addColumn<QPoint>("end");
    QTest::addColumn<QByteArray>("inserted");
    const int normal = static_cast<int>(TSelectionMode::smNormal);
    const int lines = static_cast<int>(TSelectionMode::smLine);
    const int column = static_cast<int>(TSelectionMode::smColumn);
    QTest::newRow("stream across lines") << QByteArray("abc\r\ndef\r\nghi") << normal << QPoint(2, 1) << QPoint(2, 3)
                                         << QByteArray("X\r\nY");
    QTest::newRow("caret past the line end") << QByteArray("ab\r\ncd") << normal << QPoint(6, 1) << QPoint(6, 1)
                                             << QByteArray("Z");
    QTest::newRow("new lines at the end") << QByteArray("ab") << normal << QPoint(3, 1) << QPoint(3, 1)
                                          << QByteArray("\r\n\r\nc\r\n");
    QTest::newRow("whole lines") << QByteArray("a\r\nb\r\nc\r\nd") << lines << QPoint(1, 2) << QPoint(1, 3)
                                 << QByteArray("X\r\n");
    QTest::newRow("column block") << QByteArray("abcd\r\nefgh\r\nijkl") << column << QPoint(2, 1) << QPoint(4, 3)
                                  << QByteArray("12\r\n34\r\n56");
    QTest::newRow("high bytes count as one column") << QByteArray("\xE9t\xE9\r\n\x80\x99\x81") << normal
                                                     << QPoint(2, 1) << QPoint(3, 2) << QByteArray("\x9D");
    QTest::newRow("NUL and tab stay") << QByteArray("a\0b\tc", 5) << normal << QPoint(2, 1) << QPoint(4, 1)
                                      << QByteArray("\0\t", 2);
    QTest::newRow("delete everything") << QByteArray("abc\r\ndef") << normal << QPoint(1, 1) << QPoint(4, 2)
                                       << QByteArray();
  }
  void operationsMatchTheModel() {
    QFETCH(QByteArray, text);
    QFETCH(int, mode);
    QFETCH(QPoint, begin);
    QFETCH(QPoint, end);
    QFETCH(QByteArray, inserted);
    TCodeEditor editor;
    TEditorModel model;
    Fill(editor, Bytes(text));
    model.InsertAtCaret(Bytes(text));
    editor.SetSelectionMode(static_cast<TSelectionMode>(mode));
    model.SetSelectionMode(static_cast<TSelectionMode>(mode));
    editor.SetSelection(Pos(begin), Pos(end));
    model.SetSelection(Pos(begin), Pos(end));

    QCOMPARE(editor.SelectedText(), model.SelectedText());
    editor.InsertAtCaret(Bytes(inserted));
    model.InsertAtCaret(Bytes(inserted));
    QCOMPARE(editor.WholeText(), model.Lines().WholeText());
    QCOMPARE(editor.Lines().LineCount(), model.Lines().LineCount());
    QCOMPARE(editor.ShownText(), editor.WholeText());
    QCOMPARE(editor.CaretPos(), model.CaretPos());
  }

  // What the user types reaches the store, through the same mapping.
  void typingReachesTheStore_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("letters") << QStringList{"text:ab"} << QByteArray("ab");
    QTest::newRow("Return splits") << QStringList{"text:ab", "key:Left", "key:Return"} << QByteArray("a\r\nb");
    QTest::newRow("Backspace joins") << QStringList{"text:a", "key:Return", "text:b", "key:Home", "key:Backspace"}
                                     << QByteArray("ab");
    QTest::newRow("undo") << QStringList{"text:ab", "key:Return", "text:c", "undo"} << QByteArray();
    QTest::newRow("redo") << QStringList{"text:ab", "undo", "redo"} << QByteArray("ab");
    QTest::newRow("euro sign") << QStringList{QStringLiteral("text:\u20AC\u00E9")} << QByteArray("\x80\xE9");
    QTest::newRow("outside the code page") << QStringList{QStringLiteral("text:a\u2192b")} << QByteArray("a?b");
  }
  void typingReachesTheStore() {
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, text);
    TCodeEditor editor;
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    Type(editor, steps);
    QCOMPARE(editor.WholeText(), Bytes(text));
    QCOMPARE(editor.ShownText(), Bytes(text));
  }

  // Ctrl+C, Ctrl+X and Ctrl+V go through the model: plain text for other
  // programs, the block format between editors.
  void clipboardKeys() {
    TCodeEditor from;
    TCodeEditor to;
    Fill(from, "abcd\r\nefgh");
    Fill(to, "1234\r\n5678");
    from.SetSelectionMode(TSelectionMode::smColumn);
    from.SetSelection(TCaretPos{2, 1}, TCaretPos{4, 2});
    QTest::keyClick(&from, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(from.WholeText(), std::string("ad\r\neh"));

    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    QCOMPARE(data->text(), QStringLiteral("bc\r\nfg"));
    QCOMPARE(data->data(QStringLiteral("application/x-varnel-editor-block")), QByteArray("\x02" "bc\r\nfg"));

    to.SetCaretPos(TCaretPos{2, 1});
    QTest::keyClick(&to, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(to.WholeText(), std::string("1bc234\r\n5fg678"));

    // Text from another program arrives as plain text; what Windows-1252
    // cannot hold becomes "?".
    QGuiApplication::clipboard()->setText(QStringLiteral("\u00E9\u2192"));
    to.SetCaretPos(TCaretPos{1, 1});
    QTest::keyClick(&to, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(to.WholeText(), std::string("\xE9?1bc234\r\n5fg678"));

    to.SetSelection(TCaretPos{1, 1}, TCaretPos{3, 1});
    QTest::keyClick(&to, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QStringToBytes(QGuiApplication::clipboard()->text()), std::string("\xE9?"));

    // A paste is one step to undo, and the store follows it back.
    QTest::keyClick(&to, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(to.WholeText(), std::string("1bc234\r\n5fg678"));
    QCOMPARE(to.ShownText(), to.WholeText());
  }

  void colouringFollowsTheScanner_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("byte");
    QTest::addColumn<QString>("attribute");
    QTest::newRow("tag name") << QByteArray("<b>x</b>") << 0 << 1 << "Reserved Word";
    QTest::newRow("text") << QByteArray("<b>x</b>") << 0 << 3 << "Text";
    QTest::newRow("unknown tag") << QByteArray("<zz>") << 0 << 1 << "Unknown Word";
    QTest::newRow("comment on its second line") << QByteArray("<!-- a\r\nb -->c") << 1 << 0 << "Comment";
    QTest::newRow("after a comment ends") << QByteArray("<!-- a\r\nb -->c") << 1 << 5 << "Text";
    QTest::newRow("value over two lines") << QByteArray("<a href=\"x\r\ny\">z") << 1 << 0 << "Value";
    QTest::newRow("character reference") << QByteArray("a &amp; b") << 0 << 3 << "Escape Ampersand";
    QTest::newRow("after high bytes") << QByteArray("\x80\xE9\x99<i>") << 0 << 4 << "Reserved Word";
  }
  void colouringFollowsTheScanner() {
    QFETCH(QByteArray, text);
    QFETCH(int, line);
    QFETCH(int, byte);
    QFETCH(QString, attribute);
    THTMLScanner scanner;
    // In a window, as the program shows it: showing must keep the styles.
    QWidget window;
    auto* editor = new TCodeEditor(&window);
    editor->SetScanner(&scanner);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Fill(*editor, Bytes(text));
    editor->viewport()->repaint();

    const TTokenAttributes* shown = ShownAttribute(*editor, scanner, line, static_cast<size_t>(byte));
    QVERIFY(shown);
    QCOMPARE(QString::fromStdString(shown->Name()), attribute);
    const unsigned long style = StyleAt(*editor, line, static_cast<size_t>(byte));
    const TColor foreground = shown->Foreground() == clNone ? clBlack : ColorToRGB(shown->Foreground());
    QCOMPARE(editor->SendScintilla(Sci::SCI_STYLEGETFORE, style), static_cast<long>(foreground));
    QCOMPARE(editor->SendScintilla(Sci::SCI_STYLEGETBOLD, style) != 0, (shown->Style() & fsBold) != 0);
    editor->SetScanner(nullptr);
  }

  // An edit rescans the edited lines, and beyond them only while the range
  // state differs from before; the styles below stay right.
  void editsRescanUntilTheStateConverges() {
    THTMLScanner scanner;
    TCodeEditor editor;
    editor.SetScanner(&scanner);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    constexpr int kLines = 3000;
    std::string text;
    for (int i = 0; i < kLines; ++i) text += "<p class=\"c\">line</p>\r\n";
    Fill(editor, text);
    StyleToEnd(editor);
    editor.TakeScannedLineCount();
    const auto lastTag = [&] { return ShownAttribute(editor, scanner, kLines - 1, 1); };

    // Typing into one line: that line alone.
    editor.SetCaretPos(TCaretPos{14, 1500});
    QTest::keyClicks(&editor, QStringLiteral("word"));
    StyleToEnd(editor);
    QVERIFY(editor.TakeScannedLineCount() <= 2);
    QCOMPARE(lastTag(), scanner.KeyAttri());

    // Splitting a line and joining it again.
    QTest::keyClick(&editor, Qt::Key_Return);
    StyleToEnd(editor);
    QVERIFY(editor.TakeScannedLineCount() <= 2);
    QTest::keyClick(&editor, Qt::Key_Backspace);
    StyleToEnd(editor);
    QVERIFY(editor.TakeScannedLineCount() <= 2);
    QCOMPARE(lastTag(), scanner.KeyAttri());

    // Opening a comment that never ends changes every line below.
    editor.SetCaretPos(TCaretPos{1, 10});
    QTest::keyClicks(&editor, QStringLiteral("<!--"));
    StyleToEnd(editor);
    QVERIFY(editor.TakeScannedLineCount() >= kLines - 10);
    QCOMPARE(lastTag(), scanner.CommentAttri());

    // Undoing it changes them back.
    QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
    StyleToEnd(editor);
    QCOMPARE(lastTag(), scanner.KeyAttri());
    QCOMPARE(editor.WholeText(), editor.ShownText());
    editor.TakeScannedLineCount();

    // Deleting a hundred lines rescans only where they were.
    editor.SetSelection(TCaretPos{1, 100}, TCaretPos{1, 200});
    QTest::keyClick(&editor, Qt::Key_Delete);
    StyleToEnd(editor);
    QVERIFY(editor.TakeScannedLineCount() <= 2);
    QCOMPARE(editor.Lines().LineCount(), kLines + 1 - 100);
    QCOMPARE(ShownAttribute(editor, scanner, editor.Lines().LineCount() - 2, 1), scanner.KeyAttri());
    editor.SetScanner(nullptr);
  }

  void attributeChangesRecolour() {
    THTMLScanner scanner;
    TCodeEditor editor;
    editor.SetScanner(&scanner);
    Fill(editor, "<b>x</b>");
    StyleToEnd(editor);
    const auto style = static_cast<unsigned long>(editor.SendScintilla(Sci::SCI_GETSTYLEAT, 1ul));
    scanner.KeyAttri()->SetForeground(RGB(0x12, 0x34, 0x56));
    scanner.KeyAttri()->SetStyle(fsItalic | fsUnderline);
    QCOMPARE(editor.SendScintilla(Sci::SCI_STYLEGETFORE, style), 0x563412l);
    QCOMPARE(editor.SendScintilla(Sci::SCI_STYLEGETBOLD, style), 0l);
    QCOMPARE(editor.SendScintilla(Sci::SCI_STYLEGETITALIC, style), 1l);
    QCOMPARE(editor.SendScintilla(Sci::SCI_STYLEGETUNDERLINE, style), 1l);
    editor.SetScanner(nullptr);
  }
};

}  // namespace varnel

QTEST_MAIN(varnel::CodeEditorTest)
#include "code_editor_test.moc"

#pragma once
// The main window: the source editor with the commands that fill it, Convert
// and Preview, the output editor with the commands that take the page away,
// and a bar with Close, Help, About and Get More Converters; a menu bar
// repeats most commands. Widgets carry their designed names as object names.

#include <QMainWindow>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>
#include <string>

class QFileDialog;
class QFrame;
class QPushButton;

namespace varnel {

class TClipboard;
class TCodeEditor;
class TExporterHTML;
class THTMLScanner;

// The page that lists further converters.
inline constexpr const char* kMoreConvertersUrl = "https://varnel.example/converters";
// The user guide, a file beside the program.
inline constexpr const char* kUserGuideFile = "user-guide.html";

// What the window asks of the desktop. Each one left empty gets the desktop's
// own; tests set them so that no modal loop starts.
struct TWindowServices {
  // Runs a file dialog; gives the chosen file, or an empty name when cancelled.
  std::function<QString(QFileDialog& dialog)> runFileDialog;
  // Shows a failure's text (FailureText) in an error box.
  std::function<void(const QString& text)> showError;
  std::function<void(const QString& text)> showAbout;
  // Opens a web page; failures are not reported.
  std::function<void(const QUrl& url)> openUrl;
  // Shows the preview window modally.
  std::function<void()> showPreview;
};

// A failure's message as the error box shows it: with a full stop appended
// when its last character's code is above that of the full stop.
QString FailureText(const std::string& message);
QString AboutText();
// Button pictures come from the desktop's icon theme; where none is chosen,
// from breeze, and where that lacks one, from our own pictures.
void SelectIconTheme();

class TForm1 final : public QMainWindow {
  Q_OBJECT

 public:
  // The commands use `clipboard`, which must outlive the window.
  explicit TForm1(TClipboard& clipboard, TWindowServices services = {}, QWidget* parent = nullptr);
  ~TForm1() override;

  TCodeEditor* CodeEditor1() const { return codeEditor1_; }
  TCodeEditor* CodeEditor3() const { return codeEditor3_; }
  QFileDialog* OpenDialog1() const { return openDialog1_; }
  QFileDialog* SaveDialog1() const { return saveDialog1_; }
  THTMLScanner& Scanner() const { return *scanner_; }
  TExporterHTML& Exporter() const { return *exporter_; }

  void SetPreviewAction(std::function<void()> show) { services_.showPreview = std::move(show); }
  static QUrl UserGuideUrl();

 public Q_SLOTS:
  void BitBtn1Click();   // Paste from Clipboard
  void BitBtn2Click();   // Load from File
  void BitBtn3Click();   // Convert
  void BitBtn4Click();   // Preview
  void BitBtn8Click();   // Copy to Clipboard
  void BitBtn9Click();   // Save to File
  void BitBtn10Click();  // Help
  void BitBtn11Click();  // About
  void BitBtn12Click();  // Get More Converters
  void BitBtn13Click();  // Close

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateLayout();
  void CreateMenu();
  void CreateDialogs();
  void FormCreate();
  void SetDefaultServices();
  QPushButton* AddButton(QWidget* panel, const char* name, const char* caption, int left, int top, int width,
                         int height);
  void RunCommand(const std::function<void()>& command);
  void ShowFailure(const std::string& message);

  TClipboard& clipboard_;
  TWindowServices services_;
  // Declared in this order so that the exporter, which refers to the
  // scanner, goes first.
  std::unique_ptr<THTMLScanner> scanner_;
  std::unique_ptr<TExporterHTML> exporter_;

  QFrame* originalCode_ = nullptr;
  QFrame* convertedCode_ = nullptr;
  TCodeEditor* codeEditor1_ = nullptr;
  TCodeEditor* codeEditor3_ = nullptr;
  QPushButton* bitBtn4_ = nullptr;
  QFileDialog* openDialog1_ = nullptr;
  QFileDialog* saveDialog1_ = nullptr;
};

}  // namespace varnel

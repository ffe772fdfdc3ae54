#pragma once
// The preview window: shows the output editor's text as a web page, loaded
// afresh each time the window is shown. The page never goes through a file:
// its bytes are served from memory through a URL scheme of our own, so pages of
// any size load, and the page's own declaration decides how they are read.

#include <QDialog>
#include <QByteArray>
#include <functional>
#include <string>
#include <string_view>

class QFrame;
class QStackedWidget;
class QPushButton;
class QVBoxLayout;
class QWebEngineView;

namespace varnel {

// Must run before the application object exists: the web engine's sandbox
// setting (it refuses to start as root otherwise), its start-up report, and the
// URL scheme the preview serves pages under.
void PrepareWebEngine();

// The bytes the preview hands to the web view: the text split into lines at
// CR LF, CR and LF (a NUL ends the text), every line followed by CR LF, the
// last one included. An empty text gives no bytes.
QByteArray PreviewBytes(std::string_view text);

class TPreviewPageHandler;

class TForm3 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm3(QWidget* parent = nullptr);
  ~TForm3() override;

  // Gives the text to preview each time the window is shown (the output
  // editor's whole text).
  void SetTextSource(std::function<std::string()> source) { textSource_ = std::move(source); }
  // Where failures while loading are reported, as the main window reports a
  // command's failure (FailureText); a critical message box by default.
  void SetErrorReporter(std::function<void(const QString&)> reporter) { reportError_ = std::move(reporter); }

  // The view, once the window has been shown; null before.
  QWebEngineView* WebBrowser1() const { return webBrowser1_; }
  // The bytes of the page last handed to the view.
  const QByteArray& LastPageBytes() const;

  // Loads the text into the view: first "about:blank", waited for (at most
  // 10 seconds, after which the blank page stays), then the page's bytes. The
  // view stays hidden behind a blank sheet until the page has loaded: a view on
  // screen lays a long page out again for every piece of it that arrives.
  void LoadHtmlIntoBrowser(QWebEngineView* view, std::string_view text);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormShow();
  void CreateBrowser();

  std::function<std::string()> textSource_;
  std::function<void(const QString&)> reportError_;
  QVBoxLayout* layout_ = nullptr;
  QStackedWidget* browserArea_ = nullptr;  // the view, or a blank sheet while it loads
  QWidget* blankSheet_ = nullptr;
  QWebEngineView* webBrowser1_ = nullptr;
  QFrame* panel1_ = nullptr;
  QPushButton* bitBtn1_ = nullptr;
  TPreviewPageHandler* handler_ = nullptr;
  int pageNumber_ = 0;
  bool shownBefore_ = false;
};

}  // namespace varnel

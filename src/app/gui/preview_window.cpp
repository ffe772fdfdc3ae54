#include "app/gui/preview_window.h"

#include <unistd.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFrame>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>
#include <exception>

#include "app/gui/main_window.h"
#include "text/line_store.h"

namespace varnel {
namespace {

constexpr char kScheme[] = "varnel-preview";
constexpr int kBlankPageWaitMs = 10000;

// The preview shows the generated page and nothing else: links open in the
// user's browser instead.
class TPreviewPage final : public QWebEnginePage {
 public:
  using QWebEnginePage::QWebEnginePage;

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
    if (url.scheme() == QLatin1String(kScheme) || url == QUrl(QStringLiteral("about:blank"))) return true;
    if (type == NavigationTypeLinkClicked && isMainFrame) QDesktopServices::openUrl(url);
    return false;
  }
};

}  // namespace

// Serves the current page's bytes. The bytes are shared with each reply's
// buffer, so they stay readable for as long as the view may read them.
class TPreviewPageHandler final : public QWebEngineUrlSchemeHandler {
 public:
  using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

  void SetPage(QByteArray bytes) { page_ = std::move(bytes); }
  const QByteArray& Page() const { return page_; }

  void requestStarted(QWebEngineUrlRequestJob* job) override {
    auto* buffer = new QBuffer(job);
    buffer->setData(page_);
    buffer->open(QIODevice::ReadOnly);
    // No charset: the page's own declaration decides how it is read.
    job->reply(QByteArrayLiteral("text/html"), buffer);
  }

 private:
  QByteArray page_;
};

void PrepareWebEngine() {
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES")) qputenv("QT_LOGGING_RULES", "qt.webenginecontext.info=false");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  if (QWebEngineUrlScheme::schemeByName(kScheme).name().isEmpty()) {
    QWebEngineUrlScheme scheme(kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
  }
}

QByteArray PreviewBytes(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  QByteArray bytes;
  if (text.empty()) return bytes;
  const std::vector<std::string_view> lines = SplitLines(text);
  qsizetype size = 0;
  for (std::string_view line : lines) size += static_cast<qsizetype>(line.size()) + 2;
  bytes.reserve(size);
  for (std::string_view line : lines) {
    bytes.append(line.data(), static_cast<qsizetype>(line.size()));
    bytes.append("\r\n", 2);
  }
  return bytes;
}

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(QStringLiteral("Preview Window"));
  setSizeGripEnabled(true);
  resize(792, 566);

  layout_ = new QVBoxLayout(this);
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(0);

  panel1_ = new QFrame(this);
  panel1_->setObjectName(QStringLiteral("Panel1"));
  panel1_->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel1_->setFixedHeight(41);
  auto* panelLayout = new QHBoxLayout(panel1_);
  panelLayout->setContentsMargins(0, 6, 14, 4);
  panelLayout->addStretch();
  bitBtn1_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), panel1_);
  bitBtn1_->setObjectName(QStringLiteral("BitBtn1"));
  bitBtn1_->setFixedSize(120, 31);
  bitBtn1_->setDefault(true);
  bitBtn1_->setAutoDefault(true);
  connect(bitBtn1_, &QPushButton::clicked, this, &QDialog::accept);
  panelLayout->addWidget(bitBtn1_, 0, Qt::AlignTop);
  // The view goes above the panel once the window is first shown.
  layout_->addStretch(1);
  layout_->addWidget(panel1_);

  reportError_ = [this](const QString& text) { QMessageBox::critical(this, QStringLiteral("Varnel"), text); };
}

TForm3::~TForm3() {
  if (webBrowser1_) {
    // The page must go before the profile's handler and the view.
    delete webBrowser1_->page();
  }
}

const QByteArray& TForm3::LastPageBytes() const {
  static const QByteArray none;
  return handler_ ? handler_->Page() : none;
}

void TForm3::CreateBrowser() {
  handler_ = new TPreviewPageHandler(this);
  auto* profile = new QWebEngineProfile(this);  // off the record: nothing is written to disk
  profile->installUrlSchemeHandler(kScheme, handler_);
  browserArea_ = new QStackedWidget(this);
  blankSheet_ = new QWidget(browserArea_);
  blankSheet_->setAutoFillBackground(true);
  QPalette white = blankSheet_->palette();
  white.setColor(QPalette::Window, Qt::white);
  blankSheet_->setPalette(white);
  webBrowser1_ = new QWebEngineView(browserArea_);
  webBrowser1_->setObjectName(QStringLiteral("WebBrowser1"));
  webBrowser1_->setPage(new TPreviewPage(profile, webBrowser1_));
  browserArea_->addWidget(webBrowser1_);
  browserArea_->addWidget(blankSheet_);
  delete layout_->takeAt(0);  // the stretch that held its place
  layout_->insertWidget(0, browserArea_, 1);
}

void TForm3::showEvent(QShowEvent* event) {
  if (!shownBefore_) {
    shownBefore_ = true;
    if (const QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
  }
  QDialog::showEvent(event);
  FormShow();
}

void TForm3::FormShow() {
  try {
    if (!webBrowser1_) CreateBrowser();
    LoadHtmlIntoBrowser(webBrowser1_, textSource_ ? textSource_() : std::string());
  } catch (const std::exception& e) {
    reportError_(FailureText(e.what()));
  }
}

void TForm3::LoadHtmlIntoBrowser(QWebEngineView* view, std::string_view text) {
  {
    QEventLoop wait;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &wait, &QEventLoop::quit);
    const auto connection = connect(view, &QWebEngineView::loadFinished, &wait, &QEventLoop::quit);
    view->setUrl(QUrl(QStringLiteral("about:blank")));
    limit.start(kBlankPageWaitMs);
    wait.exec();
    disconnect(connection);
    if (!limit.isActive()) return;  // never loaded: the blank page stays
  }
  handler_->SetPage(PreviewBytes(text));
  if (browserArea_ && view->parentWidget() == browserArea_) {
    browserArea_->setCurrentWidget(blankSheet_);
    connect(view, &QWebEngineView::loadFinished, browserArea_,
            [this, view] { browserArea_->setCurrentWidget(view); }, Qt::SingleShotConnection);
  }
  // A new address each time, so the view never shows a cached page.
  view->setUrl(QUrl(QStringLiteral("%1:page/%2").arg(QLatin1String(kScheme)).arg(++pageNumber_)));
}

}  // namespace varnel

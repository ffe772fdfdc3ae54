#include "app/gui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <new>

#include "app/convert.h"
#include "app/gui/code_editor.h"
#include "export/html_exporter.h"
#include "platform/errors.h"
#include "scan/html_scanner.h"

// The pictures live in a static library; naming the resource keeps it linked.
static void InitialiseGuiResources() { Q_INIT_RESOURCE(varnel_gui); }

namespace varnel {
namespace {

// Sizes and positions are the design's, at 96 dots per inch; Qt scales them.
constexpr int kClientWidth = 551;
constexpr int kClientHeight = 513;

QIcon ButtonIcon(const char* themeName, const char* ownPicture) {
  return QIcon::fromTheme(QLatin1String(themeName), QIcon(QStringLiteral(":/varnel/icons/%1.svg").arg(QLatin1String(ownPicture))));
}

QFrame* AddPanel(QWidget* parent, const char* name, int height) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(QLatin1String(name));
  if (height > 0) panel->setFixedHeight(height);
  return panel;
}

QLabel* AddLabel(QWidget* panel, const char* name, const char* caption, int left, int top) {
  auto* label = new QLabel(QLatin1String(caption), panel);
  label->setObjectName(QLatin1String(name));
  QFont font = label->font();
  font.setPointSize(10);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0xFF));
  label->setPalette(palette);
  label->move(left, top);
  label->adjustSize();
  return label;
}

std::string FileNameBytes(const QString& name) { return QFile::encodeName(name).toStdString(); }

}  // namespace

QString FailureText(const std::string& message) {
  QString text = QString::fromLocal8Bit(message.data(), static_cast<qsizetype>(message.size()));
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') text += QLatin1Char('.');
  return text;
}

QString AboutText() {
  return QStringLiteral(
      "Varnel: plain text to an XHTML page\n"
      "Version 2.0\n"
      "\n"
      "Copyright \u00A9 the Varnel developers. All rights reserved.\n"
      "\n"
      "[DISCLAIMER OF WARRANTIES] Varnel is provided as is, without warranty of any kind, "
      "express or implied. You use it at your own risk; the authors are not liable for any "
      "loss or damage that comes of its use.\n"
      "[RESTRICTIONS] You may use and copy Varnel freely. You may not sell it, nor pass on "
      "a changed copy under the name Varnel.");
}

void SelectIconTheme() {
  const QString theme = QIcon::themeName();
  if (theme.isEmpty() || theme == QLatin1String("hicolor")) QIcon::setThemeName(QStringLiteral("breeze"));
}

QUrl TForm1::UserGuideUrl() {
  return QUrl::fromLocalFile(QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(kUserGuideFile)));
}

TForm1::TForm1(TClipboard& clipboard, TWindowServices services, QWidget* parent)
    : QMainWindow(parent), clipboard_(clipboard), services_(std::move(services)) {
  InitialiseGuiResources();
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Varnel"));
  SetDefaultServices();
  CreateLayout();
  CreateMenu();
  CreateDialogs();
  FormCreate();
  // The design gives the client area; the menu bar comes on top of it.
  resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
}

TForm1::~TForm1() {
  // The scanner goes before the editors do.
  codeEditor3_->SetScanner(nullptr);
}

void TForm1::SetDefaultServices() {
  if (!services_.runFileDialog) {
    services_.runFileDialog = [](QFileDialog& dialog) {
      if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
      return dialog.selectedFiles().constFirst();
    };
  }
  if (!services_.showError) {
    services_.showError = [this](const QString& text) { QMessageBox::critical(this, QStringLiteral("Varnel"), text); };
  }
  if (!services_.showAbout) {
    services_.showAbout = [this](const QString& text) {
      QMessageBox::information(this, QStringLiteral("Information"), text);
    };
  }
  if (!services_.openUrl) {
    services_.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
  }
}

QPushButton* TForm1::AddButton(QWidget* panel, const char* name, const char* caption, int left, int top, int width,
                               int height) {
  auto* button = new QPushButton(QLatin1String(caption), panel);
  button->setObjectName(QLatin1String(name));
  button->setGeometry(left, top, width, height);
  button->setIconSize(QSize(16, 16));
  button->setAutoDefault(false);
  button->installEventFilter(this);
  return button;
}

void TForm1::CreateLayout() {
  auto* client = new QWidget(this);
  setCentralWidget(client);
  auto* rows = new QVBoxLayout(client);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setSpacing(0);

  originalCode_ = AddPanel(client, "Original_Code", 215);
  auto* sourceRows = new QVBoxLayout(originalCode_);
  sourceRows->setContentsMargins(0, 0, 0, 0);
  sourceRows->setSpacing(0);
  QFrame* panel6 = AddPanel(originalCode_, "Panel6", 43);
  sourceRows->addWidget(panel6);
  AddLabel(panel6, "Label2", " Source (text): ", 8, 13);
  QPushButton* paste = AddButton(panel6, "BitBtn1", "Paste from Clipboard", 116, 10, 158, 25);
  paste->setIcon(ButtonIcon("edit-paste", "paste"));
  QPushButton* load = AddButton(panel6, "BitBtn2", "Load from File", 291, 10, 123, 25);
  load->setIcon(ButtonIcon("document-open", "open"));

  QFrame* panel4 = AddPanel(client, "Panel4", 36);
  QPushButton* convert = AddButton(panel4, "BitBtn3", " Convert ", 19, 5, 109, 25);
  convert->setIcon(ButtonIcon("go-next", "convert"));
  bitBtn4_ = AddButton(panel4, "BitBtn4", " Preview ", 145, 5, 109, 25);
  bitBtn4_->setIcon(ButtonIcon("view-visible", "preview"));
  bitBtn4_->hide();

  convertedCode_ = AddPanel(client, "Converted_Code", 0);
  auto* outputRows = new QVBoxLayout(convertedCode_);
  outputRows->setContentsMargins(0, 0, 0, 0);

  QFrame* panel5 = AddPanel(client, "Panel5", 41);
  AddLabel(panel5, "Label3", " Output (html):", 8, 12);
  QPushButton* copy = AddButton(panel5, "BitBtn8", "Copy to Clipboard", 116, 10, 140, 25);
  copy->setIcon(ButtonIcon("edit-copy", "copy"));
  QPushButton* save = AddButton(panel5, "BitBtn9", "Save to File", 266, 10, 136, 25);
  save->setIcon(ButtonIcon("document-save", "save"));

  QFrame* panel2 = AddPanel(client, "Panel2", 48);
  panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  QPushButton* close = AddButton(panel2, "BitBtn13", "Close", 8, 10, 120, 31);
  close->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
  QPushButton* help = AddButton(panel2, "BitBtn10", "Help", 145, 10, 88, 31);
  help->setIcon(ButtonIcon("help-contents", "help"));
  QPushButton* about = AddButton(panel2, "BitBtn11", "About", 249, 10, 76, 31);
  QPushButton* more = AddButton(panel2, "BitBtn12", " Get More Converters", 342, 10, 183, 31);
  more->setIcon(ButtonIcon("go-next", "convert"));

  rows->addWidget(originalCode_);
  rows->addWidget(panel4);
  rows->addWidget(convertedCode_, 1);
  rows->addWidget(panel5);
  rows->addWidget(panel2);

  connect(paste, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
  connect(load, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
  connect(convert, &QPushButton::clicked, this, &TForm1::BitBtn3Click);
  connect(bitBtn4_, &QPushButton::clicked, this, &TForm1::BitBtn4Click);
  connect(copy, &QPushButton::clicked, this, &TForm1::BitBtn8Click);
  connect(save, &QPushButton::clicked, this, &TForm1::BitBtn9Click);
  connect(help, &QPushButton::clicked, this, &TForm1::BitBtn10Click);
  connect(about, &QPushButton::clicked, this, &TForm1::BitBtn11Click);
  connect(more, &QPushButton::clicked, this, &TForm1::BitBtn12Click);
  connect(close, &QPushButton::clicked, this, &TForm1::BitBtn13Click);
}

void TForm1::CreateMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));
  const auto menu = [bar](const char* name, const char* title) {
    QMenu* m = bar->addMenu(QLatin1String(title));
    m->setObjectName(QLatin1String(name));
    return m;
  };
  const auto item = [this](QMenu* m, const char* name, const char* caption, void (TForm1::*command)()) {
    QAction* action = m->addAction(QLatin1String(caption));
    action->setObjectName(QLatin1String(name));
    if (command) connect(action, &QAction::triggered, this, command);
  };
  const auto separator = [](QMenu* m, const char* name) { m->addSeparator()->setObjectName(QLatin1String(name)); };

  QMenu* file = menu("File1", "File");
  item(file, "Convert1", "Convert!", &TForm1::BitBtn3Click);
  separator(file, "N1");
  item(file, "Exit1", "Exit", &TForm1::BitBtn13Click);

  QMenu* input = menu("Input1", "Input");
  item(input, "LoadHTMLfromfileinput1", "Open text file", &TForm1::BitBtn2Click);
  item(input, "PasteHTMLfromclipboard1", "Paste text from clipboard", &TForm1::BitBtn1Click);

  QMenu* output = menu("Edit2", "Output");
  item(output, "Saveconvertedcode1", "Save converted (html) file", &TForm1::BitBtn9Click);
  item(output, "Copyconvertedcodetoclipboard1", "Copy converted code to clipboard", &TForm1::BitBtn8Click);

  QMenu* help = menu("Help1", "Help");
  // The design binds nothing here; opening the user guide is what the item promises.
  item(help, "Helponline1", "Help (online)", &TForm1::BitBtn10Click);
  item(help, "GetMoreConverters1", "Get More Converters", &TForm1::BitBtn12Click);
  separator(help, "N3");
  item(help, "About1", "About", &TForm1::BitBtn11Click);
}

void TForm1::CreateDialogs() {
  openDialog1_ = new QFileDialog(this, QStringLiteral("Load File"));
  openDialog1_->setObjectName(QStringLiteral("OpenDialog1"));
  openDialog1_->setAcceptMode(QFileDialog::AcceptOpen);
  // A name that does not exist may be chosen; the load then reports it.
  openDialog1_->setFileMode(QFileDialog::AnyFile);
  // "*" rather than "*.*": on Linux a name need not have a dot.
  openDialog1_->setNameFilters({QStringLiteral("Text Files (*.txt)"), QStringLiteral("All Files (*)")});
  openDialog1_->setDefaultSuffix(QStringLiteral("txt"));

  saveDialog1_ = new QFileDialog(this);
  saveDialog1_->setObjectName(QStringLiteral("SaveDialog1"));
  saveDialog1_->setAcceptMode(QFileDialog::AcceptSave);
  saveDialog1_->setFileMode(QFileDialog::AnyFile);
  saveDialog1_->setNameFilters({QStringLiteral("HTML File (*.html)"), QStringLiteral("All Files (*)")});
  saveDialog1_->setDefaultSuffix(QStringLiteral("html"));
}

void TForm1::FormCreate() {
  scanner_ = std::make_unique<THTMLScanner>();

  const auto makeEditor = [this](QFrame* panel, const char* name) {
    auto* editor = new TCodeEditor(panel);
    editor->setObjectName(QLatin1String(name));
    editor->SetClipboard(&clipboard_);
    editor->SetFailureReporter([this](const std::string& message) { ShowFailure(message); });
    panel->layout()->addWidget(editor);
    return editor;
  };
  codeEditor1_ = makeEditor(originalCode_, "CodeEditor1");
  codeEditor3_ = makeEditor(convertedCode_, "CodeEditor3");
  codeEditor3_->SetScanner(scanner_.get());

  exporter_ = std::make_unique<TExporterHTML>();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  // Close is the window's cancel button: Escape on any button runs it.
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
      static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
    BitBtn13Click();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::ShowFailure(const std::string& message) { services_.showError(FailureText(message)); }

void TForm1::RunCommand(const std::function<void()>& command) {
  try {
    command();
  } catch (const EAbort&) {
    // The silent abort ends the command and says nothing.
  } catch (const Exception& error) {
    ShowFailure(error.Message());
  } catch (const std::bad_alloc&) {
    ShowFailure("Out of memory");
  }
}

void TForm1::BitBtn1Click() {
  RunCommand([this] {
    codeEditor1_->ClearEditor();
    codeEditor3_->ClearEditor();
    bitBtn4_->hide();
    codeEditor1_->PasteClipboard(clipboard_);
  });
}

void TForm1::BitBtn2Click() {
  RunCommand([this] {
    const QString name = services_.runFileDialog(*openDialog1_);
    if (name.isEmpty()) return;
    openDialog1_->selectFile(name);
    // The file is read before anything is cleared, so a name that cannot be
    // read loses none of the user's text.
    codeEditor1_->LoadFile(FileNameBytes(name));
    codeEditor3_->ClearEditor();
    bitBtn4_->hide();
  });
}

void TForm1::BitBtn3Click() {
  RunCommand([this] {
    codeEditor1_->WithModel([this](TEditorModel& source) {
      codeEditor3_->WithModel([&](TEditorModel& output) {
        Convert(TConvertParts{source, output, *exporter_, *scanner_, clipboard_,
                              [this](bool visible) { bitBtn4_->setVisible(visible); }});
      });
    });
  });
}

void TForm1::BitBtn4Click() {
  if (services_.showPreview) services_.showPreview();
}

void TForm1::BitBtn8Click() {
  RunCommand([this] { codeEditor3_->CopySelection(clipboard_); });
}

void TForm1::BitBtn9Click() {
  RunCommand([this] {
    const QString name = services_.runFileDialog(*saveDialog1_);
    if (name.isEmpty()) return;
    saveDialog1_->selectFile(name);
    codeEditor3_->SaveFile(FileNameBytes(name));
  });
}

void TForm1::BitBtn10Click() { services_.openUrl(UserGuideUrl()); }

void TForm1::BitBtn11Click() { services_.showAbout(AboutText()); }

void TForm1::BitBtn12Click() { services_.openUrl(QUrl(QLatin1String(kMoreConvertersUrl))); }

void TForm1::BitBtn13Click() { close(); }

}  // namespace varnel

#include "app/gui/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "app/gui/byte_text.h"
#include "platform/errors.h"
#include "text/editor_model.h"

namespace varnel {
namespace {

QClipboard* DesktopClipboard() {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

}  // namespace

QString MimeTypeOfFormat(TClipFormat format) {
  if (format == CF_TEXT) return {};
  if (format == EditorBlockFormat()) return QStringLiteral("application/x-varnel-editor-block");
  QString name = QString::fromStdString(ClipboardFormatName(format)).toLower();
  name.replace(QLatin1Char(' '), QLatin1Char('-'));
  return QStringLiteral("application/x-varnel-format-") + name;
}

TQtClipboard::TQtClipboard() = default;
TQtClipboard::~TQtClipboard() = default;

void TQtClipboard::Open() {
  if (open_ || !DesktopClipboard()) throw Exception("Cannot open clipboard");
  open_ = true;
}

void TQtClipboard::Close() {
  open_ = false;
  if (!pending_) return;
  // The desktop clipboard takes ownership of the data.
  DesktopClipboard()->setMimeData(pending_.release());
}

void TQtClipboard::Clear() { pending_ = std::make_unique<QMimeData>(); }

void TQtClipboard::SetData(TClipFormat format, TClipBytes bytes) {
  if (!pending_) pending_ = std::make_unique<QMimeData>();
  const std::string_view data = bytes ? std::string_view(*bytes) : std::string_view();
  if (format == CF_TEXT) {
    // A text target carries its length; the text ends at its first NUL.
    pending_->setText(BytesToQString(data.substr(0, data.find('\0'))));
  } else {
    pending_->setData(MimeTypeOfFormat(format), QByteArray(data.data(), static_cast<qsizetype>(data.size())));
  }
}

bool TQtClipboard::HasFormat(TClipFormat format) {
  QClipboard* clipboard = DesktopClipboard();
  const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
  if (!data) return false;
  return format == CF_TEXT ? data->hasText() : data->hasFormat(MimeTypeOfFormat(format));
}

TClipBytes TQtClipboard::GetData(TClipFormat format) {
  QClipboard* clipboard = DesktopClipboard();
  const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
  if (!data) return nullptr;
  if (format == CF_TEXT) {
    if (!data->hasText()) return nullptr;
    return MakeClipBytes(QStringToBytes(data->text()));
  }
  const QString type = MimeTypeOfFormat(format);
  if (!data->hasFormat(type)) return nullptr;
  const QByteArray bytes = data->data(type);
  return MakeClipBytes(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
}

}  // namespace varnel

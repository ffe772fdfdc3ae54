#include "export/exporter.h"

#include <algorithm>
#include <climits>
#include <new>

#include "platform/code_page.h"
#include "platform/errors.h"

namespace varnel {
namespace {

constexpr int kLastPoint = 2147483647;
constexpr size_t kMinimumPresize = 4096;
constexpr size_t kPresizePerLine = 128;

}  // namespace

TCustomExporter::TCustomExporter() : buffer_(std::make_shared<std::string>()) {
  TCustomExporter::ClearOutput();
}

void TCustomExporter::ExportAllLines(const TLineSource* lines) {
  ExportLineRange(lines, TPoint{1, 1}, TPoint{kLastPoint, kLastPoint});
}

void TCustomExporter::ExportLineRange(const TLineSource* lines, TPoint start, TPoint stop) {
  if (!lines || !highlighter_) throw EAbort();
  const int count = lines->LineCount();
  // A start line below 1 has no meaning; no caller passes one.
  if (count <= 0 || start.Y < 1 || start.Y > count || start.Y > stop.Y) throw EAbort();

  const int stopLine = std::clamp(stop.Y, 1, count);
  const int startLine = start.Y;
  // Columns are 1-based; long lines may exceed int, so clamp in 64 bits.
  const auto columnLimit = [&](int line) {
    return static_cast<long long>(lines->LineAt(line - 1).size()) + 1;
  };
  const long long stopColumn = std::clamp<long long>(stop.X, 1, columnLimit(stopLine));
  const long long startColumn = std::clamp<long long>(start.X, 1, columnLimit(startLine));
  if (startLine == stopLine && startColumn >= stopColumn) throw EAbort();

  std::string& out = WritableBuffer();
  out.clear();
  out.reserve(std::max(kMinimumPresize, static_cast<size_t>(stopLine - startLine) * kPresizePerLine));

  highlighter_->ClearRange();
  firstRunPending_ = true;
  ExportStarting();

  for (int i = startLine; i <= stopLine; ++i) {
    std::string_view text = lines->LineAt(i - 1);
    if (i == stopLine) text = text.substr(0, static_cast<size_t>(stopColumn - 1));
    if (i == startLine && startColumn > 1) text.remove_prefix(static_cast<size_t>(startColumn - 1));
    highlighter_->StartLine(text, i);
    while (!highlighter_->LineDone()) {
      TTokenAttributes* attribute = highlighter_->TokenAttribute();
      scratch_.clear();
      AppendSafe(scratch_, highlighter_->TokenView());
      TakeTokenAttribute(attribute);
      EmitToken(scratch_);
      highlighter_->NextToken();
    }
    EmitLineBreak();
  }
  if (!firstRunPending_) CloseLastRun();

  InsertAtFront(HeaderText());
  AppendText(FooterText());
}

void TCustomExporter::PutOnClipboard(TClipboard& clipboard) {
  PutOnClipboardAs(clipboard, asPlainText_ ? static_cast<std::uint16_t>(CF_TEXT)
                                           : static_cast<std::uint16_t>(ClipboardFormatId()));
}

void TCustomExporter::PutOnClipboardAs(TClipboard& clipboard, std::uint16_t format) {
  TClipBytes block;
  if (format == CF_TEXT) {
    // Plain text carries its length; the block is the buffer itself.
    block = buffer_;
  } else {
    try {
      auto bytes = std::make_shared<std::string>();
      bytes->reserve(buffer_->size() + 1);
      *bytes += *buffer_;
      *bytes += '\0';  // the transfer's terminating zero byte
      block = std::move(bytes);
    } catch (const std::bad_alloc&) {
      return;  // no block: the clipboard keeps what it had
    }
  }
  try {
    ReplaceClipboard(clipboard, format, std::move(block));
  } catch (...) {
    throw EOutOfMemory("Out of memory");
  }
}

void TCustomExporter::SetAsPlainText(bool value) {
  if (asPlainText_ == value) return;
  asPlainText_ = value;
  ClearOutput();
}

void TCustomExporter::SetFont(const TFont* font) { font_ = font ? *font : TFont{}; }

void TCustomExporter::SetHighlighter(TCustomScanner* scanner) {
  if (highlighter_ == scanner) return;
  highlighter_ = scanner;
  ClearOutput();
}

std::string TCustomExporter::MakeSafe(std::string_view text) const {
  std::string out;
  out.reserve(text.size());
  AppendSafe(out, text);
  return out;
}

void TCustomExporter::AppendSafe(std::string& out, std::string_view text) const {
  const bool pairs = HasLeadBytes();
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    // Copy the stretch of bytes that pass unchanged in one go.
    const char* plain = p;
    while (p < end) {
      const auto byte = static_cast<unsigned char>(*p);
      if (hasEntity_[byte] || (pairs && IsLeadByte(byte))) break;
      ++p;
    }
    out.append(plain, static_cast<size_t>(p - plain));
    if (p == end) break;

    const auto byte = static_cast<unsigned char>(*p);
    if (hasEntity_[byte]) {
      out += entityTable_[byte];
      ++p;
    } else if (p + 1 < end) {  // a lead byte with its trail byte
      out += PairText(byte, static_cast<unsigned char>(p[1]));
      p += 2;
    } else {  // a lead byte that ends the token stands alone
      out += static_cast<char>(byte);
      ++p;
    }
  }
}

TColor TCustomExporter::EffectiveColor(TColor color, TColor fallback) {
  return ColorToRGB(color == clNone ? fallback : color);
}

std::string TCustomExporter::PairText(unsigned char lead, unsigned char trail) const {
  return std::string{static_cast<char>(lead), static_cast<char>(trail)};
}

void TCustomExporter::TakeTokenAttribute(TTokenAttributes* attribute) {
  // A scanner of the contract gives every token an attribute; a token without
  // one is treated as plain text rather than read through a null reference.
  const TColor background = EffectiveColor(attribute ? attribute->Background() : clNone, color_);
  const TColor foreground = EffectiveColor(attribute ? attribute->Foreground() : clNone, font_.Color);
  const TFontStyles style = attribute ? attribute->Style() : TFontStyles{0};

  if (firstRunPending_) {
    firstRunPending_ = false;
    runBackground_ = background;
    runForeground_ = foreground;
    runStyle_ = style;
    OpenFirstRun(useBackground_ && runBackground_ != color_, font_.Color != runForeground_, style);
    return;
  }
  const bool backgroundChanged = useBackground_ && background != runBackground_;
  const bool foregroundChanged = foreground != runForeground_;
  if (!backgroundChanged && !foregroundChanged && style == runStyle_) return;

  const TFontStyles previous = runStyle_;
  CloseRun(backgroundChanged, foregroundChanged, static_cast<TFontStyles>(previous & ~style));
  runBackground_ = background;
  runForeground_ = foreground;
  runStyle_ = style;
  OpenRun(backgroundChanged, foregroundChanged, static_cast<TFontStyles>(style & ~previous));
}

void TCustomExporter::ClearOutput() {
  if (buffer_.use_count() > 1) {
    buffer_ = std::make_shared<std::string>();
  } else {
    buffer_->clear();
  }
  runStyle_ = 0;
  runBackground_ = clWindow;
  runForeground_ = clWindowText;
}

void TCustomExporter::AppendText(std::string_view text) {
  if (!text.empty()) buffer_->append(text);
}

void TCustomExporter::AppendLineBreak() { buffer_->append("\r\n", 2); }

void TCustomExporter::InsertAtFront(std::string_view text) {
  if (text.empty()) return;
  std::string& out = *buffer_;
  const size_t p = out.size();
  // Leave room behind the moved body for the footer, so that no further
  // growth follows.
  if (p + text.size() > out.capacity()) out.reserve((p + text.size() + 6144) / 4096 * 4096);
  out.insert(0, text);
}

void TCustomExporter::SetEntity(unsigned char byte, const char* text) {
  entityTable_[byte] = text ? std::string_view(text) : std::string_view();
  hasEntity_[byte] = text != nullptr;
}

std::string& TCustomExporter::WritableBuffer() {
  if (buffer_.use_count() > 1) buffer_ = std::make_shared<std::string>();
  return *buffer_;
}

}  // namespace varnel

#include "export/exporter.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <new>
#include <type_traits>
#include <vector>

#include "platform/code_page.h"
#include "platform/errors.h"
#include "platform/large_block.h"
#include "platform/wide_bytes.h"
#include "scan/html_scanner.h"

namespace varnel {
namespace {

constexpr int kLastPoint = 2147483647;
constexpr size_t kMinimumPresize = 4096;
// Highlighted mark-up comes out six to seven times as long as it went in, prose
// barely longer. The whole estimate is reserved but only what is written is
// ever touched; a page that outgrows it is moved once to a block twice as large.
constexpr size_t kPresizePerByte = 8;
constexpr size_t kPresizePerLine = 16;
// The string is lengthened ahead of the writing by slices this large, whose
// zero bytes are still in the cache when they are overwritten.
constexpr size_t kOutputSlice = 256 * 1024;

char* Put(char* out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

// A short text kept padded, so that it is copied with a few fixed-size moves
// instead of a call; the destination needs kPaddedText bytes of room.
constexpr size_t kPaddedText = 64;
struct TPaddedText {
  std::array<char, kPaddedText> bytes{};
  std::string_view text;

  explicit TPaddedText(std::string_view value) : text(value) {
    std::memcpy(bytes.data(), value.data(), std::min(value.size(), kPaddedText));
  }
  char* PutInto(char* out) const {
    if (text.size() > kPaddedText) return Put(out, text);
    std::memcpy(out, bytes.data(), kPaddedText);
    return out + text.size();
  }
};

// Makes text safe sixteen bytes at a time where it can: a stretch without a
// byte that may need replacing is copied whole. Such bytes are those of up to
// four ASCII values, and every byte from 0x80 up, whose table entry is then
// looked at on its own. Other tables, and the last bytes of a line, go byte by
// byte.
template <class TPackedTable>
class TSafeCopier {
 public:
  TSafeCopier(const std::array<bool, 256>& hasEntity, const std::array<std::string_view, 256>& entities,
              const TPackedTable& packed)
      : hasEntity_(hasEntity), entities_(entities), packed_(packed) {
    size_t count = 0;
    for (size_t byte = 0; byte < 0x80; ++byte) {
      if (!hasEntity[byte]) continue;
      if (count == kWatched) {
        wide_ = false;
        return;
      }
      watched_[count++] = SplatWide(static_cast<unsigned char>(byte));
    }
    // Unused slots repeat 0x80, which is looked at anyway.
    for (; count < kWatched; ++count) watched_[count] = SplatWide(0x80);
  }

  // Appends the safe form of [p, end) to `out`. [p, end) lies in [p, lineEnd),
  // all of which may be read. Writes up to 16 bytes past what it appends.
  char* Copy(char* out, const char* p, const char* end, const char* lineEnd) const {
    if (wide_) {
      while (lineEnd - p >= static_cast<std::ptrdiff_t>(kWideBytes) && p < end) {
        const TWideBytes bytes = LoadWide(p);
        std::memcpy(out, &bytes, kWideBytes);
        TWideBytes marks = HighBytes(bytes);
        for (const TWideBytes& value : watched_) marks |= reinterpret_cast<TWideBytes>(bytes == value);
        const size_t plain = std::min(FirstMarked(marks), static_cast<size_t>(end - p));
        p += plain;
        out += plain;
        if (plain < kWideBytes && p < end) out = CopyByte(out, static_cast<unsigned char>(*p++));
      }
    }
    while (p < end) out = CopyByte(out, static_cast<unsigned char>(*p++));
    return out;
  }

 private:
  static constexpr size_t kWatched = 4;

  char* CopyByte(char* out, unsigned char byte) const {
    if (!hasEntity_[byte]) {
      *out = static_cast<char>(byte);
      return out + 1;
    }
    const std::string_view entity = entities_[byte];
    if (entity.size() > packed_[byte].size()) return Put(out, entity);
    std::memcpy(out, packed_[byte].data(), packed_[byte].size());
    return out + entity.size();
  }

  const std::array<bool, 256>& hasEntity_;
  const std::array<std::string_view, 256>& entities_;
  const TPackedTable& packed_;
  std::array<TWideBytes, kWatched> watched_{};
  bool wide_ = true;
};

}  // namespace

struct TCustomExporter::TExportRange {
  const TLineSource& lines;
  int startLine;
  int stopLine;
  long long startColumn;  // 1-based, in the start line
  long long stopColumn;   // 1-based and exclusive, in the stop line

  std::string_view Line(int line) const {
    std::string_view text = lines.LineAt(line - 1);
    if (line == stopLine) text = text.substr(0, static_cast<size_t>(stopColumn - 1));
    if (line == startLine && startColumn > 1) text.remove_prefix(static_cast<size_t>(startColumn - 1));
    return text;
  }
};

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
  const TExportRange range{*lines, startLine, stopLine, startColumn, stopColumn};

  std::string& out = WritableBuffer();
  out.clear();
  used_ = 0;
  headerGap_ = 0;
  // A failure past this point leaves an empty buffer rather than half a page.
  struct TEmptyUnlessDone {
    TCustomExporter& exporter;
    bool done = false;
    ~TEmptyUnlessDone() {
      if (done) return;
      exporter.buffer_->clear();
      exporter.used_ = 0;
      exporter.headerGap_ = 0;
    }
  } guard{*this};

  highlighter_->ClearRange();
  firstRunPending_ = true;
  ExportStarting();

  // The header goes first but may depend on the body: the body is written
  // behind a gap as long as the header, which is filled in afterwards.
  headerGap_ = HeaderText().size();
  size_t textSize = 0;
  for (int i = startLine; i <= stopLine; ++i) textSize += range.Line(i).size();
  PresizeOutput(kMinimumPresize + headerGap_ + textSize * kPresizePerByte +
                static_cast<size_t>(stopLine - startLine + 1) * kPresizePerLine);
  OutputRoom(headerGap_);
  used_ = headerGap_;

  const TFixedMarkup* markup = HasLeadBytes() ? nullptr : FixedMarkup();
  if (!markup) {
    WriteThroughHooks(range);
  } else if (&highlighter_->ClassType() == &THTMLScanner::StaticClass()) {
    // The scanner the program uses, called directly rather than through its base.
    WriteFixedRuns(static_cast<THTMLScanner&>(*highlighter_), *markup, range);
  } else {
    WriteFixedRuns(*highlighter_, *markup, range);
  }

  const std::string header = HeaderText();
  if (header.size() == headerGap_) {
    std::memcpy(out.data(), header.data(), header.size());
  } else {  // the header's length changed with the body's
    TrimOutput();
    out.replace(0, headerGap_, header);
    used_ = out.size();
  }
  headerGap_ = 0;
  AppendText(FooterText());
  TrimOutput();
  guard.done = true;
}

void TCustomExporter::WriteThroughHooks(const TExportRange& range) {
  for (int i = range.startLine; i <= range.stopLine; ++i) {
    highlighter_->StartLine(range.Line(i), i);
    while (!highlighter_->LineDone()) {
      TTokenAttributes* attribute = highlighter_->TokenAttribute();
      scratch_.clear();
      AppendSafe(scratch_, highlighter_->TokenView());
      takenAttribute_ = attribute;
      TakeTokenAttribute(attribute);
      EmitToken(scratch_);
      highlighter_->NextToken();
    }
    EmitLineBreak();
  }
  if (!firstRunPending_) CloseLastRun();
}

template <class Scanner>
void TCustomExporter::WriteFixedRuns(Scanner& scanner, const TFixedMarkup& markup, const TExportRange& range) {
  // What a run needs of an attribute, worked out on its first token.
  struct TRunLook {
    TTokenAttributes* attribute;
    TColor background;
    TColor foreground;
    TFontStyles style;
    size_t look;  // the same for attributes whose tokens share a run
    TPaddedText opening;
  };
  // Openings outlive the looks list's growth.
  std::vector<std::unique_ptr<std::string>> openings;
  std::vector<TRunLook> looks;
  size_t longestOpening = 0;
  const auto lookIndex = [&](TTokenAttributes* attribute) {
    for (size_t k = 0; k < looks.size(); ++k) {
      if (looks[k].attribute == attribute) return k;
    }
    openings.push_back(std::make_unique<std::string>(RunOpening(attribute)));
    TRunLook entry{attribute,
                   EffectiveColor(attribute ? attribute->Background() : clNone, color_),
                   EffectiveColor(attribute ? attribute->Foreground() : clNone, font_.Color),
                   attribute ? attribute->Style() : TFontStyles{0},
                   looks.size(),
                   TPaddedText(*openings.back())};
    // The rule of TakeTokenAttribute: a token continues the run unless its
    // background (when in use), foreground or style differs.
    for (const TRunLook& other : looks) {
      if ((!useBackground_ || other.background == entry.background) && other.foreground == entry.foreground &&
          other.style == entry.style) {
        entry.look = other.look;
        break;
      }
    }
    longestOpening = std::max(longestOpening, entry.opening.text.size());
    looks.push_back(std::move(entry));
    return looks.size() - 1;
  };

  constexpr size_t kNone = static_cast<size_t>(-1);
  // The attribute of the HTML scanner follows from the token kind, so its
  // looks are found by kind; any other scanner's by the attribute.
  std::array<size_t, 16> byKind;
  byKind.fill(kNone);
  TTokenAttributes* lastAttribute = nullptr;
  size_t lastIndex = kNone;
  const auto currentIndex = [&] {
    if constexpr (std::is_same_v<Scanner, THTMLScanner>) {
      size_t& index = byKind[static_cast<size_t>(scanner.Kind()) & 15u];
      if (index == kNone) index = lookIndex(scanner.TokenAttribute());
      return index;
    } else {
      TTokenAttributes* attribute = scanner.TokenAttribute();
      if (attribute != lastAttribute || lastIndex == kNone) {
        lastAttribute = attribute;
        lastIndex = lookIndex(attribute);
      }
      return lastIndex;
    }
  };

  const TSafeCopier safe(hasEntity_, entityTable_, packedEntity_);
  const TPaddedText closing(markup.runClosing);
  const TPaddedText lineBreak(markup.lineBreak);

  char* out = buffer_->data() + used_;
  char* limit = buffer_->data() + buffer_->size();
  const auto room = [&](size_t size) {
    if (static_cast<size_t>(limit - out) >= size) return;
    used_ = static_cast<size_t>(out - buffer_->data());
    ExtendOutput(size);
    out = buffer_->data() + used_;
    limit = buffer_->data() + buffer_->size();
  };
  // Padded copies may write past their text.
  const size_t markupRoom = 2 * kPaddedText + markup.runClosing.size() + kPackedEntity;

  size_t runLook = kNone;
  size_t runIndex = kNone;  // the attribute that opened the run
  size_t takenIndex = kNone;
  for (int i = range.startLine; i <= range.stopLine; ++i) {
    const std::string_view line = range.Line(i);
    const char* const lineEnd = line.data() + line.size();
    scanner.StartLine(line, i);
    while (!scanner.LineDone()) {
      const size_t index = currentIndex();
      const std::string_view token = scanner.TokenView();
      room(markupRoom + longestOpening + token.size() * longestEntity_);
      const TRunLook& look = looks[index];
      if (look.look != runLook) {
        if (runLook != kNone) out = closing.PutInto(out);
        out = look.opening.PutInto(out);
        runLook = look.look;
        runIndex = index;
      }
      const char* const begin = token.data();
      const char* const end = begin + token.size();
      // A scanner of the contract views tokens in its line; any other token is
      // copied without reading around it.
      const std::less_equal<const char*> notAfter;
      const bool inLine = notAfter(line.data(), begin) && notAfter(end, lineEnd);
      out = safe.Copy(out, begin, end, inLine ? lineEnd : end);
      takenIndex = index;
      scanner.NextToken();
    }
    room(markupRoom);
    out = lineBreak.PutInto(out);
  }
  if (runLook != kNone) {
    room(markupRoom);
    out = closing.PutInto(out);
  }
  used_ = static_cast<size_t>(out - buffer_->data());

  // The engine's state as the hooks would have left it.
  if (runIndex != kNone) {
    firstRunPending_ = false;
    runBackground_ = looks[runIndex].background;
    runForeground_ = looks[runIndex].foreground;
    runStyle_ = looks[runIndex].style;
  }
  if (takenIndex != kNone) takenAttribute_ = looks[takenIndex].attribute;
}

std::string TCustomExporter::RunOpening(const TTokenAttributes*) const { return {}; }

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
  used_ = 0;
  headerGap_ = 0;
  runStyle_ = 0;
  runBackground_ = clWindow;
  runForeground_ = clWindowText;
}

void TCustomExporter::InsertAtFront(std::string_view text) {
  if (text.empty()) return;
  TrimOutput();
  buffer_->insert(headerGap_, text);
  used_ = buffer_->size();
}

void TCustomExporter::PresizeOutput(size_t expected) {
  std::string& out = *buffer_;
  if (expected <= out.capacity()) return;
  std::string block;
  try {
    block.reserve(LargeBlockRequest(expected + 1) - 1);
  } catch (const std::bad_alloc&) {
    return;  // only an estimate: the page grows as it is written
  }
  AdviseLargeBlock(block.data(), block.capacity());
  block.append(out, 0, used_);
  out.swap(block);
}

void TCustomExporter::ExtendOutput(size_t size) {
  std::string& out = *buffer_;
  const size_t needed = used_ + size;
  if (needed > out.capacity()) {
    // Only the written bytes move to the new block.
    std::string block;
    block.reserve(LargeBlockRequest(std::max(needed, 2 * out.capacity()) + 1) - 1);
    AdviseLargeBlock(block.data(), block.capacity());
    block.append(out, 0, used_);
    out.swap(block);
  }
  out.resize(std::min(out.capacity(), std::max(needed, used_ + kOutputSlice)));
}

void TCustomExporter::TrimOutput() { buffer_->resize(used_); }

void TCustomExporter::SetEntity(unsigned char byte, const char* text) {
  entityTable_[byte] = text ? std::string_view(text) : std::string_view();
  hasEntity_[byte] = text != nullptr;
  packedEntity_[byte] = {};
  const std::string_view entity = entityTable_[byte];
  std::memcpy(packedEntity_[byte].data(), entity.data(), std::min(entity.size(), kPackedEntity));
  longestEntity_ = 1;
  for (const std::string_view other : entityTable_) longestEntity_ = std::max(longestEntity_, other.size());
}

std::string& TCustomExporter::WritableBuffer() {
  if (buffer_.use_count() > 1) {
    buffer_ = std::make_shared<std::string>();
    used_ = 0;
  }
  return *buffer_;
}

}  // namespace varnel

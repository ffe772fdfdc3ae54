#pragma once
// The format-neutral export engine: walks a range of lines through a scanner,
// token by token, makes each token's bytes safe through a replacement table,
// groups tokens of equal look into runs and writes everything into one output
// buffer. A derived writer decides the output's form through the hooks below.

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "export/line_source.h"
#include "platform/clipboard.h"
#include "platform/colors.h"
#include "scan/scanner_base.h"

namespace varnel {

// A (column, line) pair, both counted from 1; the column of a stop point is exclusive.
struct TPoint {
  int X;
  int Y;
};

class TCustomExporter {
 public:
  TCustomExporter();
  virtual ~TCustomExporter() = default;
  // Owns its buffer and is referred to by its window; copying makes no sense.
  TCustomExporter(const TCustomExporter&) = delete;
  TCustomExporter& operator=(const TCustomExporter&) = delete;

  // Exports every line whole: from (1, 1) to (2147483647, 2147483647).
  void ExportAllLines(const TLineSource* lines);
  // The export proper. An empty or invalid range ends with EAbort and leaves the
  // buffer as it was.
  void ExportLineRange(const TLineSource* lines, TPoint start, TPoint stop);

  // The buffer on the clipboard: as plain text when AsPlainText is on, else
  // under ClipboardFormatId. Any failure after the block is had is reported as
  // "Out of memory".
  void PutOnClipboard(TClipboard& clipboard);
  void PutOnClipboardAs(TClipboard& clipboard, std::uint16_t format);

  // The page; while an export runs (in its hooks), the body written so far.
  size_t OutputSize() const { return used_ - headerGap_; }
  std::string_view Output() const { return std::string_view(buffer_->data() + headerGap_, used_ - headerGap_); }
  // The output as a shared block. The exporter never changes a block it has
  // handed out: the next export writes into a new one.
  TClipBytes SharedOutput() const { return buffer_; }

  bool AsPlainText() const { return asPlainText_; }
  void SetAsPlainText(bool value);

  const TFont& Font() const { return font_; }
  // Copies the font's settings; none resets to "Courier New", 10 points,
  // clWindowText, no style.
  void SetFont(const TFont* font);

  TCustomScanner* Highlighter() const { return highlighter_; }
  virtual void SetHighlighter(TCustomScanner* scanner);

  TColor Color() const { return color_; }
  void SetColor(TColor value) { color_ = value; }
  bool UseBackground() const { return useBackground_; }
  virtual void SetUseBackground(bool value) { useBackground_ = value; }
  const std::string& Title() const { return title_; }
  virtual void SetTitle(const std::string& value) { title_ = value; }
  TClipFormat ClipFormat() const { return clipFormat_; }
  const std::string& DefaultFilter() const { return defaultFilter_; }

  // The text with every byte that has a table entry replaced (and lead-byte
  // pairs passed through PairText).
  std::string MakeSafe(std::string_view text) const;
  // The colour, or the fallback when the colour is clNone, converted to RGB.
  static TColor EffectiveColor(TColor color, TColor fallback);

 protected:
  virtual void CloseRun(bool backgroundChanged, bool foregroundChanged, TFontStyles stylesRemoved) = 0;
  virtual void OpenRun(bool backgroundChanged, bool foregroundChanged, TFontStyles stylesAdded) = 0;
  virtual void CloseLastRun() = 0;
  virtual void OpenFirstRun(bool backgroundDiffers, bool foregroundDiffers, TFontStyles style) = 0;
  virtual void EmitToken(std::string_view safeText) { AppendText(safeText); }
  virtual void EmitLineBreak() = 0;
  virtual TClipFormat ClipboardFormatId() const { return clipFormat_; }
  virtual std::string FooterText() = 0;
  virtual std::string FormatDescription() const { return {}; }
  virtual std::string HeaderText() = 0;
  virtual std::string PairText(unsigned char lead, unsigned char trail) const;
  // Run detection for the token about to be emitted.
  virtual void TakeTokenAttribute(TTokenAttributes* attribute);
  // The attribute of the token taken last; none before the first export.
  TTokenAttributes* TakenAttribute() const { return takenAttribute_; }
  // Empties the buffer and resets the run to the window colours.
  virtual void ClearOutput();
  // Called when an export has passed its checks, before the first line.
  virtual void ExportStarting() {}

  // The run mark-up of a writer whose runs all open with a text chosen by the
  // run's first attribute alone and all close with one text, and whose tokens
  // and line breaks go out as they are. A writer that returns one promises that
  // its hooks write exactly these texts; the engine then writes runs itself
  // instead of calling OpenFirstRun, OpenRun, CloseRun, CloseLastRun, EmitToken
  // and EmitLineBreak for every token, which gives the same bytes.
  struct TFixedMarkup {
    std::string_view runClosing;
    std::string_view lineBreak;
  };
  virtual const TFixedMarkup* FixedMarkup() const { return nullptr; }
  // The text that opens a run whose first token has `attribute` (or none), for
  // a writer with fixed mark-up.
  virtual std::string RunOpening(const TTokenAttributes* attribute) const;

  void AppendText(std::string_view text) {
    if (text.empty()) return;
    std::memcpy(OutputRoom(text.size()), text.data(), text.size());
    used_ += text.size();
  }
  void AppendLineBreak() { AppendText("\r\n"); }
  // Puts the text before everything written so far.
  void InsertAtFront(std::string_view text);

  void SetClipFormat(TClipFormat format) { clipFormat_ = format; }
  void SetDefaultFilter(std::string filter) { defaultFilter_ = std::move(filter); }
  // Replacement texts by byte value; null where the byte passes unchanged.
  void SetEntity(unsigned char byte, const char* text);

  TColor RunBackground() const { return runBackground_; }
  TColor RunForeground() const { return runForeground_; }
  TFontStyles RunStyle() const { return runStyle_; }

 private:
  // Appends the made-safe text to `out`.
  void AppendSafe(std::string& out, std::string_view text) const;
  // A buffer of our own to write into: a block handed out is never changed.
  std::string& WritableBuffer();
  // Where the next `size` bytes go. During an export the string runs ahead of
  // what is written (used_), by zero bytes added a slice at a time, so that the
  // bytes are written in place without a reallocation per token.
  char* OutputRoom(size_t size) {
    if (buffer_->size() - used_ < size) ExtendOutput(size);
    return buffer_->data() + used_;
  }
  void ExtendOutput(size_t size);
  // Reserves for the whole page at once, from the size of the text to export.
  void PresizeOutput(size_t expected);
  // Drops what runs ahead of the written bytes; ends the export's writing.
  void TrimOutput();

  // The lines of an export, cut at its columns.
  struct TExportRange;
  template <class Scanner>
  void WriteFixedRuns(Scanner& scanner, const TFixedMarkup& markup, const TExportRange& range);
  void WriteThroughHooks(const TExportRange& range);

  std::shared_ptr<std::string> buffer_;
  size_t used_ = 0;       // bytes of the buffer written
  size_t headerGap_ = 0;  // room left for the header in front of the body, during an export
  bool firstRunPending_ = false;
  TColor color_ = clWindow;
  TClipFormat clipFormat_ = CF_TEXT;
  std::string defaultFilter_;
  bool asPlainText_ = false;
  TFont font_;
  TCustomScanner* highlighter_ = nullptr;
  TColor runBackground_ = clWindow;
  TColor runForeground_ = clWindowText;
  TFontStyles runStyle_ = 0;
  std::array<std::string_view, 256> entityTable_{};
  std::array<bool, 256> hasEntity_{};
  // The replacement texts again, padded, so that one is copied with one store.
  static constexpr size_t kPackedEntity = 16;
  std::array<std::array<char, kPackedEntity>, 256> packedEntity_{};
  size_t longestEntity_ = 1;
  std::string title_ = "Untitled";
  bool useBackground_ = false;
  std::string scratch_;  // the current token, made safe; reused for every token
  TTokenAttributes* takenAttribute_ = nullptr;
};

}  // namespace varnel

#include "app/gui/editor_colouring.h"

#include "app/gui/scintilla.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/code_page.h"
#include "platform/colors.h"
#include "scan/scanner_base.h"
#include "text/line_store.h"

namespace varnel {
namespace {

using Sci = QsciScintillaBase;

// How many UTF-8 bytes Scintilla holds for each byte of a line.
const std::array<unsigned char, 256>& ShownLength() {
  static const std::array<unsigned char, 256> table = [] {
    std::array<unsigned char, 256> lengths{};
    for (unsigned b = 0; b < 256; ++b) {
      const char32_t ch = Cp1252ToUnicode(static_cast<unsigned char>(b));
      lengths[b] = ch < 0x80 ? 1 : ch < 0x800 ? 2 : 3;
    }
    return lengths;
  }();
  return table;
}

size_t ShownSize(std::string_view bytes) {
  const auto& length = ShownLength();
  size_t size = 0;
  for (char c : bytes) size += length[static_cast<unsigned char>(c)];
  return size;
}

// Scintilla takes BGR colours, as the design's literal colours are laid out.
unsigned long SciColour(TColor color, TColor fallback) {
  return static_cast<unsigned long>(ColorToRGB(color == clNone ? fallback : color)) & 0xFFFFFFu;
}

// Styles 0 .. kMaxStyle are ours; Scintilla's predefined styles start at 32.
constexpr int kMaxStyle = 31;

}  // namespace

TEditorColouring::TEditorColouring(QsciScintillaBase& editor, const TLineStore& lines)
    : editor_(editor), lines_(lines) {
  connect(&editor_, &QsciScintillaBase::SCN_STYLENEEDED, this, &TEditorColouring::StyleNeeded);
  connect(&editor_, &QsciScintillaBase::SCN_MODIFIED, this,
          [this](int position, int type, const char*, int, int linesAdded, int, int, int, int, int) {
            TextModified(position, type, linesAdded);
          });
}

TEditorColouring::~TEditorColouring() { SetScanner(nullptr); }

void TEditorColouring::SetScanner(TCustomScanner* scanner) {
  if (scanner == scanner_) return;
  if (scanner_) scanner_->UnsubscribeFromChanges(TNotifyEvent{&AttributesChanged, this});
  scanner_ = scanner;
  attributes_.clear();
  if (scanner_) {
    for (int i = 0; i < scanner_->AttributeCount() && i < kMaxStyle; ++i) attributes_.push_back(scanner_->AttributeAt(i));
    scanner_->SubscribeToChanges(TNotifyEvent{&AttributesChanged, this});
  }
  ApplyStyles();
  Reset();
}

void TEditorColouring::SetFont(const QFont& font) {
  font_ = font;
  ApplyStyles();
}

void TEditorColouring::Reset() {
  styledEnd_ = 0;
  dirtyTo_ = 0;
  endStates_.clear();
  editor_.SendScintilla(Sci::SCI_STARTSTYLING, 0ul, 0l);
  editor_.viewport()->update();
}

int TEditorColouring::TakeScannedLineCount() { return std::exchange(scannedLines_, 0); }

void TEditorColouring::AttributesChanged(void* context, TPersistent*) {
  static_cast<TEditorColouring*>(context)->ApplyStyles();
}

void TEditorColouring::ApplyStyles() {
  const QByteArray family = font_.family().toUtf8();
  const auto define = [&](unsigned long style, const TTokenAttributes* attribute) {
    editor_.SendScintilla(Sci::SCI_STYLESETFONT, style, family.constData());
    editor_.SendScintilla(Sci::SCI_STYLESETSIZE, style, static_cast<long>(font_.pointSize()));
    const TFontStyles fontStyle = attribute ? attribute->Style() : 0;
    editor_.SendScintilla(Sci::SCI_STYLESETBOLD, style, static_cast<long>((fontStyle & fsBold) != 0));
    editor_.SendScintilla(Sci::SCI_STYLESETITALIC, style, static_cast<long>((fontStyle & fsItalic) != 0));
    editor_.SendScintilla(Sci::SCI_STYLESETUNDERLINE, style, static_cast<long>((fontStyle & fsUnderline) != 0));
    editor_.SendScintilla(Sci::SCI_STYLESETFORE, style,
                          static_cast<long>(SciColour(attribute ? attribute->Foreground() : clNone, clWindowText)));
    editor_.SendScintilla(Sci::SCI_STYLESETBACK, style,
                          static_cast<long>(SciColour(attribute ? attribute->Background() : clNone, clWindow)));
  };
  define(Sci::STYLE_DEFAULT, nullptr);
  define(0, nullptr);
  for (size_t i = 0; i < attributes_.size(); ++i) define(i + 1, attributes_[i]);
}

int TEditorColouring::StyleOf(const TTokenAttributes* attribute) const {
  if (!attribute) return 0;
  const auto found = std::find(attributes_.begin(), attributes_.end(), attribute);
  return found == attributes_.end() ? 0 : static_cast<int>(found - attributes_.begin()) + 1;
}

void TEditorColouring::TextModified(int position, int type, int linesAdded) {
  if (!(type & (Sci::SC_MOD_INSERTTEXT | Sci::SC_MOD_DELETETEXT))) return;
  const int line = static_cast<int>(editor_.SendScintilla(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position)));
  // Keep each stored end state with the line it belongs to. The edited lines
  // run from `line` to `line + added`; the last of them inherits the state the
  // edit's last line ended in before, which is what the line after it was
  // scanned from.
  if (linesAdded > 0) {
    if (line < styledEnd_) {
      endStates_.insert(endStates_.begin() + line + 1, static_cast<size_t>(linesAdded),
                        endStates_[static_cast<size_t>(line)]);
      styledEnd_ += linesAdded;
    }
    if (dirtyTo_ > line) dirtyTo_ += linesAdded;
  } else if (linesAdded < 0) {
    const int removed = -linesAdded;
    if (line + removed < styledEnd_) {
      endStates_.erase(endStates_.begin() + line, endStates_.begin() + line + removed);
      styledEnd_ -= removed;
    } else if (line < styledEnd_) {
      // The merged line ends where no state was stored.
      styledEnd_ = line;
      endStates_.resize(static_cast<size_t>(line));
    }
    if (dirtyTo_ > line) dirtyTo_ = std::max(line + 1, dirtyTo_ - removed);
  }
  dirtyTo_ = std::max(dirtyTo_, line + std::max(linesAdded, 0) + 1);
}

void TEditorColouring::StyleNeeded(int position) {
  if (suspended_) return;
  const long endStyled = editor_.SendScintilla(Sci::SCI_GETENDSTYLED);
  if (!scanner_) {
    editor_.SendScintilla(Sci::SCI_STARTSTYLING, static_cast<unsigned long>(endStyled), 0l);
    editor_.SendScintilla(Sci::SCI_SETSTYLING, static_cast<unsigned long>(std::max(0l, position - endStyled)), 0l);
    return;
  }
  const int lineCount = static_cast<int>(editor_.SendScintilla(Sci::SCI_GETLINECOUNT));
  const int last = static_cast<int>(editor_.SendScintilla(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position)));
  int line = static_cast<int>(editor_.SendScintilla(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(endStyled)));
  while (line < lineCount) {
    const bool hadState = line < styledEnd_;
    const std::intptr_t oldState = hadState ? endStates_[static_cast<size_t>(line)] : 0;
    ScanLine(line);
    const std::intptr_t newState = endStates_[static_cast<size_t>(line)];
    ++line;
    if (hadState && line >= dirtyTo_ && newState == oldState) {
      // Converged: the lines below were styled from this very state.
      dirtyTo_ = 0;
      if (styledEnd_ > line) {
        line = styledEnd_;
        const long resume = line < lineCount ? editor_.SendScintilla(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line))
                                             : editor_.SendScintilla(Sci::SCI_GETLENGTH);
        editor_.SendScintilla(Sci::SCI_STARTSTYLING, static_cast<unsigned long>(resume), 0l);
      }
    }
    if (line > last) break;
  }
  // Past the edited lines, only a changed state can make a line wrong, and
  // the scan compares states wherever it goes on.
  if (line >= dirtyTo_) dirtyTo_ = 0;
}

void TEditorColouring::ScanLine(int line) {
  ++scannedLines_;
  const auto index = static_cast<unsigned long>(line);
  const long start = editor_.SendScintilla(Sci::SCI_POSITIONFROMLINE, index);
  const long contentEnd = editor_.SendScintilla(Sci::SCI_GETLINEENDPOSITION, index);
  const long lineCount = editor_.SendScintilla(Sci::SCI_GETLINECOUNT);
  const long next = line + 1 < lineCount ? editor_.SendScintilla(Sci::SCI_POSITIONFROMLINE, index + 1)
                                         : editor_.SendScintilla(Sci::SCI_GETLENGTH);
  lineStyles_.assign(static_cast<size_t>(next - start), 0);

  if (line > 0 && static_cast<size_t>(line - 1) < endStates_.size()) {
    scanner_->RestoreRange(endStates_[static_cast<size_t>(line - 1)]);
  } else {
    scanner_->ClearRange();
  }
  const std::string_view text = lines_.LineAt(line);
  // The store and the editor hold the same line; if they ever disagree, the
  // line keeps the plain style rather than colours that fit other text.
  const bool inStep = ShownSize(text) == static_cast<size_t>(contentEnd - start);
  const auto& length = ShownLength();
  scanner_->StartLine(text, line);
  size_t shown = 0;
  size_t byte = 0;
  // A line has at most one token per byte and an empty one between two; the
  // guard only stops a scanner that breaks that rule.
  for (size_t guard = 0; !scanner_->LineDone() && guard <= 2 * text.size() + 2; ++guard) {
    const auto tokenEnd = static_cast<size_t>(scanner_->TokenStart()) + scanner_->TokenView().size();
    const char style = static_cast<char>(StyleOf(scanner_->TokenAttribute()));
    const size_t from = shown;
    for (; byte < tokenEnd && byte < text.size(); ++byte) shown += length[static_cast<unsigned char>(text[byte])];
    if (inStep) std::fill(lineStyles_.begin() + static_cast<long>(from), lineStyles_.begin() + static_cast<long>(shown), style);
    scanner_->NextToken();
  }
  if (static_cast<size_t>(line) >= endStates_.size()) endStates_.resize(static_cast<size_t>(line) + 1);
  endStates_[static_cast<size_t>(line)] = scanner_->RangeState();
  styledEnd_ = std::max(styledEnd_, line + 1);

  editor_.SendScintilla(Sci::SCI_STARTSTYLING, static_cast<unsigned long>(start), 0l);
  editor_.SendScintilla(Sci::SCI_SETSTYLINGEX, static_cast<uintptr_t>(lineStyles_.size()),
                        static_cast<const char*>(lineStyles_.data()));
}

}  // namespace varnel

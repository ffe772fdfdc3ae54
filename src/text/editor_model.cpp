#include "text/editor_model.h"

#include <algorithm>
#include <utility>

#include "platform/errors.h"

namespace varnel {
namespace {

bool Before(const TCaretPos& a, const TCaretPos& b) {
  return a.Line < b.Line || (a.Line == b.Line && a.Char < b.Char);
}

// The part of a line from 0-based column `from`, `count` bytes at most; empty
// where the line is shorter.
std::string_view Slice(std::string_view line, size_t from, size_t count = std::string_view::npos) {
  if (from >= line.size()) return {};
  return line.substr(from, count);
}

// The text up to its first NUL: plain text ends there.
std::string_view UpToNul(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

// Pieces of a text inserted as whole lines or as a block: a final line break
// ends the last piece rather than starting an empty one.
std::vector<std::string_view> BlockPieces(std::string_view text) {
  std::vector<std::string_view> pieces = SplitLines(text);
  if (pieces.size() > 1 && pieces.back().empty()) pieces.pop_back();
  return pieces;
}

}  // namespace

TClipFormat EditorBlockFormat() {
  static const TClipFormat format = RegisterClipboardFormat("Code Editor Block Type");
  return format;
}

void TEditorModel::ClearEditor() {
  lines_.RemoveAllLines();
  markCount_ = 0;
  undoDepth_ = 0;
  redoDepth_ = 0;
  modified_ = false;
  SetCaretPos(TCaretPos{});
}

void TEditorModel::SetCaretPos(TCaretPos pos) {
  pos.Char = std::max(pos.Char, 1);
  pos.Line = std::max(pos.Line, 1);
  caret_ = selBegin_ = selEnd_ = pos;
}

void TEditorModel::SetSelection(TCaretPos begin, TCaretPos end) {
  begin.Char = std::max(begin.Char, 1);
  begin.Line = std::max(begin.Line, 1);
  end.Char = std::max(end.Char, 1);
  end.Line = std::max(end.Line, 1);
  selBegin_ = begin;
  selEnd_ = end;
  caret_ = end;
}

void TEditorModel::PasteClipboard(TClipboard& clipboard) {
  if (readOnly_) return;
  TClipBytes block;
  bool privateFormat = false;
  {
    TClipboardOpener open(clipboard);
    if (clipboard.HasFormat(EditorBlockFormat())) {
      block = clipboard.GetData(EditorBlockFormat());
      privateFormat = true;
    } else if (clipboard.HasFormat(CF_TEXT)) {
      block = clipboard.GetData(CF_TEXT);
    }
  }
  if (!privateFormat) {
    if (block) PasteBlock(block);
    return;
  }
  if (!block || block->empty() || static_cast<unsigned char>((*block)[0]) > 2) {
    throw EEditorError("Clipboard paste operation failed.");
  }
  const auto mode = static_cast<TSelectionMode>((*block)[0]);
  InsertInMode(UpToNul(std::string_view(*block).substr(1)), mode);
}

void TEditorModel::PasteBlock(const TClipBytes& block) {
  if (readOnly_ || !block) return;
  const std::string_view text = UpToNul(*block);
  const bool emptyEditor = lines_.LineCount() == 0 && caret_ == TCaretPos{} && !SelectionAvailable();
  if (emptyEditor && selectionMode_ == TSelectionMode::smNormal && !text.empty()) {
    // How every paste of a conversion goes: the editor takes the block's lines.
    lines_.AssignText(block, text.size());
    const int last = lines_.LineCount();
    SetCaretPos(TCaretPos{static_cast<int>(lines_.LineAt(last - 1).size()) + 1, last});
    Changed();
    return;
  }
  InsertInMode(text, selectionMode_);
}

void TEditorModel::CopySelection(TClipboard& clipboard) {
  if (!SelectionAvailable()) return;
  std::string text = SelectedText();
  if (text.empty()) return;
  std::string block;
  block.reserve(text.size() + 1);
  block += static_cast<char>(selectionMode_);
  block += text;

  TClipboardOpener open(clipboard);
  try {
    clipboard.Clear();
    clipboard.SetData(CF_TEXT, MakeClipBytes(std::move(text)));
    clipboard.SetData(EditorBlockFormat(), MakeClipBytes(std::move(block)));
  } catch (const Exception&) {
    throw EEditorError("Clipboard copy operation failed");
  } catch (const std::bad_alloc&) {
    throw EEditorError("Clipboard copy operation failed");
  }
}

std::string TEditorModel::SelectedText() const {
  if (!SelectionAvailable()) return {};
  TCaretPos b = selBegin_;
  TCaretPos e = selEnd_;
  if (Before(e, b)) std::swap(b, e);
  const auto line = [&](int number) { return lines_.LineAt(number - 1); };
  const auto column = [](int c) { return static_cast<size_t>(c - 1); };

  std::string text;
  switch (selectionMode_) {
    case TSelectionMode::smNormal:
      if (b.Line == e.Line) {
        return std::string(Slice(line(b.Line), column(b.Char), static_cast<size_t>(e.Char - b.Char)));
      }
      text = Slice(line(b.Line), column(b.Char));
      for (int n = b.Line + 1; n < e.Line; ++n) {
        text += "\r\n";
        text += line(n);
      }
      text += "\r\n";
      text += Slice(line(e.Line), 0, column(e.Char));
      return text;
    case TSelectionMode::smLine:
      for (int n = b.Line; n <= e.Line && n <= lines_.LineCount(); ++n) {
        text += line(n);
        text += "\r\n";
      }
      return text;
    case TSelectionMode::smColumn: {
      const int left = std::min(b.Char, e.Char);
      const int right = std::max(b.Char, e.Char);
      for (int n = b.Line; n <= e.Line; ++n) {
        if (n > b.Line) text += "\r\n";
        text += Slice(line(n), column(left), static_cast<size_t>(right - left));
      }
      return text;
    }
  }
  return text;
}

void TEditorModel::InsertAtCaret(std::string_view text) { InsertInMode(text, selectionMode_); }

void TEditorModel::InsertInMode(std::string_view text, TSelectionMode mode) {
  if (SelectionAvailable()) DeleteSelection(selectionMode_);
  if (text.empty()) return;
  switch (mode) {
    case TSelectionMode::smNormal:
      InsertNormal(text);
      break;
    case TSelectionMode::smLine:
      InsertLines(text);
      break;
    case TSelectionMode::smColumn:
      InsertColumn(text);
      break;
  }
  Changed();
}

void TEditorModel::DeleteSelection(TSelectionMode mode) {
  TCaretPos b = selBegin_;
  TCaretPos e = selEnd_;
  if (Before(e, b)) std::swap(b, e);
  const int count = lines_.LineCount();
  const auto column = [](int c) { return static_cast<size_t>(c - 1); };

  switch (mode) {
    case TSelectionMode::smNormal:
      if (b.Line <= count) {
        const std::string_view first = lines_.LineAt(b.Line - 1);
        std::string joined(first.substr(0, std::min(first.size(), column(b.Char))));
        joined += Slice(lines_.LineAt(e.Line - 1), column(e.Char));
        lines_.PutLine(b.Line - 1, joined);
        lines_.DeleteLines(b.Line, std::min(e.Line, count) - b.Line);
      }
      SetCaretPos(b);
      break;
    case TSelectionMode::smLine:
      if (b.Line <= count) lines_.DeleteLines(b.Line - 1, std::min(e.Line, count) - b.Line + 1);
      SetCaretPos(TCaretPos{1, b.Line});
      break;
    case TSelectionMode::smColumn: {
      const int left = std::min(b.Char, e.Char);
      const int right = std::max(b.Char, e.Char);
      for (int n = b.Line; n <= std::min(e.Line, count); ++n) {
        const std::string_view old = lines_.LineAt(n - 1);
        if (column(left) >= old.size()) continue;
        std::string cut(old.substr(0, column(left)));
        cut += Slice(old, column(right));
        lines_.PutLine(n - 1, cut);
      }
      SetCaretPos(TCaretPos{left, b.Line});
      break;
    }
  }
  Changed();
}

void TEditorModel::InsertNormal(std::string_view text) {
  const int index = caret_.Line - 1;
  if (index > lines_.LineCount()) lines_.InsertEmptyLines(lines_.LineCount(), index - lines_.LineCount());
  const std::string_view current = lines_.LineAt(index);
  const auto column = static_cast<size_t>(caret_.Char - 1);
  // A line shorter than the caret column is padded with blanks, so the text
  // starts at the caret column.
  std::string left(current.substr(0, std::min(column, current.size())));
  left.resize(column, ' ');
  const std::string right(Slice(current, column));

  const std::vector<std::string_view> pieces = SplitLines(text);
  if (pieces.size() == 1) {
    lines_.PutLine(index, left + std::string(text) + right);
    SetCaretPos(TCaretPos{static_cast<int>(left.size() + text.size()) + 1, caret_.Line});
    return;
  }
  const int breaks = static_cast<int>(pieces.size()) - 1;
  lines_.PutLine(index, left + std::string(pieces.front()));
  lines_.InsertEmptyLines(index + 1, breaks);
  for (int k = 1; k < breaks; ++k) lines_.PutLine(index + k, pieces[static_cast<size_t>(k)]);
  lines_.PutLine(index + breaks, std::string(pieces.back()) + right);
  SetCaretPos(TCaretPos{static_cast<int>(pieces.back().size()) + 1, caret_.Line + breaks});
}

void TEditorModel::InsertLines(std::string_view text) {
  const std::vector<std::string_view> pieces = BlockPieces(text);
  const int index = std::min(caret_.Line - 1, lines_.LineCount());
  const int count = static_cast<int>(pieces.size());
  lines_.InsertEmptyLines(index, count);
  for (int k = 0; k < count; ++k) lines_.PutLine(index + k, pieces[static_cast<size_t>(k)]);
  SetCaretPos(TCaretPos{1, index + count + 1});
}

void TEditorModel::InsertColumn(std::string_view text) {
  const std::vector<std::string_view> pieces = BlockPieces(text);
  const auto column = static_cast<size_t>(caret_.Char - 1);
  const int first = caret_.Line - 1;
  for (size_t k = 0; k < pieces.size(); ++k) {
    const int index = first + static_cast<int>(k);
    while (lines_.LineCount() < index) lines_.PutLine(lines_.LineCount(), {});
    const std::string_view current = lines_.LineAt(index);
    std::string line(current.substr(0, std::min(column, current.size())));
    line.resize(column, ' ');
    line += pieces[k];
    line += Slice(current, column);
    lines_.PutLine(index, line);
  }
  SetCaretPos(TCaretPos{static_cast<int>(column + pieces.back().size()) + 1,
                        first + static_cast<int>(pieces.size())});
}

void TEditorModel::Changed() {
  modified_ = true;
  ++undoDepth_;
  redoDepth_ = 0;
}

}  // namespace varnel

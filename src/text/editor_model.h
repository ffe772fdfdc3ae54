#pragma once
// An editor without a window: a line store with caret, selection, selection
// mode, read-only flag, undo history and modified flag, and the editor
// operations on them. The unattended run uses it as it stands; the window's
// editor widget follows the same rules.

#include <string>
#include <string_view>

#include "platform/clipboard.h"
#include "text/line_store.h"

namespace varnel {

enum class TSelectionMode : unsigned char { smNormal = 0, smLine = 1, smColumn = 2 };

// A position in the text: column and line, both counted from 1.
struct TCaretPos {
  int Char = 1;
  int Line = 1;
  bool operator==(const TCaretPos&) const = default;
};

// The editor's private clipboard format: the selection-mode byte, then the text.
TClipFormat EditorBlockFormat();

class TEditorModel {
 public:
  TEditorModel() = default;
  TEditorModel(const TEditorModel&) = delete;
  TEditorModel& operator=(const TEditorModel&) = delete;

  TLineStore& Lines() { return lines_; }
  const TLineStore& Lines() const { return lines_; }

  // No lines, no marks, no history, modified flag cleared, caret at (1, 1) with
  // nothing selected.
  void ClearEditor();
  // Inserts the clipboard's text at the caret: the private format when there,
  // in the selection mode it was copied in, else the plain text up to its first
  // NUL. Nothing happens when read-only or when the clipboard holds no text.
  void PasteClipboard(TClipboard& clipboard);
  // Puts the selection on the clipboard as plain text and in the private
  // format; nothing happens when the selection is empty.
  void CopySelection(TClipboard& clipboard);
  std::string SelectedText() const;
  // Replaces the selection, if any, with the text, in the current selection mode.
  void InsertAtCaret(std::string_view text);
  // As PasteClipboard with plain text, from a shared block: an empty editor
  // takes the block's lines without copying them.
  void PasteBlock(const TClipBytes& block);

  TCaretPos CaretPos() const { return caret_; }
  void SetCaretPos(TCaretPos pos);
  TCaretPos SelectionBegin() const { return selBegin_; }
  TCaretPos SelectionEnd() const { return selEnd_; }
  // Selects from `begin` to `end`; the caret goes to `end`.
  void SetSelection(TCaretPos begin, TCaretPos end);
  bool SelectionAvailable() const { return !(selBegin_ == selEnd_); }

  TSelectionMode SelectionMode() const { return selectionMode_; }
  void SetSelectionMode(TSelectionMode mode) { selectionMode_ = mode; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  bool Modified() const { return modified_; }
  void SetModified(bool value) { modified_ = value; }
  bool CanUndo() const { return undoDepth_ > 0; }
  bool CanRedo() const { return redoDepth_ > 0; }
  int MarkCount() const { return markCount_; }
  void AddMark() { ++markCount_; }

 private:
  void InsertInMode(std::string_view text, TSelectionMode mode);
  void DeleteSelection(TSelectionMode mode);
  void InsertNormal(std::string_view text);
  void InsertLines(std::string_view text);
  void InsertColumn(std::string_view text);
  void Changed();

  TLineStore lines_;
  TCaretPos caret_;
  TCaretPos selBegin_;
  TCaretPos selEnd_;
  TSelectionMode selectionMode_ = TSelectionMode::smNormal;
  bool readOnly_ = false;
  bool modified_ = false;
  int undoDepth_ = 0;
  int redoDepth_ = 0;
  int markCount_ = 0;
};

}  // namespace varnel

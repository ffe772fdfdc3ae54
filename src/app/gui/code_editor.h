#pragma once
// The editor widget: QScintilla showing the bytes of a TEditorModel.
//
// The model's line store is the text. Scintilla holds the same lines, every
// byte as its Windows-1252 character in UTF-8, joined with LF. Changes flow
// both ways: the model's operations change the store, and the store's change
// notifications are replayed on Scintilla (as undoable edits); typing, undo
// and drag and drop change Scintilla, and each change is written back into the
// store line by line. The editor operations themselves (clear, paste, copy,
// selected text, insert at the caret) are the model's: the widget only hands
// the model its caret, selection and mode before, and shows the caret after.

#include "app/gui/scintilla.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "text/editor_model.h"

namespace varnel {

class TClipboard;
class TCustomScanner;
class TEditorColouring;

class TCodeEditor final : public QsciScintilla {
  Q_OBJECT

 public:
  explicit TCodeEditor(QWidget* parent = nullptr);
  ~TCodeEditor() override;

  const TLineStore& Lines() const { return model_.Lines(); }
  std::string WholeText() const { return model_.Lines().WholeText(); }

  // Reads the file first: a failure changes nothing. Afterwards the editor is
  // as after ClearEditor, holding the file's lines.
  void LoadFile(const std::string& fileName);
  void SaveFile(const std::string& fileName) const { model_.Lines().SaveFile(fileName); }

  void ClearEditor();
  void PasteClipboard(TClipboard& clipboard);
  void CopySelection(TClipboard& clipboard);
  std::string SelectedText();
  void InsertAtCaret(std::string_view text);

  // Runs `operation` on the model with the widget's caret, selection and mode,
  // as one undo step, then shows the model's caret. For callers that drive the
  // model themselves, as Convert does.
  template <typename Operation>
  void WithModel(Operation&& operation) {
    TModelScope scope(*this);
    operation(model_);
  }

  // The caret and selection in model terms: columns and lines from 1, columns
  // counting bytes.
  TCaretPos CaretPos() const;
  void SetCaretPos(TCaretPos pos);
  void SetSelection(TCaretPos begin, TCaretPos end);
  TSelectionMode SelectionMode() const;
  void SetSelectionMode(TSelectionMode mode);

  // The clipboard that Ctrl+C, Ctrl+X, Ctrl+V and the context menu use; the
  // desktop's unless set.
  void SetClipboard(TClipboard* clipboard) { clipboard_ = clipboard; }
  // Where failures of those keys and menu items are reported.
  void SetFailureReporter(std::function<void(const std::string&)> report) { reportFailure_ = std::move(report); }
  // Colours the text with the scanner; none shows plain text. The scanner is
  // not owned and must outlive the editor or be detached first.
  void SetScanner(TCustomScanner* scanner);
  TCustomScanner* Scanner() const;

  // The bytes Scintilla shows, mapped back; equal to WholeText when in step.
  std::string ShownText() const;

  // For tests of the colouring: lines scanned since the last call.
  int TakeScannedLineCount();

  // Scintilla's own copy and paste would bypass the model; the keys and the
  // context menu come here instead.
  void copy() override;
  void cut() override;
  void paste() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Hands the widget's state to the model for one operation and shows the
  // model's caret when it ends, also when it ends with an exception. An
  // operation that changed neither text nor caret leaves the view alone.
  class TModelScope {
   public:
    explicit TModelScope(TCodeEditor& editor);
    ~TModelScope();
    TModelScope(const TModelScope&) = delete;
    TModelScope& operator=(const TModelScope&) = delete;

   private:
    TCodeEditor& editor_;
    bool outermost_ = false;
    unsigned changes_ = 0;
    TCaretPos begin_;
    TCaretPos end_;
  };

  void SetUpView();
  void SyncModelFromView();
  void ShowModelCaret();
  void ReplayStoreChange(const TLineChange& change);
  void ViewModified(int position, int modificationType, const char* text, int length, int linesAdded);
  void CheckInsertion(const char* text, int length);
  std::string ViewLine(int line) const;
  void ReplaceRange(long start, long end, std::string_view utf8);
  long PositionOf(TCaretPos pos, long* virtualSpace) const;
  TCaretPos CaretOf(long position, long virtualSpace) const;
  void UpdateMarginWidth();
  TClipboard& Clipboard();
  void Guarded(const std::function<void()>& action);

  TEditorModel model_;
  std::unique_ptr<TEditorColouring> colouring_;
  std::unique_ptr<TClipboard> ownClipboard_;
  TClipboard* clipboard_ = nullptr;
  std::function<void(const std::string&)> reportFailure_;
  // Set while one side is being brought in step with the other, so that the
  // change does not echo back.
  bool replaying_ = false;
  bool readingBack_ = false;
  int scopeDepth_ = 0;
  unsigned replayedChanges_ = 0;
  int marginDigits_ = 0;
};

}  // namespace varnel

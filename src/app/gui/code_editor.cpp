#include "app/gui/code_editor.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QtGlobal>
#include <algorithm>
#include <array>
#include <new>
#include <utility>

#include "app/gui/editor_colouring.h"
#include "app/gui/qt_clipboard.h"
#include "platform/code_page.h"
#include "platform/errors.h"

namespace varnel {
namespace {

using Sci = QsciScintillaBase;

// Each byte's character in UTF-8, as Scintilla holds it.
struct ShownByte {
  std::array<char, 3> utf8;
  unsigned char size;
};

const std::array<ShownByte, 256>& ShownBytes() {
  static const std::array<ShownByte, 256> table = [] {
    std::array<ShownByte, 256> bytes{};
    for (unsigned b = 0; b < 256; ++b) {
      const std::string utf8 = Cp1252ToUtf8(std::string(1, static_cast<char>(b)));
      std::copy(utf8.begin(), utf8.end(), bytes[b].utf8.begin());
      bytes[b].size = static_cast<unsigned char>(utf8.size());
    }
    return bytes;
  }();
  return table;
}

void AppendShown(std::string& out, std::string_view bytes) {
  const auto& table = ShownBytes();
  for (char c : bytes) {
    const ShownByte& shown = table[static_cast<unsigned char>(c)];
    out.append(shown.utf8.data(), shown.size);
  }
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Sets a flag for as long as it lives.
class TFlagScope {
 public:
  explicit TFlagScope(bool& flag) : flag_(flag), old_(std::exchange(flag, true)) {}
  ~TFlagScope() { flag_ = old_; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& flag_;
  bool old_;
};

}  // namespace

TCodeEditor::TModelScope::TModelScope(TCodeEditor& editor) : editor_(editor) {
  outermost_ = editor_.scopeDepth_++ == 0;
  if (!outermost_) return;
  editor_.SyncModelFromView();
  changes_ = editor_.replayedChanges_;
  begin_ = editor_.model_.SelectionBegin();
  end_ = editor_.model_.SelectionEnd();
  editor_.SendScintilla(Sci::SCI_BEGINUNDOACTION);
}

TCodeEditor::TModelScope::~TModelScope() {
  --editor_.scopeDepth_;
  if (!outermost_) return;
  editor_.SendScintilla(Sci::SCI_ENDUNDOACTION);
  const TEditorModel& model = editor_.model_;
  if (editor_.replayedChanges_ != changes_ || !(model.SelectionBegin() == begin_) || !(model.SelectionEnd() == end_)) {
    editor_.ShowModelCaret();
  }
  if (!model.Modified()) editor_.setModified(false);
}

TCodeEditor::TCodeEditor(QWidget* parent) : QsciScintilla(parent) {
  colouring_ = std::make_unique<TEditorColouring>(*this, model_.Lines());
  SetUpView();
  model_.Lines().SetChangeListener([this](const TLineChange& change) { ReplayStoreChange(change); });
  connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
          [this](int position, int type, const char* text, int length, int linesAdded, int, int, int, int, int) {
            ViewModified(position, type, text, length, linesAdded);
          });
  connect(this, &QsciScintilla::linesChanged, this, &TCodeEditor::UpdateMarginWidth);
  UpdateMarginWidth();
}

TCodeEditor::~TCodeEditor() {
  // Scintilla goes after the model; nothing it says on the way may reach us.
  disconnect(this, nullptr, this, nullptr);
  model_.Lines().SetChangeListener(nullptr);
}

void TCodeEditor::SetUpView() {
  setUtf8(true);
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(10);
  setFont(font);
  setMarginsFont(font);
  colouring_->SetFont(font);
  setMarginType(0, NumberMargin);
  setMarginLineNumbers(0, true);
  setMarginWidth(1, 4);
  setEdgeMode(EdgeLine);
  setEdgeColumn(80);
  // The view's own line breaks; the store keeps the file's.
  setEolMode(EolUnix);
  setIndentationsUseTabs(false);
  setAutoIndent(true);
  setTabWidth(8);
  SendScintilla(Sci::SCI_SETVIRTUALSPACEOPTIONS,
                static_cast<unsigned long>(Sci::SCVS_RECTANGULARSELECTION | Sci::SCVS_USERACCESSIBLE));
  SendScintilla(Sci::SCI_SETHSCROLLBAR, 1ul);
  SendScintilla(Sci::SCI_SETVSCROLLBAR, 1ul);
  // Both scroll bars always, as on an empty page.
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  SendScintilla(Sci::SCI_SETLEXER, static_cast<unsigned long>(Sci::SCLEX_CONTAINER));
}

void TCodeEditor::UpdateMarginWidth() {
  int digits = 1;
  for (int n = lines(); n >= 10; n /= 10) ++digits;
  digits = std::max(digits, 3) + 1;
  if (digits == marginDigits_) return;
  marginDigits_ = digits;
  setMarginWidth(0, QString(digits, QLatin1Char('9')));
}

void TCodeEditor::SetScanner(TCustomScanner* scanner) { colouring_->SetScanner(scanner); }
TCustomScanner* TCodeEditor::Scanner() const { return colouring_->Scanner(); }
int TCodeEditor::TakeScannedLineCount() { return colouring_->TakeScannedLineCount(); }

// ---- store to view --------------------------------------------------------

void TCodeEditor::ReplaceRange(long start, long end, std::string_view utf8) {
  SendScintilla(Sci::SCI_SETTARGETRANGE, static_cast<unsigned long>(start), end);
  SendScintilla(Sci::SCI_REPLACETARGET, static_cast<uintptr_t>(utf8.size()), utf8.empty() ? "" : utf8.data());
}

void TCodeEditor::ReplayStoreChange(const TLineChange& change) {
  if (readingBack_) return;
  ++replayedChanges_;
  TFlagScope replaying(replaying_);
  colouring_->SetSuspended(true);
  const bool readOnly = isReadOnly();
  if (readOnly) SendScintilla(Sci::SCI_SETREADONLY, 0ul);
  const TLineStore& lines = model_.Lines();
  const auto lineStart = [this](int line) { return SendScintilla(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)); };
  const auto lineEnd = [this](int line) { return SendScintilla(Sci::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line)); };
  const long length = SendScintilla(Sci::SCI_GETLENGTH);

  // An empty store shows as one empty line, so a store's first line always
  // exists in the view.
  switch (change.kind) {
    case TLineChange::Kind::Cleared: {
      // Only a new text empties a store whole: its history goes with it.
      // Scintilla must not be inside an undo group when its history is
      // emptied or collecting is switched.
      if (scopeDepth_ > 0) SendScintilla(Sci::SCI_ENDUNDOACTION);
      const bool collecting = SendScintilla(Sci::SCI_GETUNDOCOLLECTION) != 0;
      SendScintilla(Sci::SCI_SETUNDOCOLLECTION, 0ul);
      SendScintilla(Sci::SCI_CLEARALL);
      SendScintilla(Sci::SCI_EMPTYUNDOBUFFER);
      SendScintilla(Sci::SCI_SETUNDOCOLLECTION, static_cast<unsigned long>(collecting));
      if (scopeDepth_ > 0) SendScintilla(Sci::SCI_BEGINUNDOACTION);
      markerDeleteAll();
      break;
    }
    case TLineChange::Kind::Inserted: {
      const int before = lines.LineCount() - change.count;
      std::string text;
      if (before > 0 && change.index == before) text += '\n';
      for (int i = change.index; i < change.index + change.count; ++i) {
        if (i > change.index) text += '\n';
        AppendShown(text, lines.LineAt(i));
      }
      if (before > 0 && change.index < before) text += '\n';
      const long at = before == 0 ? 0 : change.index < before ? lineStart(change.index) : length;
      ReplaceRange(at, at, text);
      break;
    }
    case TLineChange::Kind::Deleted: {
      const int after = lines.LineCount();
      if (after == 0) {
        ReplaceRange(0, length, {});
      } else if (change.index < after) {
        ReplaceRange(lineStart(change.index), lineStart(change.index + change.count), {});
      } else {
        ReplaceRange(lineEnd(change.index - 1), length, {});
      }
      break;
    }
    case TLineChange::Kind::Replaced:
      for (int i = change.index; i < change.index + change.count; ++i) {
        std::string text;
        AppendShown(text, lines.LineAt(i));
        ReplaceRange(lineStart(i), lineEnd(i), text);
      }
      break;
  }
  if (readOnly) SendScintilla(Sci::SCI_SETREADONLY, 1ul);
  colouring_->SetSuspended(false);
}

// ---- view to store --------------------------------------------------------

std::string TCodeEditor::ViewLine(int line) const {
  const long start = SendScintilla(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
  const long end = SendScintilla(Sci::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
  if (end <= start) return {};
  std::string utf8(static_cast<size_t>(end - start) + 1, '\0');
  SendScintilla(Sci::SCI_GETTEXTRANGE, start, end, utf8.data());
  utf8.resize(static_cast<size_t>(end - start));
  return Utf8ToCp1252(utf8);
}

std::string TCodeEditor::ShownText() const {
  std::string bytes;
  const long count = SendScintilla(Sci::SCI_GETLINECOUNT);
  for (long line = 0; line < count; ++line) {
    if (line > 0) bytes += "\r\n";
    bytes += ViewLine(static_cast<int>(line));
  }
  return bytes;
}

void TCodeEditor::CheckInsertion(const char* text, int length) {
  if (!text || length <= 0) return;
  const std::string_view inserted(text, static_cast<size_t>(length));
  if (IsAscii(inserted)) return;
  // What the view shows must be what the store holds: characters that
  // Windows-1252 cannot hold become "?" on the way in, not only on the way out.
  std::string shown;
  AppendShown(shown, Utf8ToCp1252(inserted));
  if (shown != inserted) SendScintilla(Sci::SCI_CHANGEINSERTION, static_cast<uintptr_t>(shown.size()), shown.c_str());
}

void TCodeEditor::ViewModified(int position, int type, const char* text, int length, int linesAdded) {
  if (replaying_) return;
  if (type & Sci::SC_MOD_INSERTCHECK) {
    CheckInsertion(text, length);
    return;
  }
  if (!(type & (Sci::SC_MOD_INSERTTEXT | Sci::SC_MOD_DELETETEXT))) return;
  TFlagScope readingBack(readingBack_);
  TLineStore& lines = model_.Lines();
  const int line = static_cast<int>(SendScintilla(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position)));
  while (lines.LineCount() <= line) lines.PutLine(lines.LineCount(), {});
  if (type & Sci::SC_MOD_INSERTTEXT) {
    if (linesAdded > 0) lines.InsertEmptyLines(line + 1, linesAdded);
    for (int k = line; k <= line + std::max(linesAdded, 0); ++k) lines.PutLine(k, ViewLine(k));
  } else {
    if (linesAdded < 0) lines.DeleteLines(line + 1, -linesAdded);
    lines.PutLine(line, ViewLine(line));
  }
}

// ---- caret and selection --------------------------------------------------

long TCodeEditor::PositionOf(TCaretPos pos, long* virtualSpace) const {
  *virtualSpace = 0;
  const long lineCount = SendScintilla(Sci::SCI_GETLINECOUNT);
  if (pos.Line > lineCount) return SendScintilla(Sci::SCI_GETLENGTH);
  const auto line = static_cast<unsigned long>(std::max(pos.Line, 1) - 1);
  const long start = SendScintilla(Sci::SCI_POSITIONFROMLINE, line);
  const long end = SendScintilla(Sci::SCI_GETLINEENDPOSITION, line);
  const long chars = SendScintilla(Sci::SCI_COUNTCHARACTERS, static_cast<unsigned long>(start), end);
  const long wanted = std::max(pos.Char, 1) - 1;
  if (wanted > chars) {
    *virtualSpace = wanted - chars;
    return end;
  }
  return wanted == 0 ? start : SendScintilla(Sci::SCI_POSITIONRELATIVE, static_cast<unsigned long>(start), wanted);
}

TCaretPos TCodeEditor::CaretOf(long position, long virtualSpace) const {
  const long line = SendScintilla(Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
  const long start = SendScintilla(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
  const long chars = SendScintilla(Sci::SCI_COUNTCHARACTERS, static_cast<unsigned long>(start), position);
  return TCaretPos{static_cast<int>(chars + virtualSpace) + 1, static_cast<int>(line) + 1};
}

TSelectionMode TCodeEditor::SelectionMode() const {
  switch (SendScintilla(Sci::SCI_GETSELECTIONMODE)) {
    case Sci::SC_SEL_RECTANGLE:
    case Sci::SC_SEL_THIN:
      return TSelectionMode::smColumn;
    case Sci::SC_SEL_LINES:
      return TSelectionMode::smLine;
    default:
      return TSelectionMode::smNormal;
  }
}

void TCodeEditor::SetSelectionMode(TSelectionMode mode) {
  switch (mode) {
    case TSelectionMode::smNormal:
      // Scintilla toggles whether moving the caret extends the selection;
      // a plain stream selection has that off.
      SendScintilla(Sci::SCI_SETSELECTIONMODE, static_cast<unsigned long>(Sci::SC_SEL_STREAM));
      if (SendScintilla(Sci::SCI_GETMOVEEXTENDSSELECTION) != 0) {
        SendScintilla(Sci::SCI_SETSELECTIONMODE, static_cast<unsigned long>(Sci::SC_SEL_STREAM));
      }
      break;
    case TSelectionMode::smLine:
      SendScintilla(Sci::SCI_SETSELECTIONMODE, static_cast<unsigned long>(Sci::SC_SEL_LINES));
      break;
    case TSelectionMode::smColumn:
      SendScintilla(Sci::SCI_SETSELECTIONMODE, static_cast<unsigned long>(Sci::SC_SEL_RECTANGLE));
      break;
  }
}

void TCodeEditor::SyncModelFromView() {
  const TSelectionMode mode = SelectionMode();
  model_.SetSelectionMode(mode);
  model_.SetReadOnly(isReadOnly());
  model_.SetModified(isModified());
  long anchor = 0;
  long caret = 0;
  long anchorSpace = 0;
  long caretSpace = 0;
  if (mode == TSelectionMode::smColumn) {
    anchor = SendScintilla(Sci::SCI_GETRECTANGULARSELECTIONANCHOR);
    caret = SendScintilla(Sci::SCI_GETRECTANGULARSELECTIONCARET);
    anchorSpace = SendScintilla(Sci::SCI_GETRECTANGULARSELECTIONANCHORVIRTUALSPACE);
    caretSpace = SendScintilla(Sci::SCI_GETRECTANGULARSELECTIONCARETVIRTUALSPACE);
  } else {
    const auto main = static_cast<unsigned long>(SendScintilla(Sci::SCI_GETMAINSELECTION));
    anchor = SendScintilla(Sci::SCI_GETANCHOR);
    caret = SendScintilla(Sci::SCI_GETCURRENTPOS);
    anchorSpace = SendScintilla(Sci::SCI_GETSELECTIONNANCHORVIRTUALSPACE, main);
    caretSpace = SendScintilla(Sci::SCI_GETSELECTIONNCARETVIRTUALSPACE, main);
  }
  model_.SetSelection(CaretOf(anchor, anchorSpace), CaretOf(caret, caretSpace));
}

void TCodeEditor::ShowModelCaret() {
  long beginSpace = 0;
  long endSpace = 0;
  const long begin = PositionOf(model_.SelectionBegin(), &beginSpace);
  const long end = PositionOf(model_.SelectionEnd(), &endSpace);
  if (!model_.SelectionAvailable()) {
    SendScintilla(Sci::SCI_SETEMPTYSELECTION, static_cast<unsigned long>(end));
    if (endSpace > 0) {
      SendScintilla(Sci::SCI_SETSELECTIONNCARETVIRTUALSPACE, 0ul, endSpace);
      SendScintilla(Sci::SCI_SETSELECTIONNANCHORVIRTUALSPACE, 0ul, endSpace);
    }
  } else if (model_.SelectionMode() == TSelectionMode::smColumn) {
    SendScintilla(Sci::SCI_SETRECTANGULARSELECTIONANCHOR, static_cast<unsigned long>(begin));
    SendScintilla(Sci::SCI_SETRECTANGULARSELECTIONANCHORVIRTUALSPACE, static_cast<unsigned long>(beginSpace));
    SendScintilla(Sci::SCI_SETRECTANGULARSELECTIONCARET, static_cast<unsigned long>(end));
    SendScintilla(Sci::SCI_SETRECTANGULARSELECTIONCARETVIRTUALSPACE, static_cast<unsigned long>(endSpace));
  } else {
    SendScintilla(Sci::SCI_SETSEL, static_cast<unsigned long>(begin), end);
    // Setting a selection makes it a stream; whole lines are asked for after.
    if (model_.SelectionMode() == TSelectionMode::smLine) SetSelectionMode(TSelectionMode::smLine);
  }
  SendScintilla(Sci::SCI_SCROLLCARET);
}

TCaretPos TCodeEditor::CaretPos() const {
  const auto main = static_cast<unsigned long>(SendScintilla(Sci::SCI_GETMAINSELECTION));
  return CaretOf(SendScintilla(Sci::SCI_GETCURRENTPOS), SendScintilla(Sci::SCI_GETSELECTIONNCARETVIRTUALSPACE, main));
}

void TCodeEditor::SetCaretPos(TCaretPos pos) {
  WithModel([&](TEditorModel& model) { model.SetCaretPos(pos); });
}

void TCodeEditor::SetSelection(TCaretPos begin, TCaretPos end) {
  WithModel([&](TEditorModel& model) { model.SetSelection(begin, end); });
}

// ---- the editor operations ------------------------------------------------

void TCodeEditor::LoadFile(const std::string& fileName) {
  // A loaded file is no edit to undo. Scintilla ends any undo group when
  // collecting is switched, so the switch stays outside the operation.
  const bool collecting = SendScintilla(Sci::SCI_GETUNDOCOLLECTION) != 0;
  SendScintilla(Sci::SCI_SETUNDOCOLLECTION, 0ul);
  try {
    TModelScope scope(*this);
    model_.Lines().LoadFile(fileName);
    model_.SetCaretPos(TCaretPos{});
    model_.SetModified(false);
  } catch (...) {
    SendScintilla(Sci::SCI_SETUNDOCOLLECTION, static_cast<unsigned long>(collecting));
    throw;
  }
  SendScintilla(Sci::SCI_SETUNDOCOLLECTION, static_cast<unsigned long>(collecting));
  markerDeleteAll();
  SendScintilla(Sci::SCI_SETXOFFSET, 0ul);
}

void TCodeEditor::ClearEditor() {
  WithModel([](TEditorModel& model) { model.ClearEditor(); });
  SendScintilla(Sci::SCI_SETXOFFSET, 0ul);
}

void TCodeEditor::PasteClipboard(TClipboard& clipboard) {
  WithModel([&](TEditorModel& model) { model.PasteClipboard(clipboard); });
}

void TCodeEditor::CopySelection(TClipboard& clipboard) {
  SyncModelFromView();
  model_.CopySelection(clipboard);
}

std::string TCodeEditor::SelectedText() {
  SyncModelFromView();
  return model_.SelectedText();
}

void TCodeEditor::InsertAtCaret(std::string_view text) {
  WithModel([&](TEditorModel& model) { model.InsertAtCaret(text); });
}

// ---- keys and menu --------------------------------------------------------

TClipboard& TCodeEditor::Clipboard() {
  if (clipboard_) return *clipboard_;
  if (!ownClipboard_) ownClipboard_ = std::make_unique<TQtClipboard>();
  return *ownClipboard_;
}

void TCodeEditor::Guarded(const std::function<void()>& action) {
  std::string failure;
  try {
    action();
    return;
  } catch (const EAbort&) {
    return;
  } catch (const Exception& error) {
    failure = error.Message();
  } catch (const std::bad_alloc&) {
    failure = "Out of memory";
  }
  if (reportFailure_) {
    reportFailure_(failure);
  } else {
    qWarning("%s", failure.c_str());
  }
}

void TCodeEditor::copy() {
  Guarded([this] { CopySelection(Clipboard()); });
}

void TCodeEditor::cut() {
  Guarded([this] {
    WithModel([this](TEditorModel& model) {
      if (!model.SelectionAvailable()) return;
      model.CopySelection(Clipboard());
      model.InsertAtCaret({});
    });
  });
}

void TCodeEditor::paste() {
  Guarded([this] { PasteClipboard(Clipboard()); });
}

void TCodeEditor::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    copy();
  } else if (event->matches(QKeySequence::Cut)) {
    cut();
  } else if (event->matches(QKeySequence::Paste)) {
    paste();
  } else if (event->modifiers() == (Qt::ControlModifier | Qt::AltModifier) &&
             (event->key() == Qt::Key_N || event->key() == Qt::Key_C || event->key() == Qt::Key_L)) {
    SetSelectionMode(event->key() == Qt::Key_N   ? TSelectionMode::smNormal
                     : event->key() == Qt::Key_C ? TSelectionMode::smColumn
                                                 : TSelectionMode::smLine);
  } else {
    QsciScintilla::keyPressEvent(event);
    // Escape belongs to the editor: it must not reach the window, where it
    // would close the program.
    if (event->key() != Qt::Key_Escape) return;
  }
  event->accept();
}

}  // namespace varnel

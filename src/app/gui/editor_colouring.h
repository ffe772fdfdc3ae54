#pragma once
// Colours an editor's lines with a scanner through Scintilla's container
// lexing. Scintilla asks for styles only for lines about to be shown; each
// line is scanned from the range state stored (as Scintilla's line state) for
// the line above. After an edit the scan goes on past the edited lines only
// until a line ends in the state it ended in before; from there on the old
// styles still hold, and Scintilla is told so.
//
// Style numbers: 0 is text without an attribute; attribute i of the scanner's
// list is style i + 1.

#include <QFont>
#include <QObject>
#include <cstdint>
#include <vector>

class QsciScintillaBase;

namespace varnel {

class TCustomScanner;
class TLineStore;
class TPersistent;
class TTokenAttributes;

class TEditorColouring final : public QObject {
  Q_OBJECT

 public:
  // The lines must hold what the editor shows whenever Scintilla asks for styles.
  TEditorColouring(QsciScintillaBase& editor, const TLineStore& lines);
  ~TEditorColouring() override;

  void SetScanner(TCustomScanner* scanner);
  TCustomScanner* Scanner() const { return scanner_; }
  // The font of every style; attributes add bold, italic and underline.
  void SetFont(const QFont& font);
  // While set, requests for styles are left for later (the lines and the
  // editor are between two steps of one change).
  void SetSuspended(bool value) { suspended_ = value; }

  // Forgets every style and stored state: the whole text is scanned afresh as
  // it is shown.
  void Reset();
  // Lines scanned since the last call, for tests of how little an edit rescans.
  int TakeScannedLineCount();

 private:
  void StyleNeeded(int position);
  void TextModified(int position, int modificationType, int linesAdded);
  int StyleOf(const TTokenAttributes* attribute) const;
  void ApplyStyles();
  void ScanLine(int line);
  static void AttributesChanged(void* context, TPersistent* sender);

  QsciScintillaBase& editor_;
  const TLineStore& lines_;
  TCustomScanner* scanner_ = nullptr;
  std::vector<const TTokenAttributes*> attributes_;
  QFont font_;
  bool suspended_ = false;
  // Lines [0, styledEnd_) have styles and the range state their scan ended
  // in, kept line by line through edits. Edited lines lie below dirtyTo_ (and
  // at or after Scintilla's end of styling); once the scan is past them, a line
  // that ends in its stored state means the styles below it still hold.
  int styledEnd_ = 0;
  int dirtyTo_ = 0;
  std::vector<std::intptr_t> endStates_;
  int scannedLines_ = 0;
  std::vector<char> lineStyles_;
};

}  // namespace varnel

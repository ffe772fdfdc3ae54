#include "text/editor_model.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/errors.h"
#include "platform/in_process_clipboard.h"

namespace varnel {
namespace {

std::vector<std::string> Lines(const TEditorModel& editor) {
  std::vector<std::string> lines;
  for (int i = 0; i < editor.Lines().LineCount(); ++i) lines.emplace_back(editor.Lines().LineAt(i));
  return lines;
}

void PutText(TInProcessClipboard& clipboard, TClipFormat format, std::string bytes) {
  ReplaceClipboard(clipboard, format, MakeClipBytes(std::move(bytes)));
}

TEST(EditorModel, PasteIntoClearedEditorSplitsLikeLoading) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
    TCaretPos caret;
  };
  const Case cases[] = {
      {"x\r\ny", {"x", "y"}, {2, 2}},
      {"x\r\ny\r\n", {"x", "y", ""}, {1, 3}},
      {"a\n\rb", {"a", "", "b"}, {2, 3}},
      {std::string("cut\0here", 8), {"cut"}, {4, 1}},
      {"", {}, {1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.text));
    TInProcessClipboard clipboard;
    PutText(clipboard, CF_TEXT, c.text);
    TEditorModel editor;
    editor.ClearEditor();
    editor.PasteClipboard(clipboard);
    EXPECT_EQ(Lines(editor), c.lines);
    EXPECT_EQ(editor.CaretPos(), c.caret);
  }
}

TEST(EditorModel, PasteWithNothingToPaste) {
  TInProcessClipboard clipboard;
  TEditorModel editor;
  editor.PasteClipboard(clipboard);  // empty clipboard
  EXPECT_EQ(editor.Lines().LineCount(), 0);

  PutText(clipboard, CF_TEXT, "text");
  editor.SetReadOnly(true);
  editor.PasteClipboard(clipboard);
  EXPECT_EQ(editor.Lines().LineCount(), 0);
}

TEST(EditorModel, PrivateFormatIsPreferredAndChecked) {
  TInProcessClipboard clipboard;
  {
    TClipboardOpener open(clipboard);
    clipboard.Clear();
    clipboard.SetData(CF_TEXT, MakeClipBytes("plain"));
    clipboard.SetData(EditorBlockFormat(), MakeClipBytes(std::string("\0block", 6)));
  }
  TEditorModel editor;
  editor.PasteClipboard(clipboard);
  EXPECT_EQ(Lines(editor), std::vector<std::string>{"block"});

  for (const std::string& bad : {std::string(), std::string("\x03text")}) {
    PutText(clipboard, EditorBlockFormat(), bad);
    TEditorModel other;
    try {
      other.PasteClipboard(clipboard);
      FAIL() << "no error";
    } catch (const EEditorError& e) {
      EXPECT_STREQ(e.what(), "Clipboard paste operation failed.");
    }
  }
}

TEST(EditorModel, InsertAtCaretInTheMiddleOfText) {
  TEditorModel editor;
  editor.Lines().PutLine(0, "abcd");
  editor.SetCaretPos({3, 1});
  editor.InsertAtCaret("1\r\n2\r\n3");
  EXPECT_EQ(Lines(editor), (std::vector<std::string>{"ab1", "2", "3cd"}));
  EXPECT_EQ(editor.CaretPos(), (TCaretPos{2, 3}));

  // A short line is padded so that the text starts at the caret column.
  editor.SetCaretPos({5, 2});
  editor.InsertAtCaret("X");
  EXPECT_EQ(editor.Lines().LineAt(1), "2   X");

  // A selection is replaced.
  editor.SetSelection({2, 1}, {4, 1});
  editor.InsertAtCaret("-");
  EXPECT_EQ(Lines(editor), (std::vector<std::string>{"a-", "2   X", "3cd"}));
  // Across lines.
  editor.SetSelection({2, 1}, {2, 3});
  editor.InsertAtCaret("+");
  EXPECT_EQ(Lines(editor), (std::vector<std::string>{"a+cd"}));
}

TEST(EditorModel, LineAndColumnModes) {
  TEditorModel editor;
  for (const char* line : {"one", "two", "three"}) editor.Lines().PutLine(editor.Lines().LineCount(), line);

  editor.SetSelectionMode(TSelectionMode::smColumn);
  editor.SetSelection({2, 1}, {4, 3});
  EXPECT_EQ(editor.SelectedText(), "ne\r\nwo\r\nhr");

  editor.SetSelectionMode(TSelectionMode::smLine);
  EXPECT_EQ(editor.SelectedText(), "one\r\ntwo\r\nthree\r\n");
  editor.SetSelection({1, 2}, {1, 2});
  editor.InsertAtCaret("new\r\n");
  EXPECT_EQ(Lines(editor), (std::vector<std::string>{"one", "new", "two", "three"}));

  editor.SetSelectionMode(TSelectionMode::smColumn);
  editor.SetCaretPos({2, 3});
  editor.InsertAtCaret("A\r\nB\r\nC");
  EXPECT_EQ(Lines(editor), (std::vector<std::string>{"one", "new", "tAwo", "tBhree", " C"}));
}

TEST(EditorModel, CopyTakesOnlyTheSelectionInBothFormats) {
  TInProcessClipboard clipboard;
  PutText(clipboard, CF_TEXT, "before");
  TEditorModel editor;
  editor.Lines().PutLine(0, "hello");
  editor.Lines().PutLine(1, "world");

  editor.CopySelection(clipboard);  // nothing selected
  EXPECT_EQ(*clipboard.GetData(CF_TEXT), "before");

  editor.SetSelection({2, 1}, {3, 2});
  editor.CopySelection(clipboard);
  EXPECT_EQ(*clipboard.GetData(CF_TEXT), "ello\r\nwo");
  EXPECT_EQ(*clipboard.GetData(EditorBlockFormat()), std::string("\0ello\r\nwo", 9));

  // A round trip through the private format keeps the mode.
  editor.SetSelectionMode(TSelectionMode::smLine);
  editor.CopySelection(clipboard);
  TEditorModel other;
  other.Lines().PutLine(0, "last");
  other.PasteClipboard(clipboard);
  EXPECT_EQ(Lines(other), (std::vector<std::string>{"hello", "world", "last"}));
}

TEST(EditorModel, ClipboardFailures) {
  TInProcessClipboard clipboard;
  TEditorModel editor;
  editor.Lines().PutLine(0, "text");
  editor.SetSelection({1, 1}, {5, 1});

  clipboard.SetUnreachable(true);
  for (auto operation : {&TEditorModel::CopySelection, &TEditorModel::PasteClipboard}) {
    try {
      (editor.*operation)(clipboard);
      FAIL() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "Cannot open clipboard");
    }
  }
  clipboard.SetUnreachable(false);
  clipboard.SetRefusesData(true);
  try {
    editor.CopySelection(clipboard);
    FAIL() << "no error";
  } catch (const EEditorError& e) {
    EXPECT_STREQ(e.what(), "Clipboard copy operation failed");
  }
  EXPECT_FALSE(clipboard.IsOpen());
}

TEST(EditorModel, ClearEditorResetsEverything) {
  TEditorModel editor;
  editor.InsertAtCaret("a\r\nb");
  editor.AddMark();
  editor.SetSelection({1, 1}, {2, 1});
  ASSERT_TRUE(editor.Modified());
  ASSERT_TRUE(editor.CanUndo());
  editor.ClearEditor();
  EXPECT_EQ(editor.Lines().LineCount(), 0);
  EXPECT_FALSE(editor.Modified());
  EXPECT_FALSE(editor.CanUndo());
  EXPECT_EQ(editor.MarkCount(), 0);
  EXPECT_EQ(editor.CaretPos(), (TCaretPos{1, 1}));
  EXPECT_FALSE(editor.SelectionAvailable());
}

}  // namespace
}  // namespace varnel

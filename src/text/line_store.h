#pragma once
// The text of an editor: an ordered list of byte lines.
//
// Lines are views into shared blocks: a loaded file or a pasted page stays in
// the one block it arrived in, and only lines written afterwards get blocks of
// their own. A view given out by LineAt stays valid until the store changes.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "export/line_source.h"
#include "platform/clipboard.h"

namespace varnel {

enum class TLineBreakStyle { BreakCrLf = 0, BreakLf = 1, BreakCr = 2 };

// What changed in a store, for the editor that shows it.
struct TLineChange {
  enum class Kind { Cleared, Inserted, Deleted, Replaced };
  Kind kind;
  int index;
  int count;
};

class TLineStore final : public TLineSource {
 public:
  TLineStore() = default;
  // A store belongs to one editor.
  TLineStore(const TLineStore&) = delete;
  TLineStore& operator=(const TLineStore&) = delete;

  int LineCount() const override { return static_cast<int>(lines_.size()); }
  // Empty, and no error, for an index outside the lines.
  std::string_view LineAt(int index) const override;
  // Replaces a line; an index equal to LineCount appends. Any other index fails
  // with "Invalid stringlist index %d".
  void PutLine(int index, std::string_view text);
  // Inserts empty lines in front of the line at the index (at the end when the
  // index equals LineCount).
  void InsertEmptyLines(int index, int count);
  // Removes `count` lines from the index on.
  void DeleteLines(int index, int count);
  // Removes every line; LineBreakStyle stays.
  void RemoveAllLines();

  // The lines joined with CR LF, no break after the last.
  std::string WholeText() const;

  // Reads the file in one piece, then replaces the content with its lines and
  // sets LineBreakStyle. A failure leaves the store as it was.
  void LoadFile(const std::string& fileName);
  // Writes the lines joined with the LineBreakStyle's break, no break after the
  // last, through a temporary file renamed over the target only when every
  // byte is written: a failure leaves any old file exactly as it was.
  void SaveFile(const std::string& fileName) const;

  TLineBreakStyle LineBreakStyle() const { return lineBreakStyle_; }

  // Replaces the content with the lines of a block's first `length` bytes, split
  // as LoadFile splits; the block is shared, not copied. LineBreakStyle stays.
  void AssignText(TClipBytes block, size_t length);

  void SetChangeListener(std::function<void(const TLineChange&)> listener) { listener_ = std::move(listener); }

 private:
  void CheckIndex(int index) const;
  void Notify(TLineChange::Kind kind, int index, int count) const;
  // Splits into lines (views into `data`); returns which breaks were seen.
  struct BreaksSeen {
    bool crLf = false;
    bool cr = false;  // a CR without an LF after it
    bool lf = false;  // an LF without a CR before it
    // True when every break seen is `lineBreak`.
    bool OnlyOf(std::string_view lineBreak) const;
  };
  BreaksSeen Split(std::string_view data);
  // Drops blocks no line refers to any more once they pile up.
  void CompactIfNeeded();

  std::vector<std::string_view> lines_;
  std::vector<std::shared_ptr<const std::string>> blocks_;
  // The whole content as one piece of a block, while the lines are still that
  // block's text as it was split and every break in it is LineBreakStyle's: so
  // SaveFile writes the block as it is, without a look at every line.
  std::optional<std::string_view> wholeText_;
  TLineBreakStyle lineBreakStyle_ = TLineBreakStyle::BreakCrLf;
  std::function<void(const TLineChange&)> listener_;
};

// Splits text into pieces at CR LF, lone CR and lone LF; a text ending with a
// break ends with an empty piece. Views point into `text`.
std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace varnel

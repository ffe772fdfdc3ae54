#include "text/line_store.h"

#include <algorithm>
#include <cstring>

#include "platform/errors.h"
#include "platform/large_block.h"
#include "text/file_io.h"

namespace varnel {
namespace {

// Finds line breaks with two forward memchr streams, which is much faster than
// testing every byte for both CR and LF.
class BreakFinder {
 public:
  explicit BreakFinder(std::string_view data)
      : data_(data), nextCr_(Find('\r', 0)), nextLf_(Find('\n', 0)) {}

  // The position of the next CR or LF at or after `from`, or the size.
  size_t Next(size_t from) {
    if (nextCr_ < from) nextCr_ = Find('\r', from);
    if (nextLf_ < from) nextLf_ = Find('\n', from);
    return nextCr_ < nextLf_ ? nextCr_ : nextLf_;
  }

 private:
  size_t Find(char c, size_t from) const {
    if (from >= data_.size()) return data_.size();
    const void* hit = std::memchr(data_.data() + from, c, data_.size() - from);
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - data_.data()) : data_.size();
  }

  std::string_view data_;
  size_t nextCr_;
  size_t nextLf_;
};

template <typename Kinds, typename Emit>
void ForEachPiece(std::string_view data, Kinds& kinds, Emit emit) {
  BreakFinder finder(data);
  const size_t size = data.size();
  size_t pos = 0;
  while (pos < size) {
    const size_t end = finder.Next(pos);
    emit(data.substr(pos, end - pos));
    pos = end;
    if (pos >= size) break;
    if (data[pos] == '\r' && pos + 1 < size && data[pos + 1] == '\n') {
      kinds.crLf = true;
      pos += 2;
    } else if (data[pos] == '\r') {
      kinds.cr = true;
      ++pos;
    } else {
      kinds.lf = true;
      ++pos;
    }
  }
  if (size > 0 && (data[size - 1] == '\r' || data[size - 1] == '\n')) emit(std::string_view());
}

std::string_view BreakText(TLineBreakStyle style) {
  return style == TLineBreakStyle::BreakLf ? "\n" : style == TLineBreakStyle::BreakCr ? "\r" : "\r\n";
}

// Gives the list room for `count` lines in one block, backed by huge pages
// before it is first written when it is large.
void ReserveLines(std::vector<std::string_view>& lines, size_t count) {
  if (count <= lines.capacity()) return;
  constexpr size_t kViewSize = sizeof(std::string_view);
  std::vector<std::string_view> bigger;
  bigger.reserve(LargeBlockRequest(count * kViewSize) / kViewSize);
  AdviseLargeBlock(bigger.data(), bigger.capacity() * kViewSize);
  bigger.assign(lines.begin(), lines.end());
  lines.swap(bigger);
}

// Lines are seldom shorter than this on average; a text of shorter ones makes
// the list grow while it is split, in steps that double.
constexpr size_t kShortLine = 32;

// True when the break's one or two bytes are at `at`; checked inline, as it
// is asked once per line.
bool BreakAt(const char* at, std::string_view lineBreak) {
  for (size_t i = 0; i < lineBreak.size(); ++i) {
    if (at[i] != lineBreak[i]) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> pieces;
  struct {
    bool crLf = false;
    bool cr = false;
    bool lf = false;
  } kinds;
  ForEachPiece(text, kinds, [&](std::string_view piece) { pieces.push_back(piece); });
  if (pieces.empty()) pieces.emplace_back();
  return pieces;
}

std::string_view TLineStore::LineAt(int index) const {
  if (index < 0 || index >= LineCount()) return {};
  return lines_[static_cast<size_t>(index)];
}

void TLineStore::CheckIndex(int index) const {
  if (index < 0 || index > LineCount()) {
    throw ELineStore("Invalid stringlist index " + std::to_string(index));
  }
}

void TLineStore::PutLine(int index, std::string_view text) {
  CheckIndex(index);
  wholeText_.reset();
  auto block = std::make_shared<const std::string>(text);
  const std::string_view line(*block);
  blocks_.push_back(std::move(block));
  if (index == LineCount()) {
    lines_.push_back(line);
    Notify(TLineChange::Kind::Inserted, index, 1);
  } else {
    lines_[static_cast<size_t>(index)] = line;
    Notify(TLineChange::Kind::Replaced, index, 1);
  }
  CompactIfNeeded();
}

void TLineStore::InsertEmptyLines(int index, int count) {
  CheckIndex(index);
  if (count <= 0) return;
  wholeText_.reset();
  lines_.insert(lines_.begin() + index, static_cast<size_t>(count), std::string_view());
  Notify(TLineChange::Kind::Inserted, index, count);
}

void TLineStore::DeleteLines(int index, int count) {
  if (count <= 0) return;
  CheckIndex(index);
  if (index + count > LineCount()) CheckIndex(index + count);
  wholeText_.reset();
  lines_.erase(lines_.begin() + index, lines_.begin() + index + count);
  Notify(TLineChange::Kind::Deleted, index, count);
  CompactIfNeeded();
}

void TLineStore::RemoveAllLines() {
  wholeText_.reset();
  lines_.clear();
  blocks_.clear();
  Notify(TLineChange::Kind::Cleared, 0, 0);
}

std::string TLineStore::WholeText() const {
  if (lines_.empty()) return {};
  size_t size = 2 * (lines_.size() - 1);
  for (std::string_view line : lines_) size += line.size();
  std::string text;
  text.reserve(size);
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines_[i];
  }
  return text;
}

void TLineStore::LoadFile(const std::string& fileName) {
  auto block = std::make_shared<const std::string>(ReadWholeFile(fileName));
  RemoveAllLines();  // only now that the file has been read
  blocks_.push_back(block);
  const BreaksSeen kinds = Split(*block);
  const bool cr = kinds.crLf || kinds.cr;
  const bool lf = kinds.crLf || kinds.lf;
  if (cr && !lf) {
    lineBreakStyle_ = TLineBreakStyle::BreakCr;
  } else if (lf && !cr) {
    lineBreakStyle_ = TLineBreakStyle::BreakLf;
  } else {
    lineBreakStyle_ = TLineBreakStyle::BreakCrLf;
  }
  if (kinds.OnlyOf(BreakText(lineBreakStyle_))) wholeText_ = *block;
  Notify(TLineChange::Kind::Inserted, 0, LineCount());
}

void TLineStore::AssignText(TClipBytes block, size_t length) {
  RemoveAllLines();
  if (!block) return;
  const std::string_view data = std::string_view(*block).substr(0, length);
  blocks_.push_back(std::move(block));
  if (Split(data).OnlyOf(BreakText(lineBreakStyle_))) wholeText_ = data;
  Notify(TLineChange::Kind::Inserted, 0, LineCount());
}

bool TLineStore::BreaksSeen::OnlyOf(std::string_view lineBreak) const {
  if (lineBreak == "\r\n") return !cr && !lf;
  if (lineBreak == "\r") return !crLf && !lf;
  return !crLf && !cr;
}

TLineStore::BreaksSeen TLineStore::Split(std::string_view data) {
  ReserveLines(lines_, lines_.size() + data.size() / kShortLine + 1);
  BreaksSeen kinds;
  ForEachPiece(data, kinds, [&](std::string_view piece) {
    if (lines_.size() == lines_.capacity()) ReserveLines(lines_, 2 * lines_.size());
    lines_.push_back(piece);
  });
  return kinds;
}

void TLineStore::SaveFile(const std::string& fileName) const {
  const std::string_view lineBreak = BreakText(lineBreakStyle_);
  TFileReplacer file(fileName);
  if (wholeText_) {
    // The lines are a block's text as it arrived, with the breaks to write:
    // the block goes out as it is.
    file.Write(*wholeText_);
    file.Commit();
    return;
  }
  // Lines that lie one after another in their block, separated by exactly the
  // break to write, go out as one piece: a loaded file or a pasted page is
  // written straight from the block it arrived in.
  const char* pending = nullptr;
  size_t pendingSize = 0;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const std::string_view line = lines_[i];
    if (i > 0) {
      const char* joined = pending + pendingSize;
      if (pending && line.data() == joined + lineBreak.size() &&
          BreakAt(joined, lineBreak)) {
        pendingSize += lineBreak.size() + line.size();
        continue;
      }
      file.Write(std::string_view(pending, pendingSize));
      file.Write(lineBreak);
    }
    pending = line.data();
    pendingSize = line.size();
  }
  if (pending) file.Write(std::string_view(pending, pendingSize));
  file.Commit();
}

void TLineStore::Notify(TLineChange::Kind kind, int index, int count) const {
  if (listener_) listener_(TLineChange{kind, index, count});
}

void TLineStore::CompactIfNeeded() {
  if (blocks_.size() <= 64 + 2 * lines_.size()) return;
  // Gather every line into one new block.
  size_t size = 0;
  for (std::string_view line : lines_) size += line.size();
  auto block = std::make_shared<std::string>();
  block->reserve(size);
  for (std::string_view line : lines_) block->append(line);
  size_t offset = 0;
  for (std::string_view& line : lines_) {
    const size_t length = line.size();
    line = std::string_view(*block).substr(offset, length);
    offset += length;
  }
  blocks_.clear();
  blocks_.push_back(std::move(block));
}

}  // namespace varnel

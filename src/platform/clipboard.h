#pragma once
// The clipboard as the core sees it: formats by id, each holding bytes.
//
// Plain text (CF_TEXT) holds the text's bytes without the terminating zero byte
// of a transfer: the block carries its length, and readers stop at the first NUL
// anyway. Blocks are shared, so a large page is not copied on its way to the
// clipboard and from there into an editor.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace varnel {

using TClipFormat = std::uint32_t;
inline constexpr TClipFormat CF_TEXT = 1;

// Formats registered by name get ids from 0xC000 on, one per distinct name
// (names compare ignoring ASCII letter case), the same id for the same name.
TClipFormat RegisterClipboardFormat(std::string_view name);
// The name a registered id was given; empty for any other id.
std::string ClipboardFormatName(TClipFormat format);

using TClipBytes = std::shared_ptr<const std::string>;
inline TClipBytes MakeClipBytes(std::string bytes) {
  return std::make_shared<const std::string>(std::move(bytes));
}

class TClipboard {
 public:
  TClipboard() = default;
  virtual ~TClipboard() = default;
  // One clipboard per process; copying one would make two.
  TClipboard(const TClipboard&) = delete;
  TClipboard& operator=(const TClipboard&) = delete;

  // Fails with "Cannot open clipboard" when the clipboard cannot be reached.
  virtual void Open() = 0;
  virtual void Close() = 0;
  // Removes every format (the clipboard must be open).
  virtual void Clear() = 0;
  // Adds one format (the clipboard must be open). Fails when the clipboard
  // refuses the data.
  virtual void SetData(TClipFormat format, TClipBytes bytes) = 0;
  virtual bool HasFormat(TClipFormat format) = 0;
  // The bytes of a format, or null when the clipboard does not hold it.
  virtual TClipBytes GetData(TClipFormat format) = 0;
};

// Opens the clipboard for as long as it lives.
class TClipboardOpener {
 public:
  explicit TClipboardOpener(TClipboard& clipboard) : clipboard_(clipboard) { clipboard_.Open(); }
  ~TClipboardOpener() { clipboard_.Close(); }
  TClipboardOpener(const TClipboardOpener&) = delete;
  TClipboardOpener& operator=(const TClipboardOpener&) = delete;

 private:
  TClipboard& clipboard_;
};

// Opens the clipboard, empties it, sets one format and closes it.
void ReplaceClipboard(TClipboard& clipboard, TClipFormat format, TClipBytes bytes);

}  // namespace varnel

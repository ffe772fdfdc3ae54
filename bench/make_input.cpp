// Writes a large HTML-like text for the benchmark: hand-written-looking mark-up
// with tags, attributes in every quoting style, character references, comments
// (some over several lines), escaped examples, prose and a few Windows-1252
// bytes. The same seed gives the same bytes on every machine: the generator
// uses its own random numbers, not the standard library's distributions.
//
//   varnel_bench_input OUTPUT SIZE [SEED]

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// SplitMix64: small, fast and fully specified.
class TRandom {
 public:
  explicit TRandom(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }
  // A number below `bound`.
  std::size_t Below(std::size_t bound) { return static_cast<std::size_t>(Next() % bound); }
  bool Percent(unsigned chance) { return Below(100) < chance; }
  template <typename T, std::size_t N>
  const T& Pick(const std::array<T, N>& items) {
    return items[Below(N)];
  }

 private:
  std::uint64_t state_;
};

constexpr std::array<std::string_view, 40> kWords = {
    "the",     "element",   "attribute", "document", "user",     "agent",    "must",      "value",
    "node",    "parser",    "content",   "model",    "browsing", "context",  "script",    "event",
    "handler", "algorithm", "returns",   "string",   "token",    "state",    "character", "reference",
    "list",    "table",     "form",      "control",  "if",       "then",     "otherwise", "set",
    "run",     "following", "steps",     "a",        "an",       "of",       "to",        "is"};
constexpr std::array<std::string_view, 24> kTags = {
    "p",    "a",      "em",   "code",  "span", "div",   "dfn",   "var",  "li",  "ul",   "ol",    "pre",
    "h2",   "h3",     "table", "tr",   "td",   "th",    "strong", "i",   "b",   "section", "figure", "samp"};
constexpr std::array<std::string_view, 10> kAttributes = {"href",  "class", "id",     "title", "lang",
                                                          "data-x", "rel",  "target", "style", "dir"};
constexpr std::array<std::string_view, 12> kReferences = {"&amp;",  "&lt;",    "&gt;",   "&quot;", "&copy;", "&nbsp;",
                                                          "&mdash;", "&#160;", "&#x2014;", "&eacute;", "&hellip;", "&#9;"};
// Windows-1252: e acute, curly quotes, em dash, o acute, a acute.
constexpr std::array<std::string_view, 6> kHighBytes = {"\xE9", "\x93", "\x94", "\x97", "\xF3", "\xE1"};

class TPageWriter {
 public:
  TPageWriter(std::FILE* out, std::uint64_t seed) : out_(out), random_(seed) {}

  // Writes exactly `size` bytes: whole blocks, the last one cut short.
  void Write(std::uint64_t size) {
    limit_ = size;
    while (written_ < size) Block();
    Flush();
  }

 private:
  void Block() {
    switch (random_.Below(10)) {
      case 0: Comment(); break;
      case 1: Example(); break;
      case 2: List(); break;
      case 3: Table(); break;
      default: Paragraph(); break;
    }
  }

  void Paragraph() {
    Tag("p", true);
    const std::size_t lines = 1 + random_.Below(6);
    for (std::size_t i = 0; i < lines; ++i) {
      Words(6 + random_.Below(10));
      EndLine();
    }
    Put("</p>");
    EndLine();
  }

  void List() {
    Put("<ul>");
    EndLine();
    for (std::size_t i = 1 + random_.Below(5); i > 0; --i) {
      Put(" ");
      Tag("li", false);
      Words(3 + random_.Below(8));
      EndLine();
    }
    Put("</ul>");
    EndLine();
  }

  void Table() {
    Put("<table class=\"data\">");
    EndLine();
    for (std::size_t row = 1 + random_.Below(4); row > 0; --row) {
      Put("  <tr>");
      for (std::size_t cell = 1 + random_.Below(4); cell > 0; --cell) {
        Put("<td>");
        Words(1 + random_.Below(3));
      }
      EndLine();
    }
    Put("</table>");
    EndLine();
  }

  // Escaped mark-up, as documentation shows it.
  void Example() {
    Put("<pre>");
    for (std::size_t i = 1 + random_.Below(5); i > 0; --i) {
      Put("&lt;");
      Put(random_.Pick(kTags));
      Put(" ");
      Put(random_.Pick(kAttributes));
      Put("=\"");
      Put(random_.Pick(kWords));
      Put("\"&gt;");
      Words(2 + random_.Below(4));
      Put("&lt;/");
      Put(random_.Pick(kTags));
      Put("&gt;");
      EndLine();
    }
    Put("</pre>");
    EndLine();
  }

  void Comment() {
    Put("<!-- ");
    Words(3 + random_.Below(6));
    if (random_.Percent(40)) {  // over several lines
      for (std::size_t i = 1 + random_.Below(3); i > 0; --i) {
        EndLine();
        Put("  ");
        Words(4 + random_.Below(8));
      }
    }
    Put(" -->");
    EndLine();
  }

  // An opening tag with some attributes; now and then one that breaks the line.
  void Tag(std::string_view name, bool mayBreak) {
    Put("<");
    Put(name);
    for (std::size_t i = random_.Below(3); i > 0; --i) {
      Put(mayBreak && random_.Percent(10) ? "\n   " : " ");
      Put(random_.Pick(kAttributes));
      Put("=");
      switch (random_.Below(3)) {
        case 0:
          Put("\"");
          Put(random_.Pick(kWords));
          Put("-");
          Put(random_.Pick(kWords));
          Put("\"");
          break;
        case 1:
          Put("'");
          Put(random_.Pick(kWords));
          Put("'");
          break;
        default:
          Put(random_.Pick(kWords));
          break;
      }
    }
    Put(">");
  }

  void Words(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      if (i > 0) Put(" ");
      const std::size_t roll = random_.Below(100);
      if (roll < 8) {
        const std::string_view tag = random_.Pick(kTags);
        Tag(tag, false);
        Put(random_.Pick(kWords));
        Put("</");
        Put(tag);
        Put(">");
      } else if (roll < 13) {
        Put(random_.Pick(kReferences));
      } else if (roll < 15) {
        Put(random_.Pick(kHighBytes));
        Put(random_.Pick(kWords));
      } else {
        Put(random_.Pick(kWords));
      }
    }
  }

  void EndLine() { Put("\n"); }

  void Put(std::string_view text) {
    buffer_ += text;
    written_ += text.size();
    if (buffer_.size() >= (1u << 20)) Flush();
  }

  void Flush() {
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(buffer_.size(), limit_ - flushed_));
    if (count > 0 && std::fwrite(buffer_.data(), 1, count, out_) != count) {
      std::perror("varnel_bench_input: write");
      std::exit(1);
    }
    flushed_ += count;
    buffer_.clear();
  }

  std::FILE* out_;
  TRandom random_;
  std::string buffer_;
  std::uint64_t written_ = 0;
  std::uint64_t flushed_ = 0;
  std::uint64_t limit_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: %s OUTPUT SIZE [SEED]\n", argv[0]);
    return 2;
  }
  const std::uint64_t size = std::strtoull(argv[2], nullptr, 10);
  const std::uint64_t seed = argc == 4 ? std::strtoull(argv[3], nullptr, 10) : 20100430;
  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out) {
    std::perror(argv[1]);
    return 1;
  }
  TPageWriter writer(out, seed);
  writer.Write(size);
  if (std::fclose(out) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}

#pragma once
// Where the micro-benchmarks find their inputs: $VARNEL_CORPUS_DIR, else the
// corpus directory configured at build time.

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace varnel::bench {

inline std::string CorpusPath(const char* file) {
  const char* dir = std::getenv("VARNEL_CORPUS_DIR");
  return std::string(dir ? dir : VARNEL_CORPUS_DIR) + "/" + file;
}

// The bytes of a corpus file; none when it cannot be read.
inline std::optional<std::string> ReadCorpusFile(const char* file) {
  std::ifstream in(CorpusPath(file), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline constexpr const char* kHtmlSource = "large-whatwg-html-source-2010.html";
inline constexpr const char* kProse = "prose-war-and-peace-cp1252.txt";

}  // namespace varnel::bench

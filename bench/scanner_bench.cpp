// Scanning throughput of THTMLScanner over corpus files, line by line as the
// export engine drives it, reading every token through the no-copy TokenView.
// The corpus directory is $VARNEL_CORPUS_DIR, else the one configured at build time.

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <vector>

#include "bench_corpus.h"
#include "scan/html_scanner.h"

namespace {

using varnel::bench::CorpusPath;

// Views of the lines of `text`, split at CR LF, CR or LF.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

void ScanFile(benchmark::State& state, const char* file) {
  const auto read = varnel::bench::ReadCorpusFile(file);
  if (!read) {
    state.SkipWithError(("cannot open " + CorpusPath(file)).c_str());
    return;
  }
  const std::string& text = *read;
  const std::vector<std::string_view> lines = SplitLines(text);

  varnel::RegisterHtmlScannerModule();
  varnel::THTMLScanner scanner;
  std::size_t tokens = 0;
  for (auto _ : state) {
    scanner.ClearRange();
    int number = 0;
    for (std::string_view line : lines) {
      for (scanner.StartLine(line, ++number); !scanner.LineDone(); scanner.NextToken()) {
        benchmark::DoNotOptimize(scanner.TokenView());
        benchmark::DoNotOptimize(scanner.TokenAttribute());
        ++tokens;
      }
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
  state.counters["tokens/s"] = benchmark::Counter(static_cast<double>(tokens), benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(ScanFile, html_source_4MB, "large-whatwg-html-source-2010.html")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ScanFile, prose_3MB, "prose-war-and-peace-cp1252.txt")->Unit(benchmark::kMillisecond);

}  // namespace

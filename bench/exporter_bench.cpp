// The export engine with the HTML writer: MakeSafe over a whole file's text,
// and ExportAllLines of a loaded corpus file set up as Convert sets it up.

#include <benchmark/benchmark.h>

#include <string>

#include "bench_corpus.h"
#include "export/html_exporter.h"
#include "scan/html_scanner.h"
#include "text/line_store.h"

namespace {

using varnel::bench::CorpusPath;

void MakeSafe(benchmark::State& state, const char* file) {
  const auto text = varnel::bench::ReadCorpusFile(file);
  if (!text) {
    state.SkipWithError(("cannot open " + CorpusPath(file)).c_str());
    return;
  }
  const varnel::TExporterHTML writer;
  for (auto _ : state) benchmark::DoNotOptimize(writer.MakeSafe(*text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text->size()));
}

// With `keepPages` every page stays referenced, as the clipboard and the output
// editor keep it, so each export writes into fresh memory as one run of the
// program does; without, the writer reuses its buffer.
void ExportAllLines(benchmark::State& state, const char* file, bool keepPages) {
  varnel::TLineStore lines;
  try {
    lines.LoadFile(CorpusPath(file));
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return;
  }
  varnel::RegisterHtmlScannerModule();
  varnel::THTMLScanner scanner;
  varnel::TExporterHTML writer;
  writer.SetTitle("Source file exported to clipboard (as text)");
  writer.SetAsPlainText(true);
  writer.SetHighlighter(&scanner);
  std::int64_t textBytes = 0;
  for (int i = 0; i < lines.LineCount(); ++i) textBytes += static_cast<std::int64_t>(lines.LineAt(i).size());
  varnel::TClipBytes kept;
  for (auto _ : state) {
    writer.ExportAllLines(&lines);
    if (keepPages) kept = writer.SharedOutput();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * textBytes);
  state.counters["page MB"] = static_cast<double>(writer.OutputSize()) / 1e6;
}

BENCHMARK_CAPTURE(MakeSafe, html_source_4MB, varnel::bench::kHtmlSource)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MakeSafe, prose_3MB, varnel::bench::kProse)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ExportAllLines, html_source_4MB_fresh_page, varnel::bench::kHtmlSource, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ExportAllLines, html_source_4MB_reused_buffer, varnel::bench::kHtmlSource, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ExportAllLines, prose_3MB_fresh_page, varnel::bench::kProse, true)
    ->Unit(benchmark::kMillisecond);

}  // namespace

// Loading and saving through TLineStore: LoadFile reads a corpus file and
// splits it into lines; SaveFile writes the page a conversion made (or the
// loaded text) through a temporary file and a rename, as the program does.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "bench_corpus.h"
#include "export/html_exporter.h"
#include "scan/html_scanner.h"
#include "text/line_store.h"

namespace {

using varnel::TLineStore;
using varnel::bench::CorpusPath;

std::int64_t FileBytes(const TLineStore& store) {
  std::int64_t size = 0;
  for (int i = 0; i < store.LineCount(); ++i) size += static_cast<std::int64_t>(store.LineAt(i).size()) + 1;
  return size;
}

void LoadFile(benchmark::State& state, const char* file) {
  const std::string path = CorpusPath(file);
  std::int64_t bytes = 0;
  for (auto _ : state) {
    // A fresh store each time, as a run of the program has.
    TLineStore store;
    try {
      store.LoadFile(path);
    } catch (const std::exception& e) {
      state.SkipWithError(e.what());
      return;
    }
    bytes = FileBytes(store);
    benchmark::DoNotOptimize(store.LineAt(store.LineCount() - 1));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytes);
}

// Saves either the loaded text or the page converted from it.
void SaveFile(benchmark::State& state, const char* file, bool page) {
  TLineStore source;
  TLineStore pageLines;
  try {
    source.LoadFile(CorpusPath(file));
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return;
  }
  if (page) {
    varnel::RegisterHtmlScannerModule();
    varnel::THTMLScanner scanner;
    varnel::TExporterHTML writer;
    writer.SetAsPlainText(true);
    writer.SetHighlighter(&scanner);
    writer.ExportAllLines(&source);
    const auto block = writer.SharedOutput();
    pageLines.AssignText(block, block->size());
  }
  const TLineStore& store = page ? pageLines : source;
  const std::string target = "/tmp/varnel-bench-save-" + std::to_string(getpid()) + ".html";
  for (auto _ : state) store.SaveFile(target);
  std::remove(target.c_str());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * FileBytes(store));
}

BENCHMARK_CAPTURE(LoadFile, html_source_4MB, varnel::bench::kHtmlSource)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadFile, prose_3MB, varnel::bench::kProse)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SaveFile, html_source_page_28MB, varnel::bench::kHtmlSource, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SaveFile, html_source_text_4MB, varnel::bench::kHtmlSource, false)
    ->Unit(benchmark::kMillisecond);

}  // namespace

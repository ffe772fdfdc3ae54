// The soak test's helper (bench/soak.sh runs it; not part of varnel_bench).
//
//   varnel_soak generate DIR COUNT BYTES SEED
//       writes COUNT text files of about BYTES bytes each into DIR: mark-up,
//       references, comments and quoted values over several lines, Latin-1
//       bytes, the odd NUL, and all three kinds of line break.
//   varnel_soak loop ROUNDS DIR...
//       converts every DIR/*.txt in each round twice inside this one process: as
//       the unattended run does (everything made afresh), and through one
//       long-lived exporter, scanner and pair of editors, as the window does.
//       Each page must equal the page the program wrote beside the file
//       (NAME.txt.html). After each
//       round it prints the heap in use and the resident set size; it fails
//       when either has grown after the first round.

#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/batch_run.h"
#include "app/convert.h"
#include "platform/errors.h"
#include "app/startup.h"
#include "platform/in_process_clipboard.h"
#include "scan/html_scanner.h"

namespace varnel {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Pieces of text the generator strings together.
constexpr const char* kPieces[] = {
    "<p class=\"note\">",  "</p>",         "<a href='x.html'>",   "</a>",          "<b>",
    "</b>",                "<unknown-tag>", "&amp;",               "&copy;",        "&#169;",
    "&#x2014;",            "&bogus;",       "<!-- a comment",      " that ends -->", "<img src=\"a",
    "b.png\" alt=x>",      "plain words ",  "more words, ",        "tab\there ",    "\"quoted\" ",
    "a < b > c ",          "caf\xe9 ",      "\x80 \x99 \xa0\xac\xb6 ", "<?x y?>",    "<br/>",
};

int Generate(const std::string& folder, int count, size_t bytes, unsigned seed) {
  std::mt19937 random(seed);
  for (int n = 0; n < count; ++n) {
    const char* lineBreak = n % 3 == 0 ? "\r\n" : n % 3 == 1 ? "\n" : "\r";
    std::string text;
    text.reserve(bytes + 64);
    while (text.size() < bytes) {
      const unsigned draw = random() % 100;
      if (draw < 12) {
        text += lineBreak;
      } else if (draw == 12 && random() % 50 == 0) {
        text += '\0';
      } else {
        text += kPieces[random() % std::size(kPieces)];
      }
    }
    char name[32];
    std::snprintf(name, sizeof name, "/%05d.txt", n);
    std::ofstream(folder + name, std::ios::binary) << text;
  }
  return 0;
}

struct Memory {
  size_t heap;  // bytes handed out by malloc, mapped blocks included
  size_t resident;
};

Memory Measure() {
  const struct mallinfo2 info = mallinfo2();
  size_t pages = 0;
  size_t resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%zu %zu", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return Memory{info.uordblks + info.hblkhd, resident * static_cast<size_t>(sysconf(_SC_PAGESIZE))};
}

int Loop(int rounds, const std::vector<std::string>& files) {
  // One clipboard for the whole process, as on a desktop.
  TInProcessClipboard clipboard;
  // The long-lived parts of a window.
  THTMLScanner scanner;
  TExporterHTML exporter;
  TEditorModel source;
  TEditorModel page;
  std::ostringstream ignored;

  Memory first{};
  int failures = 0;
  for (int round = 1; round <= rounds; ++round) {
    for (const std::string& file : files) {
      const std::string expected = ReadAll(file + ".html");
      const std::string scratch = file + ".soak.html";
      ignored.str(std::string());
      if (RunBatch({file, scratch}, clipboard, ignored) != 0 || ReadAll(scratch) != expected) {
        std::fprintf(stderr, "round %d: %s: the unattended run gives another page\n", round, file.c_str());
        ++failures;
      }
      std::remove(scratch.c_str());

      source.Lines().LoadFile(file);
      Convert(TConvertParts{source, page, exporter, scanner, clipboard, {}});
      if (page.Lines().WholeText() != expected) {
        std::fprintf(stderr, "round %d: %s: the long-lived parts give another page\n", round, file.c_str());
        ++failures;
      }
    }
    const Memory now = Measure();
    if (round == 1) first = now;
    std::printf("round %d: heap in use %zu KiB, resident %zu KiB\n", round, now.heap / 1024, now.resident / 1024);
    std::fflush(stdout);
    // The first round leaves the buffers of the largest page behind; after it
    // nothing may be kept. A little slack for the allocator's own bookkeeping.
    if (round > 1 && (now.heap > first.heap + (64u << 10) || now.resident > first.resident + first.resident / 20 + (4u << 20))) {
      std::fprintf(stderr, "round %d: memory has grown since round 1\n", round);
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace varnel

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    varnel::InitialiseVarnel();
    if (args.size() == 5 && args[0] == "generate") {
      return varnel::Generate(args[1], std::stoi(args[2]), std::stoul(args[3]), static_cast<unsigned>(std::stoul(args[4])));
    }
    if (args.size() >= 3 && args[0] == "loop") {
      std::vector<std::string> files;
      for (size_t i = 2; i < args.size(); ++i) {
        std::vector<std::string> inFolder;
        for (const auto& entry : std::filesystem::directory_iterator(args[i])) {
          if (entry.path().extension() == ".txt") inFolder.push_back(entry.path().string());
        }
        std::sort(inFolder.begin(), inFolder.end());
        files.insert(files.end(), inFolder.begin(), inFolder.end());
      }
      return varnel::Loop(std::stoi(args[1]), files);
    }
  } catch (const varnel::Exception& e) {
    std::fprintf(stderr, "varnel_soak: %s\n", e.Message().c_str());
    return 1;
  }
  std::fprintf(stderr, "usage: varnel_soak generate DIR COUNT BYTES SEED | loop ROUNDS DIR...\n");
  return 2;
}

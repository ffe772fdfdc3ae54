// Prints the tokens of each line of the given files, for writing and reviewing
// golden token files:
//   varnel_token_dump FILE...
// Each file is scanned as one document, starting outside any tag.

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "scan/html_scanner.h"
#include "token_trace.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: " << argv[0] << " FILE...\n";
    return 2;
  }
  varnel::RegisterHtmlScannerModule();
  varnel::THTMLScanner scanner;
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::cerr << argv[i] << ": cannot open\n";
      status = 1;
      continue;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (argc > 2) std::cout << "== " << argv[i] << '\n';
    std::cout << varnel::trace::TraceTokens(scanner, varnel::trace::SplitLines(text));
  }
  return status;
}

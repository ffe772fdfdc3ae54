#include "app/batch_run.h"

#include <ostream>

#include "app/convert.h"
#include "platform/errors.h"
#include "scan/html_scanner.h"

namespace varnel {
namespace {

std::string Argument(const TArguments& arguments, size_t index) {
  return index < arguments.size() ? arguments[index] : std::string();
}

// Lines on which a NUL byte ends the text the scanner sees.
int LinesCutAtNul(const TLineStore& lines) {
  int count = 0;
  for (int i = 0; i < lines.LineCount(); ++i) {
    if (lines.LineAt(i).find('\0') != std::string_view::npos) ++count;
  }
  return count;
}

}  // namespace

std::string TrimArgument(const std::string& argument) {
  size_t begin = 0;
  size_t end = argument.size();
  while (begin < end && static_cast<unsigned char>(argument[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(argument[end - 1]) <= 32) --end;
  return argument.substr(begin, end - begin);
}

bool IsBatchRun(const TArguments& arguments) {
  return !TrimArgument(Argument(arguments, 0)).empty() || !TrimArgument(Argument(arguments, 1)).empty();
}

int RunBatch(const TArguments& arguments, TClipboard& clipboard, std::ostream& err) {
  const std::string input = Argument(arguments, 0);
  const std::string output = Argument(arguments, 1);
  try {
    THTMLScanner scanner;
    TExporterHTML exporter;
    TEditorModel source;
    TEditorModel page;
    source.Lines().LoadFile(input);
    Convert(TConvertParts{source, page, exporter, scanner, clipboard, {}});
    // A blank output name names no file: the page stays on the clipboard.
    if (!TrimArgument(output).empty()) page.Lines().SaveFile(output);

    if (const int cut = LinesCutAtNul(source.Lines())) {
      err << "varnel: warning: text after a NUL byte is left out on " << cut << " lines\n";
    }
    return 0;
  } catch (const EAbort&) {
    err << "varnel: nothing to convert: \"" << input << "\" is empty\n";
  } catch (const Exception& e) {
    err << "varnel: " << e.Message() << '\n';
  } catch (const std::bad_alloc&) {
    err << "varnel: Out of memory\n";
  }
  return 1;
}

}  // namespace varnel

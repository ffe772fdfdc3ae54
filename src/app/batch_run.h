#pragma once
// The unattended run: `varnel INPUT [OUTPUT]` converts a file with no window.

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/clipboard.h"

namespace varnel {

// The arguments as the shell gives them, without the program name.
using TArguments = std::vector<std::string>;

// Without the blanks and control characters (codes 32 and below) at both ends.
std::string TrimArgument(const std::string& argument);

// A run converts when the first or the second argument is more than blanks.
bool IsBatchRun(const TArguments& arguments);

// Loads the input, converts it, leaves the page on the clipboard and saves it
// to the output. Returns the exit status: 0 when the job was done (with no
// output named, the page put on the clipboard), else 1 after one line on `err`.
int RunBatch(const TArguments& arguments, TClipboard& clipboard, std::ostream& err);

}  // namespace varnel

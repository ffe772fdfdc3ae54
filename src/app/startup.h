#pragma once
// What every run sets up once, before anything else: the tag-name table and the
// scanner kind, then the clipboard formats in a fixed order, so that the program
// and its window module give every format the same id.

namespace varnel {

void InitialiseVarnel();

}  // namespace varnel

#pragma once
// QScintilla's headers. They use Qt's keyword macros, which Varnel's build
// turns off; here alone they stand for their Q_ forms.

#pragma push_macro("signals")
#pragma push_macro("slots")
#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qsciscintilla.h>
#include <Qsci/qsciscintillabase.h>
#pragma pop_macro("slots")
#pragma pop_macro("signals")

// EscapeLineBreaks: CR and LF become the two characters \r and \n, and
// nothing else changes.
#include "fuzz_check.h"
#include "graph_input.h"
#include "output/sample_value.h"

using namespace strovex;
using namespace strovex::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const char *data, std::size_t size)
{
    const QString text = fuzzText(data, size);
    const QString escaped = EscapeLineBreaks(text);
    require(!escaped.contains(QLatin1Char('\r')) && !escaped.contains(QLatin1Char('\n')), "no line break is left",
            units(escaped));
    // Walk both texts side by side: every other character is copied as it is.
    qsizetype j = 0;
    for (const QChar c : text) {
        if (c == u'\r' || c == u'\n') {
            require(j + 1 < escaped.size() && escaped[j] == u'\\' && escaped[j + 1] == (c == u'\r' ? u'r' : u'n'),
                    "a line break becomes backslash and a letter", units(text));
            j += 2;
        } else {
            require(j < escaped.size() && escaped[j] == c, "other characters stay", units(text));
            ++j;
        }
    }
    require(j == escaped.size(), "nothing is added", units(text));
    return 0;
}

// The designer's comma text: splitting any text, and joining any items so
// that splitting gives them back.
#include "fuzz_check.h"
#include "graph_input.h"
#include "inspect/comma_text.h"

using namespace strovex;
using namespace strovex::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const char *data, std::size_t size)
{
    const QString text = fuzzText(data, size);

    // Any text splits; what it gives survives a join and a second split.
    const QStringList split = splitCommaText(text);
    const QString rejoined = joinCommaText(split);
    require(splitCommaText(rejoined) == split, "split(join(split(text))) == split(text)",
            units(text) + QStringLiteral("\njoined: ") + units(rejoined));

    // Any items (here separated by U+001F in the input) join into a text that splits back into them.
    const QStringList items = text.split(QChar(0x1F));
    const QString joined = joinCommaText(items);
    require(splitCommaText(joined) == items, "split(join(items)) == items", units(text) + QStringLiteral("\njoined: ") + units(joined));
    return 0;
}

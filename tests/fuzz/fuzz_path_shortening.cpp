// The status-line path shortener: a short path or one of two components
// stays; otherwise the first component, the filler, and the longest run of
// last components that fits (at least one).
#include "browse/path_shortening.h"
#include "fuzz_check.h"
#include "graph_input.h"

using namespace strovex;
using namespace strovex::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const char *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const QChar separator = (data[0] & 1) ? QLatin1Char('\\') : QLatin1Char('/');
    const int limit = static_cast<signed char>(data[1]); // negative limits too
    const QString path = fuzzText(data + 2, size - 2);
    const QString filler = QStringLiteral("...");

    const QString result = shortenPath(path, separator, limit, filler);
    const QStringList parts = path.split(separator);
    if (path.size() <= limit || parts.size() <= 2) {
        require(result == path, "short paths stay", units(path));
        return 0;
    }
    const QStringList got = result.split(separator);
    require(got.size() >= 3, "three components at least", units(result));
    require(got[0] == parts[0] && got[1] == filler, "the first component, then the filler", units(result));
    const qsizetype kept = got.size() - 2;
    require(got.mid(2) == parts.mid(parts.size() - kept), "the last components, in order", units(result));
    // As many as fit: one more would be too long, unless all of them are kept.
    if (kept < parts.size() - 2) {
        const QStringList longer = QStringList{parts[0], filler} + parts.mid(parts.size() - kept - 1);
        require(longer.join(separator).size() > limit, "no shorter than needed", units(result));
    }
    require(result.size() <= limit || kept == 1, "fits, or keeps only the last component", units(result));
    return 0;
}

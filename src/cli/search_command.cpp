#include "cli/cli_internal.h"

namespace strovex::cli {

int searchCommand(Context &, const ParsedArgs &)
{
    throw UsageError{QStringLiteral("search is not available yet.")};
}

} // namespace strovex::cli

#include "support/recording_dispatch.h"

namespace strovex::test {

Value RecordingDispatch::invoke(int dispId, CallKind kind, std::span<const Value> args)
{
    calls.push_back({dispId, kind, std::vector<Value>(args.begin(), args.end())});
    return answer_ ? answer_(calls.back()) : Value{};
}

} // namespace strovex::test

#pragma once
// Designer objects answering fixed member values, for the pure readers; the
// label-level tests use the simulated designer instead.

#include "automation/designer.h"
#include "support/recording_dispatch.h"

#include <map>
#include <memory>
#include <vector>

namespace strovex::test {

// Answers a get of `dispId` with the mapped value; an unmapped member raises.
inline DispatchRef fakeObject(std::map<int, Value> members)
{
    return std::make_shared<RecordingDispatch>([members = std::move(members)](const RecordedCall &call) -> Value {
        const auto it = members.find(call.dispId);
        if (it == members.end())
            throw AutomationError(u"member not available");
        return it->second;
    });
}

inline Value text(const char16_t *value) { return Value(std::u16string(value)); }
inline Value number(int value) { return Value(std::int32_t(value)); }

// A 1-based designer list; a null entry is an Item that comes back as nothing.
inline DispatchRef fakeList(std::vector<DispatchRef> items)
{
    return std::make_shared<RecordingDispatch>([items = std::move(items)](const RecordedCall &call) -> Value {
        if (call.dispId == dispid::List::Count)
            return Value(std::int32_t(items.size()));
        const int index = std::get<std::int32_t>(call.args.at(0));
        if (index < 1 || index > int(items.size()))
            throw AutomationError(u"index out of range");
        if (!items[std::size_t(index - 1)])
            return Value{};
        return Value(items[std::size_t(index - 1)]);
    });
}

} // namespace strovex::test

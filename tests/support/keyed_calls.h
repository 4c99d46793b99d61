#pragma once
// Counts designer calls by what they ask: each call is named by the path that
// reached its object (the application, then member and arguments step by
// step) and its own member and arguments. The same name twice is the same
// member of the same object read again.

#include "automation/dispatch.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace strovex::test {

struct KeyedCalls {
    std::map<std::string, int> byName;
    long total = 0;

    // Names asked more than once, with their counts.
    std::vector<std::string> repeated() const
    {
        std::vector<std::string> out;
        for (const auto &[name, count] : byName) {
            if (count > 1)
                out.push_back(name + " x" + std::to_string(count));
        }
        return out;
    }
    long distinct() const { return long(byName.size()); }
    void reset() { byName.clear(), total = 0; }
};

class KeyedDispatch : public Dispatch {
public:
    KeyedDispatch(DispatchRef inner, std::string name, std::shared_ptr<KeyedCalls> calls)
        : inner_(std::move(inner)), name_(std::move(name)), calls_(std::move(calls))
    {
    }

    Value invoke(int dispId, CallKind kind, std::span<const Value> args) override
    {
        std::string name = name_ + (kind == CallKind::Put ? "=" : ".") + std::to_string(dispId);
        if (kind != CallKind::Put) {
            for (const Value &arg : args) {
                if (const auto *n = std::get_if<std::int32_t>(&arg))
                    name += "(" + std::to_string(*n) + ")";
                else if (const auto *t = std::get_if<std::u16string>(&arg))
                    name += "(" + toUtf8(*t) + ")";
            }
        }
        ++calls_->total;
        ++calls_->byName[name];
        Value result = inner_->invoke(dispId, kind, args);
        if (const auto *object = std::get_if<DispatchRef>(&result); object && *object)
            return Value(DispatchRef(std::make_shared<KeyedDispatch>(*object, name, calls_)));
        return result;
    }

private:
    DispatchRef inner_;
    std::string name_;
    std::shared_ptr<KeyedCalls> calls_;
};

inline DispatchRef keyedCalls(DispatchRef application, std::shared_ptr<KeyedCalls> calls)
{
    return std::make_shared<KeyedDispatch>(std::move(application), "app", std::move(calls));
}

} // namespace strovex::test

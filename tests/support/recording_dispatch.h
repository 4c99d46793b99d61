#pragma once
// A fake designer object that records every call and answers from a script.

#include "automation/dispatch.h"

#include <functional>
#include <vector>

namespace strovex::test {

struct RecordedCall {
    int dispId;
    CallKind kind;
    std::vector<Value> args;
};

class RecordingDispatch : public Dispatch {
public:
    using Answer = std::function<Value(const RecordedCall &)>;
    explicit RecordingDispatch(Answer answer = {}) : answer_(std::move(answer)) {}
    Value invoke(int dispId, CallKind kind, std::span<const Value> args) override;

    std::vector<RecordedCall> calls;

private:
    Answer answer_;
};

} // namespace strovex::test

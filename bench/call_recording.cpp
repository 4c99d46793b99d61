#include "call_recording.h"

#include "automation/designer.h"

#include <benchmark/benchmark.h>

#include <stdexcept>

namespace strovex::bench {
namespace {

class RecordingDispatch : public Dispatch {
public:
    RecordingDispatch(DispatchRef inner, int slot, std::shared_ptr<Recording> recording)
        : inner_(std::move(inner)), slot_(slot), recording_(std::move(recording))
    {
    }
    ~RecordingDispatch() override
    {
        RecordedStep step;
        step.release = true;
        step.slot = slot_;
        recording_->steps.push_back(std::move(step));
    }

    Value invoke(int dispId, CallKind kind, std::span<const Value> args) override
    {
        RecordedStep step;
        step.call.target = slot_;
        step.call.dispId = dispId;
        step.call.kind = kind;
        for (const Value &arg : args) {
            if (std::holds_alternative<DispatchRef>(arg))
                throw std::logic_error("an object passed as an argument cannot be replayed");
            step.call.args.push_back(arg);
        }
        Value result;
        try {
            result = inner_->invoke(dispId, kind, args);
        } catch (...) {
            step.call.failed = true;
            recording_->steps.push_back(std::move(step));
            throw;
        }
        if (auto *object = std::get_if<DispatchRef>(&result); object && *object) {
            step.call.resultSlot = recording_->slotCount++;
            recording_->steps.push_back(std::move(step));
            return DispatchRef(std::make_shared<RecordingDispatch>(*object, step.call.resultSlot, recording_));
        }
        recording_->steps.push_back(std::move(step));
        return result;
    }

private:
    DispatchRef inner_;
    int slot_;
    std::shared_ptr<Recording> recording_;
};

// What the typed interfaces do with an answer: texts become QString.
void consume(const Value &value)
{
    if (const auto *text = std::get_if<std::u16string>(&value)) {
        QString converted = toQString(*text);
        benchmark::DoNotOptimize(converted);
    } else {
        benchmark::DoNotOptimize(value);
    }
}

} // namespace

std::size_t Recording::calls() const
{
    std::size_t count = 0;
    for (const RecordedStep &step : steps)
        count += step.release ? 0 : 1;
    return count;
}

DispatchRef recordCalls(DispatchRef application, std::shared_ptr<Recording> recording)
{
    return std::make_shared<RecordingDispatch>(std::move(application), 0, std::move(recording));
}

void replay(const Recording &recording, const DispatchRef &application)
{
    std::vector<DispatchRef> handles(std::size_t(recording.slotCount));
    handles[0] = application;
    for (const RecordedStep &step : recording.steps) {
        if (step.release) {
            if (step.slot != 0)
                handles[std::size_t(step.slot)].reset();
            continue;
        }
        const RecordedCall &call = step.call;
        Dispatch *target = handles[std::size_t(call.target)].get();
        if (!target)
            throw std::logic_error("the walk calls an object it has let go");
        Value result;
        try {
            result = target->invoke(call.dispId, call.kind, call.args);
        } catch (const AutomationError &) {
            if (!call.failed)
                throw;
            continue;
        }
        if (call.resultSlot >= 0)
            handles[std::size_t(call.resultSlot)] = valueToObject(result);
        else
            consume(result);
    }
}

} // namespace strovex::bench

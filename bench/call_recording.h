#pragma once
// Records every designer call a piece of Strovex makes, in order, with the
// objects it got back and the moment it let each of them go, so that the same
// calls can be made again later without Strovex: a bare walk of the designer.

#include "automation/dispatch.h"

#include <memory>
#include <vector>

namespace strovex::bench {

struct RecordedCall {
    int target = 0;          // slot of the object called; 0 is the application
    int dispId = 0;
    CallKind kind = CallKind::Get;
    std::vector<Value> args; // never objects
    int resultSlot = -1;     // slot of the object returned, -1: none
    bool failed = false;     // the designer raised
};

// One step of the walk: a call, or the release of a slot.
struct RecordedStep {
    bool release = false;
    int slot = -1;           // the slot released
    RecordedCall call;
};

struct Recording {
    std::vector<RecordedStep> steps;
    int slotCount = 1;
    std::size_t calls() const;
};

// Wraps `application`; every object handed out through the result is wrapped
// too. The recording is complete once every handle from the result is gone.
DispatchRef recordCalls(DispatchRef application, std::shared_ptr<Recording> recording);

// Makes the recorded calls on `application` in the same order, with the same
// arguments, converting each answer as the typed interfaces do (texts into
// QString), and lets objects go where Strovex did. A call that failed when
// recorded may fail again; any other failure throws.
void replay(const Recording &recording, const DispatchRef &application);

} // namespace strovex::bench

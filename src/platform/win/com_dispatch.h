#pragma once
// The COM transport: a Dispatch over a server's IDispatch, called by DispID.
// Use on the thread that created the object (the single-threaded apartment of
// the user-interface thread).

#include "automation/dispatch.h"

struct IDispatch;

namespace strovex::win {

class ComDispatch final : public Dispatch {
public:
    // Holds its own reference to `object` (non-null) until destroyed.
    explicit ComDispatch(IDispatch *object);
    ~ComDispatch() override;
    ComDispatch(const ComDispatch &) = delete;
    ComDispatch &operator=(const ComDispatch &) = delete;

    // Get, put (the value as the one argument) or method. A failed HRESULT or an
    // exception raised by the server becomes AutomationError with the server's
    // description, or the system's message for the code when it gives none.
    Value invoke(int dispId, CallKind kind, std::span<const Value> args) override;

    IDispatch *object() const noexcept { return object_; }

private:
    IDispatch *object_;
};

// Takes over a reference the caller owns (from QueryInterface or
// CoCreateInstance): the result holds it, or it is released when wrapping fails.
DispatchRef adoptDispatch(IDispatch *object);

} // namespace strovex::win

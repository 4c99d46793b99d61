#pragma once
// Converting between automation VARIANTs and the project's Value, used by both
// directions of COM: the client transport and the in-process server.

#include "automation/dispatch.h"

#include <functional>
#include <vector>

#include <windows.h>
#include <oleauto.h>

namespace strovex::win {

// How objects cross: the caller decides what an IDispatch becomes and which
// IDispatch stands for a DispatchRef (a new reference the VARIANT then owns).
using ObjectFromCom = std::function<DispatchRef(IDispatch *borrowed)>;
using ObjectToCom = std::function<IDispatch *(const DispatchRef &ref)>;

// Fills `out` (VariantInit'ed) from `value`; throws std::bad_alloc or what
// `toCom` throws.
void toVariant(const Value &value, VARIANT &out, const ObjectToCom &toCom);

// The value of `v`, through one level of reference; numbers that do not fit
// 32 bits become doubles. Throws AutomationError for a type it cannot carry.
Value fromVariant(const VARIANT &v, const ObjectFromCom &fromCom);

// The text of a BSTR (null is empty).
std::u16string bstrText(BSTR text);

// Clears every VARIANT it holds on every path, which frees BSTRs and releases
// references.
class Variants {
public:
    explicit Variants(std::size_t count);
    ~Variants();
    Variants(const Variants &) = delete;
    Variants &operator=(const Variants &) = delete;
    VARIANT *data() { return items_.data(); }
    VARIANT &operator[](std::size_t i) { return items_[i]; }

private:
    std::vector<VARIANT> items_;
};

} // namespace strovex::win

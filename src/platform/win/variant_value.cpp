#include "platform/win/variant_value.h"

#include "platform/win/win_text.h"

#include <limits>
#include <new>

namespace strovex::win {

namespace {

Value fromInteger(long long value)
{
    if (value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max())
        return static_cast<std::int32_t>(value);
    return static_cast<double>(value); // keeps the magnitude rather than wrapping
}

} // namespace

Variants::Variants(std::size_t count) : items_(count)
{
    for (VARIANT &v : items_)
        VariantInit(&v);
}

Variants::~Variants()
{
    for (VARIANT &v : items_)
        VariantClear(&v);
}

std::u16string bstrText(BSTR text)
{
    return text ? std::u16string(reinterpret_cast<const char16_t *>(text), SysStringLen(text)) : std::u16string();
}

void toVariant(const Value &value, VARIANT &out, const ObjectToCom &toCom)
{
    if (std::holds_alternative<std::monostate>(value)) {
        out.vt = VT_EMPTY;
    } else if (const bool *b = std::get_if<bool>(&value)) {
        out.vt = VT_BOOL;
        out.boolVal = *b ? VARIANT_TRUE : VARIANT_FALSE;
    } else if (const std::int32_t *i = std::get_if<std::int32_t>(&value)) {
        out.vt = VT_I4;
        out.lVal = *i;
    } else if (const double *d = std::get_if<double>(&value)) {
        out.vt = VT_R8;
        out.dblVal = *d;
    } else if (const std::u16string *s = std::get_if<std::u16string>(&value)) {
        BSTR text = SysAllocStringLen(reinterpret_cast<const OLECHAR *>(s->data()), static_cast<UINT>(s->size()));
        if (!text)
            throw std::bad_alloc();
        out.vt = VT_BSTR;
        out.bstrVal = text;
    } else {
        const DispatchRef &ref = std::get<DispatchRef>(value);
        out.vt = VT_DISPATCH;
        out.pdispVal = ref ? toCom(ref) : nullptr;
    }
}

Value fromVariant(const VARIANT &v, const ObjectFromCom &fromCom)
{
    if (v.vt & VT_BYREF) {
        if (!v.byref)
            return std::monostate();
        // A copy through the reference (one level, VT_VARIANT included).
        Variants direct(1);
        const HRESULT hr = VariantCopyInd(&direct[0], const_cast<VARIANT *>(&v));
        if (FAILED(hr))
            throw AutomationError(systemMessage(hr));
        return fromVariant(direct[0], fromCom);
    }
    switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_ERROR: // an omitted value
        return std::monostate();
    case VT_I1:
        return std::int32_t(v.cVal);
    case VT_UI1:
        return std::int32_t(v.bVal);
    case VT_I2:
        return std::int32_t(v.iVal);
    case VT_UI2:
        return std::int32_t(v.uiVal);
    case VT_I4:
        return std::int32_t(v.lVal);
    case VT_INT:
        return std::int32_t(v.intVal);
    case VT_UI4:
        return fromInteger(v.ulVal);
    case VT_UINT:
        return fromInteger(v.uintVal);
    case VT_I8:
        return fromInteger(v.llVal);
    case VT_UI8:
        if (v.ullVal > static_cast<unsigned long long>(std::numeric_limits<long long>::max()))
            return static_cast<double>(v.ullVal);
        return fromInteger(static_cast<long long>(v.ullVal));
    case VT_BOOL:
        return v.boolVal != VARIANT_FALSE;
    case VT_R4:
        return double(v.fltVal);
    case VT_R8:
        return v.dblVal;
    case VT_BSTR:
        return bstrText(v.bstrVal);
    case VT_DISPATCH:
        if (!v.pdispVal)
            return std::monostate();
        return fromCom(v.pdispVal);
    case VT_UNKNOWN: {
        if (!v.punkVal)
            return std::monostate();
        IDispatch *object = nullptr;
        const HRESULT hr = v.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(&object));
        if (FAILED(hr) || !object)
            throw AutomationError(u"The server returned an object without a dispatch interface.");
        struct Release {
            IDispatch *p;
            ~Release() { p->Release(); }
        } release{object};
        return fromCom(object);
    }
    case VT_CY:
    case VT_DECIMAL:
    case VT_DATE: {
        // Rarely sent; numbers become doubles, dates their text.
        Variants changed(1);
        const VARTYPE target = v.vt == VT_DATE ? VT_BSTR : VT_R8;
        const HRESULT hr = VariantChangeType(&changed[0], const_cast<VARIANT *>(&v), 0, target);
        if (FAILED(hr))
            throw AutomationError(systemMessage(hr));
        return fromVariant(changed[0], fromCom);
    }
    default:
        break;
    }
    throw AutomationError(systemMessage(DISP_E_TYPEMISMATCH));
}

} // namespace strovex::win

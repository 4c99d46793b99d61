#include "platform/win/com_dispatch.h"

#include "platform/win/win_text.h"

#include <windows.h>
#include <oleauto.h>

#include <limits>
#include <new>
#include <vector>

namespace strovex::win {

namespace {

// Clears every VARIANT it holds on every path, which frees argument BSTRs and
// releases argument and result references.
class Variants {
public:
    explicit Variants(std::size_t count) : items_(count)
    {
        for (VARIANT &v : items_)
            VariantInit(&v);
    }
    ~Variants()
    {
        for (VARIANT &v : items_)
            VariantClear(&v);
    }
    Variants(const Variants &) = delete;
    Variants &operator=(const Variants &) = delete;
    VARIANT *data() { return items_.data(); }
    VARIANT &operator[](std::size_t i) { return items_[i]; }

private:
    std::vector<VARIANT> items_;
};

// Frees the texts a server put into an EXCEPINFO.
class ExcepInfo {
public:
    ExcepInfo() { ZeroMemory(&info, sizeof info); }
    ~ExcepInfo()
    {
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
    }
    ExcepInfo(const ExcepInfo &) = delete;
    ExcepInfo &operator=(const ExcepInfo &) = delete;
    EXCEPINFO info;
};

std::u16string bstrText(BSTR text)
{
    return text ? std::u16string(reinterpret_cast<const char16_t *>(text), SysStringLen(text)) : std::u16string();
}

std::u16string errorText(HRESULT hr, EXCEPINFO &info)
{
    if (hr == DISP_E_EXCEPTION) {
        if (info.pfnDeferredFillIn)
            info.pfnDeferredFillIn(&info);
        std::u16string description = bstrText(info.bstrDescription);
        if (!description.empty())
            return description;
        if (FAILED(info.scode))
            return systemMessage(info.scode);
    }
    return systemMessage(hr);
}

void toVariant(const Value &value, VARIANT &out)
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
        IDispatch *object = nullptr;
        if (ref) {
            const auto *com = dynamic_cast<const ComDispatch *>(ref.get());
            if (!com)
                throw AutomationError(u"Only objects of this server can be passed to it.");
            object = com->object();
            object->AddRef();
        }
        out.vt = VT_DISPATCH;
        out.pdispVal = object;
    }
}

Value fromInteger(long long value)
{
    if (value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max())
        return static_cast<std::int32_t>(value);
    return static_cast<double>(value); // keeps the magnitude rather than wrapping
}

Value fromVariant(const VARIANT &v)
{
    if (v.vt & VT_BYREF) {
        if (!v.byref)
            return std::monostate();
        // A copy through the reference (one level, VT_VARIANT included).
        Variants direct(1);
        const HRESULT hr = VariantCopyInd(&direct[0], const_cast<VARIANT *>(&v));
        if (FAILED(hr))
            throw AutomationError(systemMessage(hr));
        return fromVariant(direct[0]);
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
        return DispatchRef(std::make_shared<ComDispatch>(v.pdispVal));
    case VT_UNKNOWN: {
        if (!v.punkVal)
            return std::monostate();
        IDispatch *object = nullptr;
        const HRESULT hr = v.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(&object));
        if (FAILED(hr) || !object)
            throw AutomationError(u"The server returned an object without a dispatch interface.");
        return adoptDispatch(object);
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
        return fromVariant(changed[0]);
    }
    default:
        break;
    }
    throw AutomationError(systemMessage(DISP_E_TYPEMISMATCH));
}

} // namespace

ComDispatch::ComDispatch(IDispatch *object) : object_(object)
{
    object_->AddRef();
}

ComDispatch::~ComDispatch()
{
    object_->Release();
}

Value ComDispatch::invoke(int dispId, CallKind kind, std::span<const Value> args)
{
    if (kind == CallKind::Put && args.empty())
        throw AutomationError(systemMessage(DISP_E_BADPARAMCOUNT));

    // IDispatch takes its arguments last first.
    const std::size_t count = args.size();
    Variants arguments(count);
    for (std::size_t i = 0; i < count; ++i)
        toVariant(args[i], arguments[count - 1 - i]);

    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.rgvarg = count ? arguments.data() : nullptr;
    params.cArgs = static_cast<UINT>(count);

    WORD flags = DISPATCH_METHOD;
    switch (kind) {
    case CallKind::Get:
        flags = DISPATCH_PROPERTYGET;
        break;
    case CallKind::Put:
        flags = DISPATCH_PROPERTYPUT;
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
        break;
    case CallKind::Method:
        // Some servers implement an argument-less method as a property.
        flags = count == 0 ? WORD(DISPATCH_METHOD | DISPATCH_PROPERTYGET) : WORD(DISPATCH_METHOD);
        break;
    }

    Variants result(1);
    ExcepInfo excep;
    UINT argError = 0;
    const HRESULT hr = object_->Invoke(dispId, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                       kind == CallKind::Put ? nullptr : &result[0], &excep.info, &argError);
    if (FAILED(hr))
        throw AutomationError(errorText(hr, excep.info));
    return fromVariant(result[0]);
}

DispatchRef adoptDispatch(IDispatch *object)
{
    DispatchRef ref;
    try {
        ref = std::make_shared<ComDispatch>(object);
    } catch (...) {
        object->Release();
        throw;
    }
    object->Release();
    return ref;
}

} // namespace strovex::win

#include "platform/win/com_dispatch.h"

#include "platform/win/variant_value.h"
#include "platform/win/win_text.h"

#include <windows.h>
#include <oleauto.h>

namespace strovex::win {

namespace {

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

DispatchRef wrapObject(IDispatch *object)
{
    return std::make_shared<ComDispatch>(object);
}

IDispatch *unwrapObject(const DispatchRef &ref)
{
    const auto *com = dynamic_cast<const ComDispatch *>(ref.get());
    if (!com)
        throw AutomationError(u"Only objects of this server can be passed to it.");
    IDispatch *object = com->object();
    object->AddRef();
    return object;
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
        toVariant(args[i], arguments[count - 1 - i], unwrapObject);

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
    return fromVariant(result[0], wrapObject);
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

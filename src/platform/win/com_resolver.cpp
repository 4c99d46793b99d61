#include "platform/win/com_resolver.h"

#include "platform/win/com_dispatch.h"
#include "platform/win/win_text.h"

#include <windows.h>
#include <objbase.h>

#include <mutex>

namespace strovex::win {

namespace {
std::once_flag comOnce;
HRESULT comState = E_FAIL;
} // namespace

bool initialiseCom()
{
    // Never uninitialised: the apartment lives as long as the process, so no
    // designer object outlives it.
    std::call_once(comOnce, [] { comState = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); });
    // S_FALSE: someone entered the apartment before us (the toolkit's OLE set-up
    // does), which is just as good. A thread already in the multi-threaded
    // apartment can still create and call objects.
    return SUCCEEDED(comState) || comState == RPC_E_CHANGED_MODE;
}

DispatchRef ComResolver::create(const std::u16string &progId)
{
    if (!initialiseCom())
        throw AutomationError(systemMessage(comState));

    CLSID clsid;
    const std::wstring name = toWide(progId);
    HRESULT hr = CLSIDFromProgID(name.c_str(), &clsid);
    if (hr == CO_E_CLASSSTRING || hr == REGDB_E_CLASSNOTREG || hr == REGDB_E_READREGDB)
        return nullptr;
    if (FAILED(hr))
        throw AutomationError(systemMessage(hr));

    IDispatch *object = nullptr;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                          reinterpret_cast<void **>(&object));
    if (hr == REGDB_E_CLASSNOTREG)
        return nullptr;
    if (FAILED(hr) || !object)
        throw AutomationError(systemMessage(FAILED(hr) ? hr : E_NOINTERFACE));

    return adoptDispatch(object);
}

ComResolver &comResolver()
{
    static ComResolver resolver;
    return resolver;
}

} // namespace strovex::win

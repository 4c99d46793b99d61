// An in-process automation server for the tests of the COM transport: an
// application object with a few designer members and members made to exercise
// every call kind, result type and error path, labels, a variable list, and a
// count of live objects so the tests can prove every reference is released.

#include "test_server_ids.h"

#include "platform/win/com_object.h"

#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <cstdio>
#include <new>
#include <string>

using namespace quill_test;
using strovex::win::ComObject;

namespace {

std::atomic<long> liveObjects{0};
std::atomic<long> serverLocks{0};
CLSID clsidVersion6;
CLSID clsidVersion5;
CLSID clsidFailing; // a class whose objects never start

// Arguments arrive last first; the put value is the named argument.
VARIANT *argument(const DISPPARAMS &params, UINT index)
{
    return index < params.cArgs ? &params.rgvarg[params.cArgs - 1 - index] : nullptr;
}

bool argumentAs(const DISPPARAMS &params, UINT index, VARTYPE type, VARIANT &out)
{
    VARIANT *source = argument(params, index);
    VariantInit(&out);
    return source && SUCCEEDED(VariantChangeType(&out, source, 0, type));
}

HRESULT raise(EXCEPINFO *excep, const wchar_t *text)
{
    if (excep) {
        excep->bstrSource = SysAllocString(L"QuillTest");
        excep->bstrDescription = SysAllocString(text);
        excep->scode = E_FAIL;
    }
    return DISP_E_EXCEPTION;
}

HRESULT STDAPICALLTYPE deferredFill(EXCEPINFO *excep)
{
    excep->bstrDescription = SysAllocString(kDeferredText);
    excep->scode = E_FAIL;
    return S_OK;
}

HRESULT returnText(VARIANT *result, const std::wstring &text)
{
    if (result) {
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    return S_OK;
}

HRESULT returnInt(VARIANT *result, long value)
{
    if (result) {
        result->vt = VT_I4;
        result->lVal = value;
    }
    return S_OK;
}

bool isGet(WORD flags) { return (flags & DISPATCH_PROPERTYGET) != 0; }
bool isMethod(WORD flags) { return (flags & DISPATCH_METHOD) != 0; }
bool isPut(WORD flags) { return (flags & DISPATCH_PROPERTYPUT) != 0; }

bool validPut(const DISPPARAMS &params)
{
    return params.cArgs == 1 && params.cNamedArgs == 1 && params.rgdispidNamedArgs
        && params.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
}

class DispatchObject : public ComObject<IDispatch, IID_IDispatch> {
public:
    DispatchObject() : ComObject(0) { ++liveObjects; }
    ~DispatchObject() override { --liveObjects; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **info) override
    {
        *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override
    {
        return DISP_E_UNKNOWNNAME; // callers use DispIDs only
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *params, VARIANT *result,
                                     EXCEPINFO *excep, UINT *) override
    {
        if (result)
            VariantInit(result);
        static DISPPARAMS none{};
        return call(id, flags, params ? *params : none, result, excep);
    }

protected:
    virtual HRESULT call(DISPID id, WORD flags, const DISPPARAMS &params, VARIANT *result, EXCEPINFO *excep) = 0;

    static HRESULT returnObject(VARIANT *result, DispatchObject *object)
    {
        if (!result) {
            delete object;
            return S_OK;
        }
        object->AddRef();
        result->vt = VT_DISPATCH;
        result->pdispVal = object;
        return S_OK;
    }

};

class Variable final : public DispatchObject {
public:
    explicit Variable(std::wstring name) : name_(std::move(name)) {}

protected:
    HRESULT call(DISPID id, WORD flags, const DISPPARAMS &, VARIANT *result, EXCEPINFO *) override
    {
        if (id == kName && isGet(flags))
            return returnText(result, name_);
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    std::wstring name_;
};

class VariableList final : public DispatchObject {
protected:
    HRESULT call(DISPID id, WORD flags, const DISPPARAMS &params, VARIANT *result, EXCEPINFO *excep) override
    {
        const long count = static_cast<long>(std::size(kVariableNames));
        if (id == kCount && isGet(flags))
            return returnInt(result, count);
        if (id == kItem && (isGet(flags) || isMethod(flags))) {
            VARIANT index;
            if (!argumentAs(params, 0, VT_I4, index))
                return DISP_E_TYPEMISMATCH;
            if (index.lVal < 1 || index.lVal > count)
                return raise(excep, kIndexError);
            return returnObject(result, new Variable(kVariableNames[index.lVal - 1]));
        }
        return DISP_E_MEMBERNOTFOUND;
    }
};

class Label final : public DispatchObject {
public:
    explicit Label(std::wstring path) : path_(std::move(path)) {}

protected:
    HRESULT call(DISPID id, WORD flags, const DISPPARAMS &params, VARIANT *result, EXCEPINFO *) override
    {
        if (id == kFileName && isGet(flags))
            return returnText(result, path_);
        if (id == kVariables && isGet(flags))
            return returnObject(result, new VariableList);
        if (id == kPrinterName && isPut(flags)) {
            VARIANT text;
            if (!validPut(params))
                return DISP_E_PARAMNOTOPTIONAL;
            if (!argumentAs(params, 0, VT_BSTR, text))
                return DISP_E_TYPEMISMATCH;
            printer_.assign(text.bstrVal, SysStringLen(text.bstrVal));
            VariantClear(&text);
            return S_OK;
        }
        if (id == kPrinterName && isGet(flags))
            return returnText(result, printer_);
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    std::wstring path_;
    std::wstring printer_;
};

std::wstring describe(const DISPPARAMS &params)
{
    std::wstring text;
    if (params.cNamedArgs != 0)
        text = L"named:" + std::to_wstring(params.cNamedArgs) + L"|";
    for (UINT i = 0; i < params.cArgs; ++i) {
        if (i > 0)
            text += L"|";
        const VARIANT &v = *argument(params, i);
        switch (v.vt) {
        case VT_BSTR:
            text += L"BSTR:" + std::wstring(v.bstrVal, SysStringLen(v.bstrVal));
            break;
        case VT_I4:
            text += L"I4:" + std::to_wstring(v.lVal);
            break;
        case VT_BOOL:
            text += L"BOOL:" + std::to_wstring(v.boolVal);
            break;
        case VT_R8: {
            wchar_t number[64];
            std::swprintf(number, 64, L"%g", v.dblVal);
            text += L"R8:" + std::wstring(number);
            break;
        }
        case VT_EMPTY:
            text += L"EMPTY";
            break;
        case VT_DISPATCH:
            text += v.pdispVal ? L"DISPATCH" : L"DISPATCH:null";
            break;
        default:
            text += L"VT:" + std::to_wstring(v.vt);
            break;
        }
    }
    return text;
}

class Application final : public DispatchObject {
public:
    explicit Application(int generation) : generation_(generation) { VariantInit(&referenced_); }
    ~Application() override { VariantClear(&referenced_); }

protected:
    HRESULT call(DISPID id, WORD flags, const DISPPARAMS &params, VARIANT *result, EXCEPINFO *excep) override
    {
        switch (id) {
        case kQuit:
            return isMethod(flags) ? S_OK : DISP_E_MEMBERNOTFOUND;
        case kErrorText:
            return isGet(flags) ? returnText(result, errorText_) : DISP_E_MEMBERNOTFOUND;
        case kOpenLabel: {
            if (!isMethod(flags))
                return DISP_E_MEMBERNOTFOUND;
            VARIANT path;
            if (!argumentAs(params, 0, VT_BSTR, path))
                return DISP_E_TYPEMISMATCH;
            std::wstring file(path.bstrVal, SysStringLen(path.bstrVal));
            VariantClear(&path);
            if (file.size() >= 11 && file.compare(file.size() - 11, 11, L"missing.lbl") == 0) {
                errorText_ = L"File not found";
                if (result) {
                    result->vt = VT_DISPATCH;
                    result->pdispVal = nullptr;
                }
                return S_OK;
            }
            return returnObject(result, new Label(file));
        }
        case kInitialize:
            return isMethod(flags) ? S_OK : DISP_E_MEMBERNOTFOUND;
        case kAutomationFlag:
            if (isPut(flags)) {
                if (!validPut(params))
                    return DISP_E_PARAMNOTOPTIONAL;
                if (params.rgvarg[0].vt != VT_BOOL)
                    return DISP_E_TYPEMISMATCH;
                automationFlag_ = params.rgvarg[0].boolVal;
                return S_OK;
            }
            if (isGet(flags) && result) {
                result->vt = VT_BOOL;
                result->boolVal = automationFlag_;
                return S_OK;
            }
            return DISP_E_MEMBERNOTFOUND;
        case kGeneration:
            return isGet(flags) ? returnInt(result, generation_) : DISP_E_MEMBERNOTFOUND;
        case kDescribe:
            return returnText(result, describe(params));
        case kTyped: {
            VARIANT code;
            if (!argumentAs(params, 0, VT_I4, code))
                return DISP_E_TYPEMISMATCH;
            return typed(code.lVal, result);
        }
        case kRaise: {
            VARIANT text;
            if (!argumentAs(params, 0, VT_BSTR, text))
                return DISP_E_TYPEMISMATCH;
            const HRESULT hr = raise(excep, text.bstrVal);
            VariantClear(&text);
            return hr;
        }
        case kRaiseDeferred:
            if (excep)
                excep->pfnDeferredFillIn = deferredFill;
            return DISP_E_EXCEPTION;
        case kFailWith: {
            VARIANT code;
            if (!argumentAs(params, 0, VT_I4, code))
                return DISP_E_TYPEMISMATCH;
            return code.lVal;
        }
        case kRaiseWithoutText: {
            VARIANT code;
            if (!argumentAs(params, 0, VT_I4, code))
                return DISP_E_TYPEMISMATCH;
            if (excep)
                excep->scode = code.lVal;
            return DISP_E_EXCEPTION;
        }
        case kNullObject:
            if (isGet(flags) && result) {
                result->vt = VT_DISPATCH;
                result->pdispVal = nullptr;
            }
            return S_OK;
        case kGetOnly:
            return isGet(flags) ? returnInt(result, 42) : DISP_E_MEMBERNOTFOUND;
        case kEcho:
            if (params.cArgs != 1)
                return DISP_E_BADPARAMCOUNT;
            return result ? VariantCopyInd(result, argument(params, 0)) : S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    // A value of the asked VARTYPE; with VT_BYREF, a reference into this object.
    HRESULT typed(long code, VARIANT *result)
    {
        if (!result)
            return S_OK;
        const VARTYPE base = static_cast<VARTYPE>(code & VT_TYPEMASK);
        const bool byRef = (code & VT_BYREF) != 0;
        const bool large = (code & kLargeFlag) != 0;
        VARIANT value;
        VariantInit(&value);
        value.vt = base;
        switch (base) {
        case VT_EMPTY:
        case VT_NULL:
            break;
        case VT_I1: value.cVal = static_cast<CHAR>(kI1); break;
        case VT_UI1: value.bVal = kUI1; break;
        case VT_I2: value.iVal = kI2; break;
        case VT_UI2: value.uiVal = kUI2; break;
        case VT_I4: value.lVal = kI4; break;
        case VT_UI4: value.ulVal = static_cast<ULONG>(large ? kUI4Large : kUI4Small); break;
        case VT_INT: value.intVal = kI4; break;
        case VT_UINT: value.uintVal = static_cast<UINT>(kUI4Small); break;
        case VT_I8: value.llVal = kI8; break;
        case VT_UI8: value.ullVal = large ? kUI4Large : kUI4Small; break;
        case VT_BOOL: value.boolVal = large ? 1 : VARIANT_TRUE; break; // 1: a server's sloppy true
        case VT_R4: value.fltVal = kR4; break;
        case VT_R8: value.dblVal = kR8; break;
        case VT_CY: value.cyVal.int64 = 12345; break; // 1.2345
        case VT_BSTR: value.bstrVal = SysAllocString(kText); break;
        case VT_DISPATCH:
            value.pdispVal = new Variable(L"Typed");
            value.pdispVal->AddRef();
            break;
        case VT_UNKNOWN:
            value.punkVal = new Variable(L"Unknown");
            value.punkVal->AddRef();
            break;
        case VT_VARIANT:
            if (!byRef)
                return DISP_E_TYPEMISMATCH;
            value.vt = VT_BSTR;
            value.bstrVal = SysAllocString(kText);
            break;
        case VT_ERROR: value.scode = DISP_E_PARAMNOTFOUND; break;
        default:
            value.vt = VT_ARRAY | VT_I4; // something no client should accept
            value.parray = SafeArrayCreateVector(VT_I4, 0, 1);
            if (byRef)
                return DISP_E_TYPEMISMATCH;
            *result = value;
            return S_OK;
        }
        if (!byRef) {
            *result = value;
            return S_OK;
        }
        VariantClear(&referenced_);
        referenced_ = value;
        result->vt = static_cast<VARTYPE>(VT_BYREF | base);
        if (base == VT_VARIANT)
            result->pvarVal = &referenced_;
        else
            result->byref = &referenced_.lVal; // every member of the union starts here
        return S_OK;
    }

    int generation_;
    std::wstring errorText_;
    VARIANT_BOOL automationFlag_ = VARIANT_FALSE;
    VARIANT referenced_;
};

class ClassFactory final : public ComObject<IClassFactory, IID_IClassFactory> {
public:
    explicit ClassFactory(int generation) : ComObject(0), generation_(generation) { ++serverLocks; }
    ~ClassFactory() override { --serverLocks; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **out) override
    {
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        if (generation_ == 0)
            return CO_E_SERVER_EXEC_FAILURE;
        auto *app = new (std::nothrow) Application(generation_);
        if (!app)
            return E_OUTOFMEMORY;
        app->AddRef();
        const HRESULT hr = app->QueryInterface(iid, out);
        app->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        lock ? ++serverLocks : --serverLocks;
        return S_OK;
    }

private:
    int generation_;
};

} // namespace

extern "C" {

__declspec(dllexport) long __stdcall QuillTestLiveObjects()
{
    return liveObjects;
}

__declspec(dllexport) HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID iid, void **out)
{
    *out = nullptr;
    int generation = 0;
    if (IsEqualCLSID(clsid, clsidVersion6))
        generation = 6;
    else if (IsEqualCLSID(clsid, clsidVersion5))
        generation = 5;
    else if (!IsEqualCLSID(clsid, clsidFailing))
        return CLASS_E_CLASSNOTAVAILABLE;
    auto *factory = new (std::nothrow) ClassFactory(generation);
    if (!factory)
        return E_OUTOFMEMORY;
    factory->AddRef();
    const HRESULT hr = factory->QueryInterface(iid, out);
    factory->Release();
    return hr;
}

__declspec(dllexport) HRESULT __stdcall DllCanUnloadNow()
{
    return liveObjects == 0 && serverLocks == 0 ? S_OK : S_FALSE;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        CLSIDFromString(const_cast<LPOLESTR>(QUILL_TEST_CLSID6), &clsidVersion6);
        CLSIDFromString(const_cast<LPOLESTR>(QUILL_TEST_CLSID5), &clsidVersion5);
        CLSIDFromString(const_cast<LPOLESTR>(QUILL_TEST_CLSID_FAILING), &clsidFailing);
    }
    return TRUE;
}

} // extern "C"

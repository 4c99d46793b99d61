#include "simcom/com_server.h"

#include "platform/win/com_object.h"
#include "platform/win/variant_value.h"
#include "platform/win/win_text.h"

#include <olectl.h>

#include <atomic>
#include <new>
#include <vector>

namespace strovex::simcom {

using win::fromWide;
using win::toWide;

namespace {

std::atomic<long> liveCount{0};

// Lets the server recognise its own objects when a client passes one back.
// {6C1B9E0A-3F52-4D8B-9A7E-2D41C07F5B13}
const IID IID_ServerObject = {0x6c1b9e0a, 0x3f52, 0x4d8b, {0x9a, 0x7e, 0x2d, 0x41, 0xc0, 0x7f, 0x5b, 0x13}};

HRESULT raise(EXCEPINFO *excep, const std::u16string &text, HRESULT code)
{
    if (excep) {
        ZeroMemory(excep, sizeof *excep);
        excep->bstrSource = SysAllocString(L"Strovex");
        excep->bstrDescription = SysAllocStringLen(reinterpret_cast<const OLECHAR *>(text.data()), UINT(text.size()));
        excep->scode = code;
    }
    return DISP_E_EXCEPTION;
}

class ServerObject final : public win::ComObject<IDispatch, IID_IDispatch, IID_ServerObject> {
public:
    explicit ServerObject(DispatchRef object) : ComObject(1), object_(std::move(object)) { ++liveCount; }
    ~ServerObject() override { --liveCount; }

    const DispatchRef &object() const { return object_; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **info) override
    {
        if (info)
            *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override
    {
        return DISP_E_UNKNOWNNAME; // callers use DispIDs only
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *params, VARIANT *result,
                                     EXCEPINFO *excep, UINT *) override;

private:
    DispatchRef object_;
};

DispatchRef fromClient(IDispatch *object)
{
    IDispatch *own = nullptr;
    if (FAILED(object->QueryInterface(IID_ServerObject, reinterpret_cast<void **>(&own))) || !own)
        throw AutomationError(u"Only objects of this server can be passed to it.");
    DispatchRef ref = static_cast<ServerObject *>(own)->object();
    own->Release();
    return ref;
}

IDispatch *toClient(const DispatchRef &ref)
{
    return new ServerObject(ref);
}

HRESULT ServerObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *params, VARIANT *result,
                             EXCEPINFO *excep, UINT *argError)
{
    if (result)
        VariantInit(result);
    const UINT count = params ? params->cArgs : 0;
    if (count && (!params->rgvarg))
        return E_INVALIDARG;

    CallKind kind;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (count != 1 || params->cNamedArgs != 1 || !params->rgdispidNamedArgs
            || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_BADPARAMCOUNT;
        kind = CallKind::Put;
    } else if (flags & DISPATCH_METHOD) {
        kind = CallKind::Method;
    } else if (flags & DISPATCH_PROPERTYGET) {
        kind = CallKind::Get;
    } else {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (kind != CallKind::Put && params && params->cNamedArgs)
        return DISP_E_NONAMEDARGS;

    try {
        // Arguments arrive last first.
        std::vector<Value> args;
        args.reserve(count);
        for (UINT i = 0; i < count; ++i) {
            try {
                args.push_back(win::fromVariant(params->rgvarg[count - 1 - i], fromClient));
            } catch (...) {
                if (argError)
                    *argError = count - 1 - i;
                throw;
            }
        }
        const Value value = object_->invoke(int(id), kind, args);
        if (result)
            win::toVariant(value, *result, toClient);
        return S_OK;
    } catch (const AutomationError &error) {
        return raise(excep, error.text(), E_FAIL);
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    } catch (const std::exception &error) {
        return raise(excep, fromUtf8(error.what()), E_UNEXPECTED);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

class ClassFactory final : public win::ComObject<IClassFactory, IID_IClassFactory> {
public:
    explicit ClassFactory(ObjectFactory create) : ComObject(1), create_(std::move(create)) { ++liveCount; }
    ~ClassFactory() override { --liveCount; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        try {
            DispatchRef object = create_();
            if (!object)
                return E_FAIL;
            IDispatch *exposed = exposeObject(std::move(object));
            const HRESULT hr = exposed->QueryInterface(iid, out);
            exposed->Release();
            return hr;
        } catch (const std::bad_alloc &) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_FAIL;
        }
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        if (lock)
            ++liveCount;
        else
            --liveCount;
        return S_OK;
    }

private:
    ObjectFactory create_;
};

// Registry keys closed on every path.
class Key {
public:
    Key() = default;
    ~Key()
    {
        if (handle)
            RegCloseKey(handle);
    }
    Key(const Key &) = delete;
    Key &operator=(const Key &) = delete;
    HKEY handle = nullptr;
};

// The default value of `root\path`: nullopt-like empty with `exists` false
// when the key or its value is missing.
bool readDefault(HKEY root, const std::u16string &path, std::u16string &value, bool &keyExists)
{
    Key key;
    keyExists = RegOpenKeyExW(root, toWide(path).c_str(), 0, KEY_QUERY_VALUE, &key.handle) == ERROR_SUCCESS;
    if (!keyExists)
        return false;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.handle, nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return false;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.handle, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(buffer.data()), &size)
        != ERROR_SUCCESS)
        return false;
    value = fromWide(buffer.data());
    return true;
}

LSTATUS writeText(HKEY root, const std::u16string &path, const wchar_t *name, const std::u16string &text)
{
    Key key;
    LSTATUS status = RegCreateKeyExW(root, toWide(path).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key.handle,
                                     nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    const std::wstring wide = toWide(text);
    return RegSetValueExW(key.handle, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(wide.c_str()),
                          DWORD((wide.size() + 1) * sizeof(wchar_t)));
}

bool sameClass(const std::u16string &a, const std::u16string &b)
{
    return a.size() == b.size()
        && CompareStringOrdinal(reinterpret_cast<const wchar_t *>(a.data()), int(a.size()),
                                reinterpret_cast<const wchar_t *>(b.data()), int(b.size()), TRUE)
               == CSTR_EQUAL;
}

// "<progId>\CLSID" names this class, another one, or the key is absent.
enum class Owner { None, Ours, Other };

Owner progIdOwner(HKEY root, const ServerClass &serverClass)
{
    std::u16string named;
    bool progIdExists = false;
    readDefault(root, serverClass.progId, named, progIdExists);
    if (!progIdExists)
        return Owner::None;
    bool clsidKeyExists = false;
    if (!readDefault(root, serverClass.progId + u"\\CLSID", named, clsidKeyExists))
        return Owner::Other;
    return sameClass(named, serverClass.clsid) ? Owner::Ours : Owner::Other;
}

RegistrationResult failure(HRESULT status, const std::u16string &message)
{
    return {status, message};
}

RegistrationResult registryFailure(LSTATUS status, const std::u16string &what)
{
    return failure(HRESULT_FROM_WIN32(status), what + u": " + win::systemMessage(HRESULT_FROM_WIN32(status)));
}

} // namespace

IDispatch *exposeObject(DispatchRef object)
{
    return new ServerObject(std::move(object));
}

IClassFactory *createClassFactory(ObjectFactory create)
{
    return new ClassFactory(std::move(create));
}

long liveServerObjects()
{
    return liveCount;
}

RegistrationResult registerServer(HKEY classesRoot, const ServerClass &serverClass, const std::u16string &modulePath)
{
    if (progIdOwner(classesRoot, serverClass) == Owner::Other)
        return failure(SELFREG_E_CLASS,
                       u"\"" + serverClass.progId
                           + u"\" is registered to another program; its registration was left as it is.");
    const std::u16string classKey = u"CLSID\\" + serverClass.clsid;
    LSTATUS status = writeText(classesRoot, classKey, nullptr, serverClass.progId);
    if (status == ERROR_SUCCESS)
        status = writeText(classesRoot, classKey + u"\\InprocServer32", nullptr, modulePath);
    if (status == ERROR_SUCCESS)
        status = writeText(classesRoot, classKey + u"\\InprocServer32", L"ThreadingModel", u"Apartment");
    if (status == ERROR_SUCCESS)
        status = writeText(classesRoot, classKey + u"\\ProgID", nullptr, serverClass.progId);
    if (status == ERROR_SUCCESS)
        status = writeText(classesRoot, serverClass.progId + u"\\CLSID", nullptr, serverClass.clsid);
    if (status != ERROR_SUCCESS)
        return registryFailure(status, u"Cannot register \"" + serverClass.progId + u"\"");
    return {};
}

RegistrationResult unregisterServer(HKEY classesRoot, const ServerClass &serverClass)
{
    if (progIdOwner(classesRoot, serverClass) == Owner::Ours) {
        const LSTATUS status = RegDeleteTreeW(classesRoot, toWide(serverClass.progId).c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return registryFailure(status, u"Cannot unregister \"" + serverClass.progId + u"\"");
    }
    const LSTATUS status = RegDeleteTreeW(classesRoot, toWide(u"CLSID\\" + serverClass.clsid).c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        return registryFailure(status, u"Cannot unregister the class of \"" + serverClass.progId + u"\"");
    return {};
}

bool silentCommandLine(std::u16string_view commandLine)
{
    bool quoted = false;
    std::u16string word;
    const auto isSilence = [](const std::u16string &w) {
        return w.size() == 2 && (w[0] == u'/' || w[0] == u'-') && (w[1] == u's' || w[1] == u'S');
    };
    for (const char16_t c : commandLine) {
        if (c == u'"') {
            quoted = !quoted;
            word += c;
        } else if (!quoted && (c == u' ' || c == u'\t')) {
            if (isSilence(word))
                return true;
            word.clear();
        } else {
            word += c;
        }
    }
    return isSilence(word);
}

} // namespace strovex::simcom

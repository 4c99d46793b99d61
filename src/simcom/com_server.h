#pragma once
// The Qt-free shell of an in-process automation server: any Dispatch exposed
// through IDispatch (Invoke by DispID), a class factory, and registration that
// touches only what is its own. The simulated designer's DLL builds on it.

#include "automation/dispatch.h"

#include <functional>
#include <string>
#include <string_view>

#include <windows.h>
#include <oleauto.h>

namespace strovex::simcom {

// A new COM object (one reference, the caller's) whose Invoke forwards to
// `object`: DISPATCH_PROPERTYGET is a get, PROPERTYPUT a put of the one named
// argument, METHOD (alone or with PROPERTYGET) a method. A Dispatch in a result
// is exposed the same way; an AutomationError becomes DISP_E_EXCEPTION with its
// text as the description.
IDispatch *exposeObject(DispatchRef object);

// A class factory (one reference, the caller's) that exposes what `create`
// returns; a null result or an exception fails CreateInstance.
using ObjectFactory = std::function<DispatchRef()>;
IClassFactory *createClassFactory(ObjectFactory create);

// Objects and factories alive, plus LockServer locks: the module may be
// unloaded when this is 0.
long liveServerObjects();

// One class of the server: its identifier and the program identifier that
// names it.
struct ServerClass {
    std::u16string clsid;  // "{XXXXXXXX-...}"
    std::u16string progId; // "Vendor.Application"
};

struct RegistrationResult {
    HRESULT status = S_OK;
    std::u16string message; // why it failed; empty on success
};

// Writes `serverClass` below `classesRoot` (HKEY_CLASSES_ROOT for regsvr32):
// "<progId>\CLSID" and "CLSID\<clsid>\InprocServer32" = `modulePath`,
// apartment threading. A program identifier that names another class (or no
// class) is never replaced: that fails with SELFREG_E_CLASS and a message.
RegistrationResult registerServer(HKEY classesRoot, const ServerClass &serverClass, const std::u16string &modulePath);

// Removes the class key and the program identifier, the latter only while it
// still names this class. Nothing to remove is success.
RegistrationResult unregisterServer(HKEY classesRoot, const ServerClass &serverClass);

// Whether a regsvr32 command line asks for silence ("/s" or "-s", any case, as
// a word of its own outside quotes): then the server's refusal shows no box
// of its own either.
bool silentCommandLine(std::u16string_view commandLine);

} // namespace strovex::simcom

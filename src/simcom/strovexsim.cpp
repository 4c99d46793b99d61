// strovexsim.dll: the simulated designer as an in-process COM server, so the
// Windows programs can be driven through real COM without the designer.
//
//   regsvr32 strovexsim.dll              registers it as "Quillmark6.Application"
//   regsvr32 /n /i:5 strovexsim.dll      registers it as "Quillmark5.Application"
//   regsvr32 /u strovexsim.dll           removes both (only where they are its own)
//
// The knobs of the simulated designer (STROVEX_SIM_FAIL_CALL and the others)
// are read from the environment of the program that loads it, once, when the
// first application object is made. STROVEX_SIM_LIVE_FILE names a file that
// gets the count of objects still alive when the program ends.

#include "platform/win/win_text.h"
#include "sim/sim_designer.h"
#include "simcom/com_server.h"

#include <windows.h>
#include <olectl.h>

#include <mutex>
#include <string>

using namespace strovex;

namespace {

HMODULE thisModule = nullptr;

const simcom::ServerClass version6{u"{D12C14A6-B3A5-4AD1-9B50-D7EAA6580B8F}", kProgIdVersion6};
const simcom::ServerClass version5{u"{6986E0C1-785A-4D92-8E20-D3DF94AE7C93}", kProgIdVersion5};

std::u16string modulePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(thisModule, path.data(), DWORD(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return win::fromWide(path);
        }
        path.resize(path.size() * 2);
    }
}

DispatchRef createApplication()
{
    static std::once_flag knobs;
    std::call_once(knobs, [] { sim::loadKnobsFromEnvironment(); });
    return sim::createApplication();
}

// regsvr32 shows only a code: the reason goes to the debugger, to a console
// where there is one, and into a box of our own unless regsvr32 was told /s.
void tell(const std::u16string &message)
{
    const std::wstring line = win::toWide(u"strovexsim: " + message + u"\r\n");
    OutputDebugStringW(line.c_str());
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (err && err != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        if (!WriteConsoleW(err, line.c_str(), DWORD(line.size()), &written, nullptr)) {
            const std::string utf8 = toUtf8(win::fromWide(line));
            WriteFile(err, utf8.data(), DWORD(utf8.size()), &written, nullptr);
        }
    }
    if (!simcom::silentCommandLine(win::fromWide(GetCommandLineW()))) {
        const std::wstring text = win::toWide(message);
        MessageBoxW(nullptr, text.c_str(), L"strovexsim.dll", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    }
}

HRESULT reported(const simcom::RegistrationResult &result)
{
    if (FAILED(result.status))
        tell(result.message);
    return result.status;
}

HRESULT registerClass(const simcom::ServerClass &serverClass)
{
    return reported(simcom::registerServer(HKEY_CLASSES_ROOT, serverClass, modulePath()));
}

HRESULT unregisterClass(const simcom::ServerClass &serverClass)
{
    return reported(simcom::unregisterServer(HKEY_CLASSES_ROOT, serverClass));
}

void writeLiveCount()
{
    const std::wstring file = _wgetenv(L"STROVEX_SIM_LIVE_FILE") ? _wgetenv(L"STROVEX_SIM_LIVE_FILE") : L"";
    if (file.empty())
        return;
    const std::string text = "server objects " + std::to_string(simcom::liveServerObjects()) + ", designer objects "
        + std::to_string(sim::liveObjects()) + "\n";
    const HANDLE handle = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(handle, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(handle);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        thisModule = instance;
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        writeLiveCount();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID *out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    CLSID six, five;
    if (FAILED(CLSIDFromString(win::toWide(version6.clsid).c_str(), &six))
        || FAILED(CLSIDFromString(win::toWide(version5.clsid).c_str(), &five)))
        return E_UNEXPECTED;
    if (!IsEqualCLSID(clsid, six) && !IsEqualCLSID(clsid, five))
        return CLASS_E_CLASSNOTAVAILABLE;
    IClassFactory *factory = simcom::createClassFactory(&createApplication);
    const HRESULT hr = factory->QueryInterface(iid, out);
    factory->Release();
    return hr;
}

STDAPI DllCanUnloadNow()
{
    return simcom::liveServerObjects() == 0 && sim::liveObjects() == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer()
{
    return registerClass(version6);
}

STDAPI DllUnregisterServer()
{
    const HRESULT six = unregisterClass(version6);
    const HRESULT five = unregisterClass(version5);
    return FAILED(six) ? six : five;
}

// "regsvr32 /n /i:5" registers the version-5 identifier instead; "/i:6" (or no
// command line) the version-6 one.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine)
{
    const std::wstring which = commandLine ? commandLine : L"";
    const simcom::ServerClass *serverClass = nullptr;
    if (which.empty() || which == L"6")
        serverClass = &version6;
    else if (which == L"5")
        serverClass = &version5;
    if (!serverClass) {
        tell(u"unknown option \"" + win::fromWide(which) + u"\"; use /i:6 or /i:5.");
        return E_INVALIDARG;
    }
    return install ? registerClass(*serverClass) : unregisterClass(*serverClass);
}

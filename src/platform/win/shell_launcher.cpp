#include "platform/win/shell_launcher.h"

#include "platform/win/win_text.h"

#include <windows.h>
#include <shellapi.h>

namespace strovex::win {

ShellLauncher::ShellLauncher()
    : execute_([](const wchar_t *verb, const wchar_t *file, const wchar_t *parameters) {
          return reinterpret_cast<std::intptr_t>(ShellExecuteW(nullptr, verb, file, parameters, nullptr, SW_SHOWNORMAL));
      })
{
}

ShellLauncher::ShellLauncher(Execute execute) : execute_(std::move(execute)) {}

bool ShellLauncher::openInTextEditor(const std::u16string &path)
{
    // Quoted, so a path with blanks reaches Notepad as one file name.
    const std::wstring parameters = L"\"" + toWide(path) + L"\"";
    return execute_(L"open", L"notepad.exe", parameters.c_str()) > 32;
}

bool ShellLauncher::openWithAssociatedProgram(const std::u16string &path)
{
    const std::wstring file = toWide(path);
    return execute_(L"open", file.c_str(), nullptr) > 32;
}

} // namespace strovex::win

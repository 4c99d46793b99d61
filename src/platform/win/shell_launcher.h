#pragma once
// Starting programs on files Strovex wrote, through the shell. The application
// adapts it to its Launcher service.

#include <cstdint>
#include <functional>
#include <string>

namespace strovex::win {

class FileLauncher {
public:
    virtual ~FileLauncher() = default;
    // Notepad on the file (command files). False when it could not start.
    virtual bool openInTextEditor(const std::u16string &path) = 0;
    // The program associated with the file's type, "open" verb (graphs).
    virtual bool openWithAssociatedProgram(const std::u16string &path) = 0;
};

class ShellLauncher final : public FileLauncher {
public:
    // Stands for ShellExecuteW without a window or folder: returns its result
    // (greater than 32 on success). Tests record the calls through it.
    using Execute = std::function<std::intptr_t(const wchar_t *verb, const wchar_t *file, const wchar_t *parameters)>;

    ShellLauncher(); // the real ShellExecuteW
    explicit ShellLauncher(Execute execute);

    bool openInTextEditor(const std::u16string &path) override;
    bool openWithAssociatedProgram(const std::u16string &path) override;

private:
    Execute execute_;
};

} // namespace strovex::win

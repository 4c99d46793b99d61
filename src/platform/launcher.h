#pragma once
// Starting other programs on a file Strovex wrote: never through a shell.

#include <QString>

#include <memory>

namespace strovex {

class Launcher {
public:
    virtual ~Launcher() = default;
    // A plain text editor (command files). Returns false when none could start.
    virtual bool openInTextEditor(const QString &path) = 0;
    // The program associated with the file's type (graphs, links).
    virtual bool openWithAssociatedProgram(const QString &pathOrUrl) = 0;
};

// The desktop's way on this platform: xdg tools here, the shell on Windows.
std::shared_ptr<Launcher> createNativeLauncher();

// The service in use; tests may replace it (null goes back to the native one).
Launcher &launcher();
void setLauncher(std::shared_ptr<Launcher> service);

} // namespace strovex

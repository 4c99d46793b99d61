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

Launcher &launcher();
void setLauncher(std::shared_ptr<Launcher> service);

} // namespace strovex

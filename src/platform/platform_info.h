#pragma once
// Small facts the platform answers: version, temporary files, the designer connection.

#include "automation/resolver.h"

#include <QString>

namespace strovex {

// The program's product version and build number (the version resource on
// Windows, the values compiled in from CMake elsewhere).
QString productVersion();
int buildNumber();
// "Version 2.9.5 (build 120)" rule: ".0 " becomes " ", else a final ".0" goes.
QString versionText(const QString &productVersion, int build);

// A new, not yet existing file name with the given prefix and extension
// (extension with its dot) in a folder of the user's temporary folder that only
// this user can enter, made at first use and removed when the process ends.
// Never the same name twice in one process. Throws FileError when that folder
// cannot be made.
QString uniqueTempFileName(const QString &prefix, const QString &extension);

// The resolver through which the program finds the designer, as its main chose
// it with setDesignerResolver (COM on Windows, the simulated designer's table
// elsewhere); one that finds nothing until then. The resolver must outlive
// every use.
ProgIdResolver &designerResolver();
void setDesignerResolver(ProgIdResolver *resolver);
// The platform's own way to the installed designer: COM on Windows; null
// where there is none.
ProgIdResolver *nativeDesignerResolver();

} // namespace strovex

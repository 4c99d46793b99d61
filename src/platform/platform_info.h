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

// A unique, not yet existing file name in the user's temporary folder with the
// given prefix and extension (extension with its dot). Safe when several views
// ask at once: the name is reserved by creating the file, then removed.
QString uniqueTempFileName(const QString &prefix, const QString &extension);

// The resolver of this platform: COM on Windows, the in-process table elsewhere
// (with the simulated designer registered as the environment says).
ProgIdResolver &designerResolver();

} // namespace strovex

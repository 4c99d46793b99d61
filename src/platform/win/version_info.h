#pragma once
// The program file's version resource and the About box's version text.

#include <optional>
#include <string>

namespace strovex::win {

struct FileVersion {
    std::u16string productVersion; // "StringFileInfo\040904E4\ProductVersion"; empty if missing
    int build = 0;                  // fourth file-version component; 0 if the fixed part is missing
};

// Nullopt when the file cannot be read or carries no version resource.
std::optional<FileVersion> readFileVersion(const std::u16string &path);

// The running program's own file name.
std::u16string currentModulePath();

// "2.9.5" and 120 give "2.9.5 (build 120)": every ".0 " becomes " ", or else a
// final ".0" is dropped.
std::u16string versionText(std::u16string productVersion, int build);

// The version text of the program file; empty when it has no version resource.
std::u16string programVersionText(const std::u16string &path);

} // namespace strovex::win

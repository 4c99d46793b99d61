#pragma once
// Script files (".vbs"): the script and a line break as 8-bit text in the ANSI
// code page, or as UTF-16 LE with a byte-order mark when the code page cannot
// hold every character of the script. The script host reads both, and no
// character is ever replaced by "?" or a look-alike.

#include <stdexcept>
#include <string>

namespace strovex::win {

// The file's bytes for `script` (CR LF appended). `codePage` 0 is the ANSI
// code page of the system.
std::string scriptFileBytes(std::u16string_view script, unsigned codePage = 0);

// A file that could not be written; what() is the system's message (UTF-8).
class FileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes `bytes` to `path` in one go: into a new file beside it, then moved
// over any existing file. A read-only file is not replaced. On failure nothing
// is left behind and the old file stays; throws FileWriteError.
void writeFileAtomically(const std::u16string &path, const std::string &bytes);

} // namespace strovex::win

#pragma once
// Script files (".vbs"): the script and a line break as 8-bit text in the ANSI
// code page, or as UTF-16 LE with a byte-order mark when the code page cannot
// hold every character of the script. The script host reads both, and no
// character is ever replaced by "?" or a look-alike.

#include <string>
#include <string_view>

namespace strovex::win {

// The file's bytes for `script` (CR LF appended). `codePage` 0 is the ANSI
// code page of the system.
std::string scriptFileBytes(std::u16string_view script, unsigned codePage = 0);

} // namespace strovex::win

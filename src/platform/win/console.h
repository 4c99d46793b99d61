#pragma once
// The console as a Windows program meets it: a console takes UTF-16 text
// through its own call, whatever its code page; a pipe or a file takes bytes.

#include <string_view>

namespace strovex::win {

// The standard output (1) or error (2) handle; null when the process has none.
void *standardHandle(int stream);

// Whether the handle is a console (not a pipe, a file or nothing).
bool isConsole(void *handle);

// Writes the text to the console behind `handle`. Returns false, having
// written nothing, when the handle is not a console or the console refuses.
bool writeConsole(void *handle, std::u16string_view text);

// A program of the GUI subsystem has no console: attaches it to the console of
// the process that started it, when that one has one, and points the C
// runtime's stdout and stderr at it. Returns whether it did.
bool attachParentConsole();

} // namespace strovex::win

#pragma once
// Standard output and error of the command-line tool. Text reaches a pipe or a
// file as UTF-8 bytes on every platform, so scripts read the same bytes
// everywhere; a Windows console gets UTF-16 through its own call, so names
// outside the console's code page read right there.

#include <QIODevice>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace strovex {

// Whether `stream` (stdout or stderr) is an interactive terminal or console.
bool isTerminal(std::FILE *stream);

// A text stream writing to `stream` (stdout or stderr) as described above.
// The stream owns what it writes through.
class StandardStream {
public:
    explicit StandardStream(std::FILE *stream);
    ~StandardStream();
    StandardStream(const StandardStream &) = delete;
    StandardStream &operator=(const StandardStream &) = delete;

    QTextStream &text() { return *text_; }

private:
    std::unique_ptr<QIODevice> device_;
    std::unique_ptr<QTextStream> text_;
};

} // namespace strovex

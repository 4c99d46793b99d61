#include "platform/console.h"

#include <unistd.h>

namespace strovex {

bool isTerminal(std::FILE *stream)
{
    return isatty(fileno(stream)) != 0;
}

StandardStream::StandardStream(std::FILE *stream) : text_(std::make_unique<QTextStream>(stream)) {}

StandardStream::~StandardStream()
{
    text_->flush();
}

} // namespace strovex

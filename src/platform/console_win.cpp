#include "platform/console.h"
#include "platform/win/console.h"

#include <QIODevice>
#include <QStringDecoder>

#include <io.h>

namespace strovex {
namespace {

// Takes the UTF-8 that QTextStream writes and hands it to the console as
// UTF-16; a character split between two writes waits for its other half.
class ConsoleDevice final : public QIODevice {
public:
    explicit ConsoleDevice(void *handle) : handle_(handle) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        const QString text = decoder_.decode(QByteArrayView(data, size));
        const std::u16string_view units(reinterpret_cast<const char16_t *>(text.utf16()), size_t(text.size()));
        if (!units.empty() && !win::writeConsole(handle_, units)) {
            setErrorString(QStringLiteral("The console refused the text."));
            return -1;
        }
        return size;
    }

private:
    void *handle_;
    QStringDecoder decoder_{QStringDecoder::Utf8};
};

void *handleOf(std::FILE *stream)
{
    return win::standardHandle(stream == stderr ? 2 : 1);
}

} // namespace

bool isTerminal(std::FILE *stream)
{
    return _isatty(_fileno(stream)) != 0;
}

StandardStream::StandardStream(std::FILE *stream)
{
    void *handle = handleOf(stream);
    if (win::isConsole(handle)) {
        std::fflush(stream);
        device_ = std::make_unique<ConsoleDevice>(handle);
        text_ = std::make_unique<QTextStream>(device_.get());
    } else {
        text_ = std::make_unique<QTextStream>(stream);
    }
}

StandardStream::~StandardStream()
{
    text_->flush();
}

} // namespace strovex

#include "automation/designer_session.h"

#include "automation/resolver.h"

namespace strovex {

LabelTooLargeError::LabelTooLargeError(const QString &path) : std::runtime_error(text(path).toStdString())
{
}

QString LabelTooLargeError::text(const QString &path)
{
    return QStringLiteral("File \"%1\" is too large for the memory available.").arg(path);
}

OpenedLabel openLabel(const QuillApp &app, const QString &path)
{
    OpenedLabel opened{app.OpenLabel(path), {}};
    if (!opened.label)
        opened.failure = QStringLiteral("File \"%1\" cannot be opened!\r\n\r\n").arg(path) + app.LastErrorText();
    return opened;
}

DesignerSession::~DesignerSession()
{
    // A designer that already stopped is let go all the same.
    try {
        close();
    } catch (const std::exception &) {
    }
}

bool DesignerSession::connect(ProgIdResolver &resolver)
{
    app_ = QuillApp(connectDesigner(resolver));
    if (!app_)
        return false;
    app_.Initialize();
    app_.SetAutomationFlag(true);
    return true;
}

void DesignerSession::close()
{
    if (!app_)
        return;
    const struct Release {
        QuillApp &app;
        ~Release() { app.release(); }
    } release{app_};
    app_.Quit();
}

QString DesignerSession::noDesignerText()
{
    return QStringLiteral("Program requires Quillmark 5 or Quillmark 6 to be installed!");
}

} // namespace strovex

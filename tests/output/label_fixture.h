#pragma once
// A label document opened through the simulated designer, with the handles a
// label view keeps, and the expected-file helpers the output tests share.

#include "automation/designer.h"
#include "output/label_handles.h"
#include "platform/launcher.h"
#include "sim/sim_designer.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <stdexcept>

namespace strovex::test {

inline QString fixturePath(const QString &name)
{
    return QStringLiteral(STROVEX_TEST_DATA_DIR "/fixtures/") + name;
}

struct OpenedLabel {
    QuillApp app;
    IQuillmark label;
    LabelHandles view;

    explicit OpenedLabel(const QString &path)
        : app(sim::createApplication())
    {
        label = app.OpenLabel(path);
        if (label.isNull())
            throw std::runtime_error("cannot open " + path.toStdString() + ": " + app.LastErrorText().toStdString());
        view = LabelHandles::fromLabel(label, path);
    }
};

// Expected text written as a raw string: lines split at '\n', "{P}" stands for
// the label path and "<TAB>" for a tab.
inline QStringList expectedLines(const char *text, const QString &labelPath = {})
{
    QString all = QString::fromUtf8(text);
    if (all.startsWith(u'\n'))
        all.remove(0, 1);
    if (all.endsWith(u'\n'))
        all.chop(1);
    all.replace(QStringLiteral("{P}"), labelPath).replace(QStringLiteral("<TAB>"), QStringLiteral("\t"));
    return all.split(u'\n');
}

// UTF-16 LE, FF FE first, CR LF after every line.
inline QByteArray utf16File(const QStringList &lines)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QString &line : lines) {
        const QString withBreak = line + QStringLiteral("\r\n");
        for (QChar c : withBreak) {
            bytes.append(char(c.unicode() & 0xFF));
            bytes.append(char(c.unicode() >> 8));
        }
    }
    return bytes;
}

inline QByteArray utf8File(const QStringList &lines)
{
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

// Records what would have been started instead of starting it.
class RecordingLauncher : public Launcher {
public:
    bool openInTextEditor(const QString &path) override { editor << path; return true; }
    bool openWithAssociatedProgram(const QString &path) override { opened << path; return true; }
    QStringList editor;
    QStringList opened;
};

} // namespace strovex::test

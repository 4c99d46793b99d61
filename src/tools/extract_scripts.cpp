#include "tools/extract_scripts.h"

#include "inspect/value_tables.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/script_text.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <exception>

#include <optional>

namespace strovex {
namespace {

QString savedText(int saved)
{
    if (saved == 0)
        return QStringLiteral("No script saved.");
    if (saved == 1)
        return QStringLiteral("1 script saved.");
    return QStringLiteral("%1 scripts saved.").arg(saved);
}

// "Function "<name>" skipped: <reason>." (the function's number where its name
// could not be read).
QString skippedText(const QString &functionName, int number, QString reason)
{
    if (!reason.endsWith(u'.'))
        reason += u'.';
    const QString function = functionName.isNull() ? QString::number(number) : u'"' + functionName + u'"';
    return QStringLiteral("Function %1 skipped: %2").arg(function, reason);
}

// A lone surrogate as the replacement character: the name a POSIX system
// stores anyway, and one every Windows volume and file share can hold too.
QString withoutLoneSurrogates(QString name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            name[i] = QChar::ReplacementCharacter;
    }
    return name;
}

} // namespace

QString scriptFileName(const QString &destination, const QString &labelPath, const QString &functionName)
{
    qsizetype nameStart = labelPath.size();
    while (nameStart > 0 && !isPathSeparator(labelPath[nameStart - 1]))
        --nameStart;
    QString folder;
    if (destination.isEmpty()) {
        folder = labelPath.left(nameStart);
    } else {
        folder = withTrailingSeparator(destination);
    }
    QString base = labelPath.mid(nameStart);
    const qsizetype dot = base.lastIndexOf(u'.');
    if (dot >= 0)
        base.truncate(dot);
    return folder + base + u'.' + withoutLoneSurrogates(functionName) + QStringLiteral(".vbs");
}

void runExtractScripts(const QStringList &files, const QuillApp &app, const QString &destination,
                       ReportSink &report, const RunHooks &hooks)
{
    report.reset(files);
    // Names written in this run: a later script of the same file name would
    // silently replace an earlier one.
    QSet<QString> written;
    QSet<QString> labels;
    for (const QString &path : files)
        labels.insert(fileNameKey(path));
    for (int i = 0; i < files.size(); ++i) {
        const QString &path = files[i];
        if (!startFile(hooks, i, int(files.size()), path, report))
            return;
        IQuillmark label = app.OpenLabel(path);
        if (!label) {
            report.setLine(i, path + QStringLiteral(" - Error: Cannot open label."));
            reportOpenRefusal(app, path, report);
            continue;
        }
        int saved = 0;
        QStringList skipped;
        // Read once per label; only a failed read is tried again by the next function.
        std::optional<QString> labelFileName;
        IFunctionList functions = label.Functions();
        const int count = functions.Count();
        for (int j = 1; j <= count; ++j) {
            const IFunctionItem function = functions.Item(j);
            if (!function)
                continue;
            QString fileName, functionName, text;
            try {
                functionName = function.Name();
                if (!labelFileName)
                    labelFileName = label.FileName();
                fileName = scriptFileName(destination, *labelFileName, functionName);
                if (FunctionKindText(function) == visualBasicScriptText()) {
                    const QString script = function.Script();
                    if (script.size() > 1)
                        text = script.mid(1);
                }
            } catch (const std::exception &e) {
                // This function writes nothing; the others go on.
                skipped << skippedText(functionName, j, QString::fromUtf8(e.what()));
                continue;
            }
            if (text.isEmpty())
                continue;
            if (!isPlainFileName(functionName))
                throw FileError(QStringLiteral("Cannot create file \"%1\". The function name is not a valid file name.")
                                    .arg(fileName));
            const QString key = fileNameKey(fileName);
            if (written.contains(key) || labels.contains(key)) {
                const QString why = written.contains(key) ? QStringLiteral("the file \"%1\" was already written in this run")
                                                          : QStringLiteral("\"%1\" is one of the labels being read");
                skipped << skippedText(functionName, j, why.arg(fileName));
                continue;
            }
            const QByteArray bytes = scriptFileBytes(text);
            if (hooks.writeFile)
                hooks.writeFile(fileName, bytes);
            else
                writeFileAtomically(fileName, bytes, LinkAtTarget::Refuse);
            written.insert(key);
            ++saved;
        }
        if (!skipped.isEmpty())
            report.setLine(i, path + QStringLiteral(" - Error: ") + skipped.join(u' ') + u' ' + savedText(saved));
        else if (saved > 0)
            report.setLine(i, path + QStringLiteral(" - ") + savedText(saved));
    }
}

} // namespace strovex

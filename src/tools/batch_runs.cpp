#include "tools/batch_runs.h"

#include "tools/whole_number.h"

#include <QFileInfo>

namespace strovex {
namespace {

QString details(const QuillApp &app)
{
    return QStringLiteral(" Details: ") + app.LastErrorText();
}

QChar foldAscii(QChar c)
{
    return (c >= u'A' && c <= u'Z') ? QChar(c.unicode() + 32) : c;
}

bool save(const IQuillmark &label, const RunHooks &hooks)
{
    return hooks.save ? hooks.save(label) : label.Save();
}

// The text after "Error: " when the journal cannot keep the label's bytes:
// the label is then not saved.
std::optional<QString> keepBeforeSave(const QString &path, const RunHooks &hooks)
{
    if (!hooks.beforeSave)
        return std::nullopt;
    if (const std::optional<QString> reason = hooks.beforeSave(path))
        return QStringLiteral("Label \"%1\" was not saved: its copy for undo cannot be kept. %2").arg(path, *reason);
    return std::nullopt;
}

void tellSaved(const RunHooks &hooks, const QString &outcome)
{
    if (hooks.afterSave)
        hooks.afterSave(outcome);
}

// Log style: the save's line, or the journal's refusal.
void saveLogged(const QString &path, const IQuillmark &label, const QuillApp &app, const RunHooks &hooks,
                ReportSink &report)
{
    if (const std::optional<QString> refused = keepBeforeSave(path, hooks)) {
        report.append(QStringLiteral("Error: ") + *refused);
        return;
    }
    const QString line = save(label, hooks)
        ? QStringLiteral("Done")
        : QStringLiteral("Error: ") + QStringLiteral("Label \"%1\" cannot be saved!").arg(path) + details(app);
    report.append(line);
    tellSaved(hooks, line);
}

} // namespace

QString StoppedLine(int done, int total)
{
    return QStringLiteral("Stopped by the user after %1 of %2 labels.").arg(done).arg(total);
}

bool startFile(const RunHooks &hooks, int index, int total, const QString &path, ReportSink &report)
{
    if (hooks.fileStarted)
        hooks.fileStarted(index, total, path);
    if (hooks.stopRequested && hooks.stopRequested()) {
        report.append(StoppedLine(index, total));
        return false;
    }
    return true;
}

void reportOpenRefusal(const QuillApp &app, const QString &path, ReportSink &report)
{
    const QString text = app.LastErrorText();
    if (!text.isEmpty())
        report.reason(path, text);
}

RunHooks dryRunHooks(int &count)
{
    RunHooks hooks;
    hooks.save = [&count](const IQuillmark &) {
        ++count;
        return true;
    };
    hooks.writeFile = [&count](const QString &, const QByteArray &) { ++count; };
    return hooks;
}

RunHooks journalled(RunHooks hooks, RunJournal &journal)
{
    hooks.beforeSave = [&journal](const QString &path) { return journal.keep(path); };
    hooks.afterSave = [&journal](const QString &outcome) { journal.saved(outcome); };
    return hooks;
}

QString trimControls(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

qsizetype indexOfAsciiFolded(const QString &haystack, const QString &needle)
{
    if (needle.isEmpty())
        return -1;
    for (qsizetype at = 0; at + needle.size() <= haystack.size(); ++at) {
        qsizetype k = 0;
        while (k < needle.size() && foldAscii(haystack[at + k]) == foldAscii(needle[k]))
            ++k;
        if (k == needle.size())
            return at;
    }
    return -1;
}

void runSetPrinter(const QStringList &files, const QuillApp &app, const QString &printer, ReportSink &report,
                   const RunHooks &hooks)
{
    report.reset(files);
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
        label.SetPrinterName(printer);
        if (const std::optional<QString> refused = keepBeforeSave(path, hooks)) {
            report.setLine(i, path + QStringLiteral(" - Error: ") + *refused);
            continue;
        }
        const QString line = save(label, hooks)
            ? path + QStringLiteral(" - Done.")
            : path + QStringLiteral(" - Error: ") + QStringLiteral("Printer \"%1\" cannot be set!").arg(printer)
                + details(app);
        report.setLine(i, line);
        tellSaved(hooks, line);
    }
}

void runSetPaths(const QStringList &files, const QuillApp &app, const QString &oldPathTyped,
                 const QString &newPathTyped, ReportSink &report, const RunHooks &hooks)
{
    const QString oldPath = trimControls(oldPathTyped);
    const QString newPath = trimControls(newPathTyped);
    report.reset({});
    const QStringList copy = files;
    for (int index = 0; index < copy.size(); ++index) {
        const QString &path = copy[index];
        if (!startFile(hooks, index, int(copy.size()), path, report))
            return;
        IQuillmark label = app.OpenLabel(path);
        if (!label) {
            report.append(QStringLiteral("Error: Cannot open label.") + details(app));
            continue;
        }
        report.append(QStringLiteral("Changing paths for graphics in \"%1\"").arg(path));
        bool changed = false;
        int graphics = 0;
        const IObjectList objects = label.Objects();
        const int count = objects.Count();
        for (int i = 1; i <= count; ++i) {
            const IObjectItem object = objects.Item(i);
            if (!object || object.Kind() != ObjectKind::Graphics)
                continue;
            ++graphics;
            const QString picture = object.Contents();
            const qsizetype at = indexOfAsciiFolded(picture, oldPath);
            if (at < 0)
                continue;
            const QString newPicture = picture.left(at) + newPath + picture.mid(at + oldPath.size());
            report.append(QStringLiteral("Changing path from \"%1\" to \"%2\"").arg(picture, newPicture));
            if (object.SetFileName(newPicture) != -1) {
                changed = true;
                continue;
            }
            const QString message = QFileInfo::exists(newPicture)
                ? QStringLiteral("Path \"%1\" cannot be set!").arg(newPathTyped)
                : QStringLiteral("Path \"%1\" cannot be set because file \"%2\" does not exist!")
                      .arg(newPathTyped, newPicture);
            report.append(QStringLiteral("Error: ") + message + details(app));
        }
        if (graphics == 0)
            report.append(QStringLiteral("No graphics files found."));
        if (changed)
            saveLogged(path, label, app, hooks, report);
        report.append(QStringLiteral(" "));
    }
}

std::optional<SetVariableRequest> setVariableRequest(const QString &name, const QString &newLengthText)
{
    if (name.isEmpty())
        return std::nullopt;
    const std::optional<int> length = parseWholeNumber(newLengthText);
    if (!length)
        return std::nullopt;
    return SetVariableRequest{name, *length};
}

void runSetVariableLength(const QStringList &files, const QuillApp &app, const SetVariableRequest &request,
                          ReportSink &report, const RunHooks &hooks)
{
    report.reset({});
    const QStringList copy = files;
    for (int index = 0; index < copy.size(); ++index) {
        const QString &path = copy[index];
        if (!startFile(hooks, index, int(copy.size()), path, report))
            return;
        report.append(QStringLiteral("Opening \"%1\"").arg(path));
        IQuillmark label = app.OpenLabel(path);
        if (!label) {
            report.append(QStringLiteral("Error: Cannot open label."));
            reportOpenRefusal(app, path, report);
            continue;
        }
        bool changed = false;
        const IVar variable = label.Variables().FindByName(request.name);
        if (variable) {
            const int length = variable.Length();
            if (length != request.newLength) {
                report.append(QStringLiteral("Changing variable length for variable \"%1\" in \"%2\"")
                                  .arg(request.name, path));
                report.append(QStringLiteral("Old length: %1; New length: %2").arg(length).arg(request.newLength));
                variable.SetLength(request.newLength);
                changed = true;
            }
        } else {
            report.append(QStringLiteral("Variable \"%1\" does not exist\"").arg(request.name));
        }
        if (changed) {
            report.append(QStringLiteral("Saving \"%1\"").arg(path));
            saveLogged(path, label, app, hooks, report);
        } else {
            report.append(QStringLiteral("Done"));
        }
        report.append(QStringLiteral(" "));
    }
}

} // namespace strovex

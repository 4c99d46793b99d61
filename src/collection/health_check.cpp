#include "collection/health_check.h"

#include "platform/installed_fonts.h"
#include "platform/printers.h"

#include <QDir>
#include <QFileInfo>

#include <map>

namespace strovex {
namespace {

// What a rule reports for a label, with its id and severity filled in by checkLabels.
struct Out {
    std::vector<Finding> &findings;
    const IndexedLabel &label;
    void add(const QString &item, const QString &message) { findings.push_back({{}, {}, label.path, item, message}); }
};

bool readable(const IndexedLabel &label)
{
    return label.state == LabelState::Read;
}

bool containsFolded(const QStringList &list, const QString &name)
{
    return list.contains(name, Qt::CaseInsensitive);
}

// A file as the designer names it, relative ones from the label's folder. On a
// system that cannot resolve a Windows path, the answer is "not checked".
enum class FileCheck { Exists, Missing, NotChecked };
FileCheck checkFile(const IndexedLabel &label, const MachineView &machine, const QString &file)
{
    if (isWindowsPath(file) && !machine.windowsPaths)
        return FileCheck::NotChecked;
    const QString path = QDir::isAbsolutePath(file) ? file : QFileInfo(label.path).dir().filePath(file);
    return machine.fileExists(path) ? FileCheck::Exists : FileCheck::Missing;
}

void checkFiles(const IndexedLabel &label, const MachineView &machine, std::vector<Finding> &out, bool pictures,
                FileCheck wanted)
{
    if (!readable(label))
        return;
    Out o{out, label};
    const auto report = [&](const QString &item, const QString &file, const QString &what) {
        if (checkFile(label, machine, file) != wanted)
            return;
        if (wanted == FileCheck::Missing)
            o.add(item, QStringLiteral("%1 \"%2\" does not exist.").arg(what, file));
        else
            o.add(item, QStringLiteral("%1 \"%2\" is a Windows path: not checked.").arg(what, file));
    };
    if (pictures) {
        for (const TObjectRow &object : label.contents.objects) {
            if (object.Type == u"Graphics" && !object.Contents.isEmpty())
                report(object.Name, object.Contents, QStringLiteral("Picture file"));
        }
    } else {
        for (const QString &file : label.contents.files)
            report({}, file, QStringLiteral("Dependent file"));
    }
}

std::vector<HealthRule> makeRules()
{
    using L = const IndexedLabel &;
    using M = const MachineView &;
    using F = std::vector<Finding> &;
    return {
        {QStringLiteral("cannot-open"), Severity::Error, QStringLiteral("the label cannot be opened or read"),
         [](L label, M, F out) {
             if (readable(label))
                 return;
             QString text = label.error;
             text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
             Out{out, label}.add({}, text);
         }},
        {QStringLiteral("picture-missing"), Severity::Error,
         QStringLiteral("a graphic's picture file does not exist"),
         [](L label, M machine, F out) { checkFiles(label, machine, out, true, FileCheck::Missing); }},
        {QStringLiteral("dependent-file-missing"), Severity::Error, QStringLiteral("a dependent file does not exist"),
         [](L label, M machine, F out) { checkFiles(label, machine, out, false, FileCheck::Missing); }},
        {QStringLiteral("default-too-long"), Severity::Error,
         QStringLiteral("a prompted variable's default value is longer than its length (the printed value is cut)"),
         [](L label, M, F out) {
             for (const TVariableRow &v : label.contents.variables) {
                 if (v.Order != -1 && v.DefaultValue.size() > v.Length)
                     Out{out, label}.add(v.Name, QStringLiteral("The default value has %1 characters; the length is %2.")
                                                     .arg(v.DefaultValue.size())
                                                     .arg(v.Length));
             }
         }},
        {QStringLiteral("path-not-checked"), Severity::Note,
         QStringLiteral("a picture or dependent file has a Windows path, which cannot be checked on this system"),
         [](L label, M machine, F out) {
             checkFiles(label, machine, out, true, FileCheck::NotChecked);
             checkFiles(label, machine, out, false, FileCheck::NotChecked);
         }},
        {QStringLiteral("printer-not-installed"), Severity::Warning,
         QStringLiteral("the label's printer is not installed on this machine"),
         [](L label, M machine, F out) {
             const QString &printer = label.contents.info.Printer;
             if (readable(label) && machine.printers && !printer.isEmpty() && !containsFolded(*machine.printers, printer))
                 Out{out, label}.add({}, QStringLiteral("The printer \"%1\" is not installed here.").arg(printer));
         }},
        {QStringLiteral("font-not-installed"), Severity::Warning,
         QStringLiteral("a font the label uses is not installed on this machine"),
         [](L label, M machine, F out) {
             if (!readable(label) || !machine.fonts)
                 return;
             for (const QString &font : label.contents.fonts) {
                 if (!containsFolded(*machine.fonts, font))
                     Out{out, label}.add({}, QStringLiteral("The font \"%1\" is not installed here.").arg(font));
             }
         }},
        {QStringLiteral("printer-differs"), Severity::Warning,
         QStringLiteral("the label's printer differs from its original printer"),
         [](L label, M, F out) {
             const LabelInfoTexts &info = label.contents.info;
             if (readable(label) && !info.OriginalPrinter.isEmpty() && info.Printer != info.OriginalPrinter)
                 Out{out, label}.add({}, QStringLiteral("The printer \"%1\" differs from the original printer \"%2\".")
                                             .arg(info.Printer, info.OriginalPrinter));
         }},
        {QStringLiteral("prompt-order-twice"), Severity::Warning,
         QStringLiteral("two prompted variables have the same prompt order"),
         [](L label, M, F out) {
             std::map<int, QStringList> byOrder;
             for (const TVariableRow &v : label.contents.variables) {
                 if (v.Order != -1)
                     byOrder[v.Order] << v.Name;
             }
             for (const auto &[order, names] : byOrder) {
                 if (names.size() > 1)
                     Out{out, label}.add(names.join(QStringLiteral(", ")),
                                         QStringLiteral("%1 prompted variables share the prompt order %2.")
                                             .arg(names.size())
                                             .arg(order));
             }
         }},
        {QStringLiteral("variable-unused"), Severity::Note, QStringLiteral("a variable the label does not use"),
         [](L label, M, F out) {
             for (const TVariableRow &v : label.contents.variables) {
                 if (!v.IsUsed)
                     Out{out, label}.add(v.Name, QStringLiteral("The variable is not used."));
             }
         }},
        {QStringLiteral("database-unused"), Severity::Note, QStringLiteral("a database the label does not use"),
         [](L label, M, F out) {
             for (const TDatabaseRow &d : label.contents.databases) {
                 if (!d.IsUsed)
                     Out{out, label}.add(d.Name, QStringLiteral("The database is not used."));
             }
         }},
        {QStringLiteral("function-unused"), Severity::Note, QStringLiteral("a function the label does not use"),
         [](L label, M, F out) {
             for (const TFunctionRow &f : label.contents.functions) {
                 if (!f.IsUsed)
                     Out{out, label}.add(f.Name, QStringLiteral("The function is not used."));
             }
         }},
        {QStringLiteral("script-empty"), Severity::Note, QStringLiteral("a script function with an empty script"),
         [](L label, M, F out) {
             for (const TFunctionRow &f : label.contents.functions) {
                 if (f.Type == u"Visual Basic Script" && f.Script.trimmed().isEmpty())
                     Out{out, label}.add(f.Name, QStringLiteral("The script is empty."));
             }
         }},
    };
}

} // namespace

QString severityName(Severity severity)
{
    switch (severity) {
    case Severity::Error: return QStringLiteral("error");
    case Severity::Warning: return QStringLiteral("warning");
    case Severity::Note: return QStringLiteral("note");
    }
    return {};
}

bool isWindowsPath(const QString &path)
{
    const bool drive = path.size() >= 2 && path[1] == u':' && path[0].isLetter() && path[0].unicode() < 128;
    return drive || path.startsWith(QStringLiteral("\\\\")) || path.contains(u'\\');
}

MachineView nativeMachineView()
{
    MachineView machine;
    machine.printers = printers().installed();
    machine.fonts = installedFontFamilies();
    machine.fileExists = [](const QString &path) { return QFileInfo::exists(path); };
    machine.windowsPaths = QDir::separator() == u'\\';
    return machine;
}

const std::vector<HealthRule> &healthRules()
{
    static const std::vector<HealthRule> rules = makeRules();
    return rules;
}

std::vector<Finding> checkLabels(const std::vector<IndexedLabel> &labels, const MachineView &machine,
                                 const QStringList &ignored)
{
    std::vector<Finding> findings;
    for (const IndexedLabel &label : labels) {
        for (const HealthRule &rule : healthRules()) {
            if (ignored.contains(rule.id))
                continue;
            const std::size_t first = findings.size();
            rule.check(label, machine, findings);
            for (std::size_t i = first; i < findings.size(); ++i) {
                findings[i].rule = rule.id;
                findings[i].severity = rule.severity;
            }
        }
    }
    return findings;
}

} // namespace strovex

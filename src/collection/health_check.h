#pragma once
// The health check: a table of small rules over the indexed contents of a
// label and a view of this machine (printers, fonts, files). No designer call.

#include "collection/collection_store.h"

#include <functional>
#include <optional>
#include <vector>

namespace strovex {

enum class Severity { Error, Warning, Note };
QString severityName(Severity severity); // "error", "warning", "note"

struct Finding {
    QString rule;
    Severity severity = Severity::Note;
    QString path;
    QString item; // the object, variable, ... it concerns; empty for the label itself
    QString message;
};

// What the rules know of this machine.
struct MachineView {
    std::optional<QStringList> printers; // installed printers; nothing: unknown, not checked
    std::optional<QStringList> fonts;    // installed font families; nothing: unknown, not checked
    std::function<bool(const QString &path)> fileExists;
    // Whether a Windows path ("C:\...", "\\server\share\...") can be checked here.
    bool windowsPaths = false;
};
// The platform's printers service, its font list and file system.
MachineView nativeMachineView();

struct HealthRule {
    QString id;
    Severity severity;
    QString description;
    std::function<void(const IndexedLabel &label, const MachineView &machine, std::vector<Finding> &out)> check;
};
const std::vector<HealthRule> &healthRules();

// The findings of every rule not in `ignored` over `labels`, label by label in
// the order given, rules in table order.
std::vector<Finding> checkLabels(const std::vector<IndexedLabel> &labels, const MachineView &machine,
                                 const QStringList &ignored = {});

// True for a path only Windows can resolve: a drive letter or a "\\" share.
bool isWindowsPath(const QString &path);

} // namespace strovex

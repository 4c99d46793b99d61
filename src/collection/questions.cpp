#include "collection/questions.h"

#include "tools/find_files.h"

#include <QDateTime>

#include <algorithm>
#include <map>

namespace strovex {
namespace {

bool wholeMatches(const QString &pattern, const QString &value)
{
    return !value.isEmpty() && wildcardMatches(pattern, value);
}

bool fragmentMatches(const QString &pattern, const QString &value)
{
    return !value.isEmpty() && wildcardMatches(QStringLiteral("*%1*").arg(pattern), value);
}

} // namespace

bool useMatches(UseKind kind, const QString &pattern, const UseRow &row, QString &matched)
{
    for (qsizetype i = 0; i < row.values.size(); ++i) {
        const QString &value = row.values[i];
        bool hit = false;
        switch (kind) {
        case UseKind::Picture:
        case UseKind::DependentFile:
            hit = fragmentMatches(pattern, value);
            break;
        case UseKind::Database:
            // Name and table whole, the connection string by a fragment.
            hit = i < 2 ? wholeMatches(pattern, value) : fragmentMatches(pattern, value);
            break;
        default:
            hit = wholeMatches(pattern, value);
        }
        if (hit) {
            matched = value;
            return true;
        }
    }
    return false;
}

std::vector<WhereUsed> whereUsed(CollectionStore &store, UseKind kind, const QString &pattern)
{
    std::map<QString, WhereUsed> byPath;
    for (const UseRow &row : store.uses(kind)) {
        QString matched;
        if (!useMatches(kind, pattern, row, matched))
            continue;
        WhereUsed &entry = byPath[row.path];
        entry.path = row.path;
        entry.items.push_back({row.item, matched});
    }
    std::vector<WhereUsed> result;
    for (auto &[path, entry] : byPath)
        result.push_back(std::move(entry));
    std::sort(result.begin(), result.end(),
              [](const WhereUsed &a, const WhereUsed &b) { return compareNamesNaturally(a.path, b.path) < 0; });
    return result;
}

InventoryRow inventoryRow(const IndexedLabel &label)
{
    const LabelContents &c = label.contents;
    InventoryRow row;
    row.path = label.path;
    row.title = c.info.Title;
    if (!c.info.Width.isEmpty() || !c.info.Length.isEmpty())
        row.size = QStringLiteral("%1 x %2 %3").arg(c.info.Width, c.info.Length, c.info.Unit).trimmed();
    row.printer = c.info.Printer;
    row.objects = int(c.objects.size());
    row.variables = int(c.variables.size());
    row.databases = int(c.databases.size());
    row.functions = int(c.functions.size());
    row.indexed = label.indexed;
    row.state = labelStateName(label.state);
    if (!label.seen)
        row.state += QStringLiteral(", not seen");
    return row;
}

QString indexTimeText(qint64 msecsSinceEpoch)
{
    if (msecsSinceEpoch <= 0)
        return QStringLiteral("never");
    return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch, Qt::UTC)
               .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
        + QStringLiteral(" UTC");
}

} // namespace strovex

#pragma once
// The questions over the index: where-used and the inventory. They read the
// store only, never the designer.

#include "collection/collection_store.h"

#include <vector>

namespace strovex {

struct WhereUsedItem {
    QString item;  // the object, variable, ... that matches; empty for the label itself
    QString value; // what matched
};
struct WhereUsed {
    QString path;
    std::vector<WhereUsedItem> items;
};

// Labels with the items of `kind` that match `pattern`, sorted naturally by
// path. "*" and "?" are wildcards and letter case is ignored; printers, fonts,
// variables and functions match by the whole name, a picture or dependent file
// by any fragment of its path, a database by its name, its table or a fragment
// of its connection string.
std::vector<WhereUsed> whereUsed(CollectionStore &store, UseKind kind, const QString &pattern);
bool useMatches(UseKind kind, const QString &pattern, const UseRow &row, QString &matched);

// One row of the inventory.
struct InventoryRow {
    QString path;
    QString title;
    QString size; // "6.00 x 4.00 cm": width x length in the label's unit
    QString printer;
    int objects = 0;
    int variables = 0;
    int databases = 0;
    int functions = 0;
    qint64 indexed = 0;
    QString state; // "read", "refused", "failed", with ", not seen" where its folder was unreachable
};
InventoryRow inventoryRow(const IndexedLabel &label);

// "2026-12-11 09:30:05 UTC", or "never" for 0.
QString indexTimeText(qint64 msecsSinceEpoch);

} // namespace strovex

#pragma once
// Small labels and stores for the collection's suites.

#include "collection/indexer.h"
#include "collection/sqlite_store.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QDateTime>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace strovex::test {

// A label as the index keeps it, with the parts a case needs.
inline IndexedLabel indexedLabel(const QString &path)
{
    IndexedLabel label;
    label.path = path;
    label.size = 10;
    label.modified = 1000;
    label.sha256 = "00";
    label.indexed = 2000;
    return label;
}

inline TVariableRow variable(const QString &name, int order = -1, const QString &defaultValue = {}, int length = 10,
                             bool used = true)
{
    TVariableRow row;
    row.Name = name;
    row.Type = order == -1 ? QStringLiteral("Global Variable") : QStringLiteral("Prompt Variable");
    row.Order = order;
    row.DefaultValue = defaultValue;
    row.Length = length;
    row.IsUsed = used;
    return row;
}

inline TObjectRow object(const QString &name, const QString &type, const QString &contents = {},
                         const QString &additionalInfo = {})
{
    TObjectRow row;
    row.Name = name;
    row.Type = type;
    row.Contents = contents;
    row.AdditionalInfo = additionalInfo;
    return row;
}

// Writes `bytes` to `path`, making its folder, and gives it a fixed time so
// that a later write with the same size counts as changed only by its time.
inline void writeLabelFile(const QString &path, const QByteArray &bytes, qint64 msecs = 1'700'000'000'000)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::fromMSecsSinceEpoch(msecs), QFileDevice::FileModificationTime));
}

} // namespace strovex::test

#pragma once
// Runs strovex-cli in-process against the simulated designer and compares
// with what the core gives the app.

#include "cli/cli.h"
#include "sim/sim_designer.h"
#include "support/temp_dir.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace strovex::test {

struct CliResult {
    int status = -1;
    QString out;
    QString err;
};

inline CliResult runCliCaptured(const QStringList &args, const CliOptions &options = {})
{
    CliResult result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.status = runCli(args, out, err, options);
    out.flush();
    err.flush();
    return result;
}

// The report lines as printed: one a line, each ending in a line feed.
inline QString printedLines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + QLatin1Char('\n');
    return text;
}

// The output without the line that names a run's journal, and whether it had one.
inline QString withoutJournalLine(const QString &out, bool *had = nullptr)
{
    static const QRegularExpression line(
        QStringLiteral("(^|\n)Journal: run ([0-9-]+) \\(\"strovex-cli undo \\2\" takes it back\\)\\.\n$"));
    const QRegularExpressionMatch match = line.match(out);
    if (had)
        *had = match.hasMatch();
    return match.hasMatch() ? out.left(match.capturedStart() + match.capturedLength(1)) : out;
}

// Every file under `root` by relative path, with a hash of its bytes.
inline QMap<QString, QByteArray> hashTree(const QString &root)
{
    QMap<QString, QByteArray> hashes;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        hashes.insert(QDir(root).relativeFilePath(path),
                      QCryptographicHash::hash(readAll(path), QCryptographicHash::Sha256));
    }
    return hashes;
}

inline void copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(path);
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(path, target);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    }
}

// The sample labels that open (the damaged one does not).
inline QStringList openableSamples()
{
    QStringList result;
    for (const QString &name : QDir(QStringLiteral(STROVEX_SAMPLES_DIR)).entryList({QStringLiteral("*.lbl")}, QDir::Files,
                                                                                   QDir::Name)) {
        if (name != u"damaged.lbl")
            result << samplePath(name);
    }
    return result;
}

class CliTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        sim::setKnobs({});
        EXPECT_EQ(sim::liveObjects(), 0) << "the command left designer objects alive";
    }

    TempDir dir;
};

} // namespace strovex::test

// Incremental indexing: what is opened again, kept, re-keyed or removed, with
// a reader that stands in for the designer and counts what it is asked.

#include "collection_fixture.h"

#include <gtest/gtest.h>

#include <functional>

using namespace strovex;
using namespace strovex::test;

namespace {

// The label's bytes become its title; "refuse" and "fail" give those outcomes.
struct CountingReader {
    QStringList asked;
    LabelReader reader()
    {
        return [this](const QString &path) {
            asked << path;
            LabelReading reading;
            const QByteArray bytes = readAll(path);
            if (bytes.startsWith("refuse")) {
                reading.state = LabelState::Refused;
                reading.error = QStringLiteral("Label file is damaged.");
            } else if (bytes.startsWith("fail")) {
                reading.state = LabelState::Failed;
                reading.error = QStringLiteral("The designer stopped.");
            } else {
                reading.contents.info.Title = QString::fromUtf8(bytes);
            }
            return reading;
        };
    }
};

class Indexing : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeLabelFile(label(QStringLiteral("a.lbl")), "alpha");
        writeLabelFile(label(QStringLiteral("sub/b.lbl")), "bravo");
        writeLabelFile(label(QStringLiteral("sub/notes.txt")), "not a label");
    }

    QString root() const { return dir.file(QStringLiteral("labels")); }
    QString label(const QString &name) const { return QDir::toNativeSeparators(root() + u'/' + name); }
    IndexSummary run() { return indexFolders(store, {root()}, reader.reader()); }
    QMap<QString, QString> titles()
    {
        QMap<QString, QString> result;
        for (const IndexedLabel &l : store.labels())
            result.insert(l.path, l.contents.info.Title + (l.seen ? QString() : QStringLiteral(" (not seen)")));
        return result;
    }

    TempDir dir;
    SqliteStore store{dir.file(QStringLiteral("index.sqlite")), SqliteStore::Mode::Write};
    CountingReader reader;
};

} // namespace

TEST_F(Indexing, ReadsEveryLabelOnceThenOnlyWhatChanged)
{
    const IndexSummary first = run();
    EXPECT_EQ(first.found, 2);
    EXPECT_EQ(first.read, 2);
    EXPECT_EQ(reader.asked, (QStringList{label(QStringLiteral("a.lbl")), label(QStringLiteral("sub/b.lbl"))}));

    reader.asked.clear();
    const IndexSummary second = run();
    EXPECT_EQ(second.unchanged, 2);
    EXPECT_TRUE(reader.asked.isEmpty());
    ASSERT_EQ(store.folders().size(), 1u);
    EXPECT_GT(store.folders()[0].refreshed, 0);
}

// Each change on disk, and what the next run makes of it.
TEST_F(Indexing, BringsTheIndexUpToDateWithEachKindOfChange)
{
    struct Case {
        const char *name;
        std::function<void(Indexing &)> change;
        QStringList read;                 // what the designer is asked
        QMap<QString, QString> afterwards; // path -> title
        int IndexSummary::*counter;
        int count;
    };
    const QString a = label(QStringLiteral("a.lbl"));
    const QString b = label(QStringLiteral("sub/b.lbl"));
    const QString moved = label(QStringLiteral("other/b2.lbl"));
    const Case cases[] = {
        {"touch: new time, same bytes",
         [&](Indexing &) { writeLabelFile(a, "alpha", 1'800'000'000'000); },
         {},
         {{a, QStringLiteral("alpha")}, {b, QStringLiteral("bravo")}},
         &IndexSummary::touched, 1},
        {"edit: same size and time, new bytes",
         [&](Indexing &) { writeLabelFile(a, "ALPHA"); },
         {},
         {{a, QStringLiteral("alpha")}, {b, QStringLiteral("bravo")}},
         &IndexSummary::unchanged, 2},
        {"edit: new size",
         [&](Indexing &) { writeLabelFile(a, "alpha 2", 1'800'000'000'000); },
         {a},
         {{a, QStringLiteral("alpha 2")}, {b, QStringLiteral("bravo")}},
         &IndexSummary::read, 1},
        {"delete",
         [&](Indexing &) { QFile::remove(a); },
         {},
         {{b, QStringLiteral("bravo")}},
         &IndexSummary::removed, 1},
        {"move",
         [&](Indexing &) {
             QDir().mkpath(QFileInfo(moved).path());
             QFile::rename(b, moved);
         },
         {},
         {{a, QStringLiteral("alpha")}, {moved, QStringLiteral("bravo")}},
         &IndexSummary::moved, 1},
        {"copy: the old path stays, so the copy is read",
         [&](Indexing &) {
             QDir().mkpath(QFileInfo(moved).path());
             QFile::copy(b, moved);
         },
         {moved},
         {{a, QStringLiteral("alpha")}, {b, QStringLiteral("bravo")}, {moved, QStringLiteral("bravo")}},
         &IndexSummary::read, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(root()).removeRecursively();
        SetUp();
        for (const IndexedLabel &l : store.labels())
            store.removeLabel(l.path);
        run();
        reader.asked.clear();
        c.change(*this);
        const IndexSummary summary = run();
        EXPECT_EQ(reader.asked, c.read);
        EXPECT_EQ(titles(), c.afterwards);
        EXPECT_EQ(summary.*c.counter, c.count);
    }
}

TEST_F(Indexing, KeepsTheLabelsOfAFolderThatCannotBeReachedAsNotSeen)
{
    run();
    const qint64 refreshed = store.folders()[0].refreshed;
    ASSERT_TRUE(QDir().rename(root(), dir.file(QStringLiteral("offline"))));
    const IndexSummary offline = run();
    EXPECT_EQ(offline.unreachable, QStringList{QDir::toNativeSeparators(root())});
    EXPECT_EQ(offline.removed, 0);
    EXPECT_EQ(titles(), (QMap<QString, QString>{{label(QStringLiteral("a.lbl")), QStringLiteral("alpha (not seen)")},
                                                {label(QStringLiteral("sub/b.lbl")), QStringLiteral("bravo (not seen)")}}));
    ASSERT_EQ(store.folders().size(), 1u);
    EXPECT_FALSE(store.folders()[0].reachable);
    EXPECT_EQ(store.folders()[0].refreshed, refreshed);

    ASSERT_TRUE(QDir().rename(dir.file(QStringLiteral("offline")), root()));
    reader.asked.clear();
    run();
    EXPECT_TRUE(reader.asked.isEmpty());
    EXPECT_EQ(titles().value(label(QStringLiteral("a.lbl"))), QStringLiteral("alpha"));
    EXPECT_TRUE(store.folders()[0].reachable);
}

TEST_F(Indexing, KeepsARefusalUntilTheFileChangesButReadsAFailureAgain)
{
    writeLabelFile(label(QStringLiteral("damaged.lbl")), "refuse");
    writeLabelFile(label(QStringLiteral("flaky.lbl")), "fail");
    const IndexSummary first = run();
    EXPECT_EQ(first.refused, 1);
    EXPECT_EQ(first.failed, 1);
    reader.asked.clear();
    run();
    EXPECT_EQ(reader.asked, QStringList{label(QStringLiteral("flaky.lbl"))});
    for (const IndexedLabel &l : store.labels()) {
        if (l.path.endsWith(QStringLiteral("damaged.lbl"))) {
            EXPECT_EQ(l.state, LabelState::Refused);
            EXPECT_EQ(l.error, QStringLiteral("Label file is damaged."));
        }
    }
}

TEST_F(Indexing, AStoppedRunKeepsWhatItFinishedAndRemovesNothing)
{
    run();
    QFile::remove(label(QStringLiteral("a.lbl")));
    writeLabelFile(label(QStringLiteral("c.lbl")), "charlie");
    writeLabelFile(label(QStringLiteral("d.lbl")), "delta");
    reader.asked.clear();
    IndexHooks hooks;
    hooks.stopRequested = [this] { return reader.asked.size() == 1; };
    const IndexSummary stopped = indexFolders(store, {root()}, reader.reader(), hooks);
    EXPECT_TRUE(stopped.stopped);
    EXPECT_EQ(stopped.read, 1);
    // a is still there: the run did not get to removing; d was not reached.
    EXPECT_EQ(titles().keys(), (QStringList{label(QStringLiteral("a.lbl")), label(QStringLiteral("c.lbl")),
                                            label(QStringLiteral("sub/b.lbl"))}));
    reader.asked.clear();
    run();
    EXPECT_EQ(reader.asked, QStringList{label(QStringLiteral("d.lbl"))}); // goes on where it stopped
    EXPECT_EQ(titles().size(), 3);
}

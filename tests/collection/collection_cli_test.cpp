// The collection commands end to end: the index of samples/collection and the
// answers from it, a fault in every designer call of a run, and runs killed
// at any moment.

#include "../cli/cli_fixture.h"

#include "collection/sqlite_store.h"

#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <csignal>

using namespace strovex;
using namespace strovex::test;

namespace {

class CollectionCli : public CliTest {
protected:
    void SetUp() override
    {
        copyTree(QStringLiteral(STROVEX_SAMPLES_DIR "/collection"), root());
        copyTree(QStringLiteral(STROVEX_SAMPLES_DIR "/pictures"), dir.file(QStringLiteral("pictures")));
    }
    QString root() const { return dir.file(QStringLiteral("labels")); }
    QString db() const { return dir.file(QStringLiteral("index.sqlite")); }
    CliResult cli(QStringList args)
    {
        args << QStringLiteral("--db") << db();
        return runCliCaptured(args);
    }
    // The answer with the test's folder and the times made fixed.
    QString fixed(QString text) const
    {
        text.replace(dir.path(), QStringLiteral("<dir>"));
        text.replace(QRegularExpression(QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d UTC")),
                     QStringLiteral("<time>"));
        return text;
    }
};

} // namespace

TEST_F(CollectionCli, IndexesTheSampleCollectionAndAnswersFromTheIndex)
{
    const CliResult index = cli({QStringLiteral("index"), root()});
    EXPECT_EQ(index.status, CliOk) << index.err.toStdString();
    EXPECT_EQ(index.out, QStringLiteral("4 labels found: 4 read (0 refused, 0 failed), 0 unchanged, 0 touched, 0 moved; "
                                        "0 removed.\n"));

    sim::resetCallCount();
    const CliResult again = cli({QStringLiteral("--designer"), QStringLiteral("none"), QStringLiteral("index"), root()});
    EXPECT_EQ(again.status, CliOk) << again.err.toStdString();
    EXPECT_EQ(again.out, QStringLiteral("4 labels found: 0 read (0 refused, 0 failed), 4 unchanged, 0 touched, 0 moved; "
                                        "0 removed.\n"));
    EXPECT_EQ(sim::callCount(), 0u);

    const CliResult printers = cli({QStringLiteral("where-used"), QStringLiteral("--printer"), QStringLiteral("*dock*")});
    EXPECT_EQ(printers.status, CliOk);
    EXPECT_EQ(fixed(printers.out), QStringLiteral("<dir>/labels/warehouse/inbound.lbl\n"
                             "  TT-4203 Dock 1\n"
                             "1 label.\n"
                             "Index \"<dir>/index.sqlite\": \"<dir>/labels\" refreshed <time>.\n"));

    const CliResult query = cli({QStringLiteral("query"), QStringLiteral("supplier")});
    EXPECT_EQ(query.status, CliOk);
    EXPECT_EQ(fixed(query.out), QStringLiteral("<dir>/labels/warehouse/inbound.lbl: Object name \"Supplier\": [Supplier]\n"
                             "<dir>/labels/warehouse/inbound.lbl: Object contents \"Supplier\": [Supplier]\n"
                             "<dir>/labels/warehouse/inbound.lbl: Variable name \"Supplier\": [Supplier]\n"
                             "3 hits.\n"
                             "Index \"<dir>/index.sqlite\": \"<dir>/labels\" refreshed <time>.\n"));

    const CliResult inventory = cli({QStringLiteral("inventory"), QStringLiteral("--csv")});
    EXPECT_EQ(inventory.status, CliOk);
    EXPECT_EQ(fixed(inventory.out), QStringLiteral(
                  "\"Path\",\"Title\",\"Size\",\"Printer\",\"Objects\",\"Variables\",\"Databases\",\"Functions\","
                  "\"Indexed\",\"State\"\r\n"
                  "\"<dir>/labels/retail/archive/2019/old_price.lbl\",\"Shelf label (2019 layout)\",\"6.00 x 4.00 cm\","
                  "\"Old Shelf Printer\",\"2\",\"1\",\"0\",\"0\",\"<time>\",\"read\"\r\n"
                  "\"<dir>/labels/retail/SHELF.LBL\",\"Shelf edge label\",\"6.00 x 4.00 cm\",\"Shelf Printer 2\",\"2\","
                  "\"2\",\"0\",\"1\",\"<time>\",\"read\"\r\n"
                  "\"<dir>/labels/warehouse/cold/freezer.lbl\",\"Freezer store -18 \u00b0C\",\"6.00 x 4.00 cm\","
                  "\"TT-4203 Cold Room\",\"3\",\"1\",\"0\",\"0\",\"<time>\",\"read\"\r\n"
                  "\"<dir>/labels/warehouse/inbound.lbl\",\"Inbound goods\",\"6.00 x 4.00 cm\",\"TT-4203 Dock 1\",\"3\","
                  "\"2\",\"0\",\"0\",\"<time>\",\"read\"\r\n"));

    const CliResult check = cli({QStringLiteral("check"), QStringLiteral("--ignore"),
                                 QStringLiteral("printer-not-installed"), QStringLiteral("--ignore"),
                                 QStringLiteral("font-not-installed")});
    EXPECT_EQ(fixed(check.out), QStringLiteral("<dir>/labels/retail/archive/2019/old_price.lbl: note [path-not-checked] Dependent file "
                             "\"C:\\Labels\\Pictures\\logo_2019.bmp\" is a Windows path: not checked.\n"
                             "0 errors, 0 warnings, 1 note in 4 labels.\n"
                             "Index \"<dir>/index.sqlite\": \"<dir>/labels\" refreshed <time>.\n"));
    EXPECT_EQ(check.status, CliOk);
}

// Every designer call of an index run failing once in turn: the run goes on,
// the failure is that label's error, and the next run heals it.
TEST_F(CollectionCli, AFailingDesignerCallBecomesTheLabelsErrorAndTheNextRunReadsItAgain)
{
    ASSERT_EQ(cli({QStringLiteral("index"), root()}).status, CliOk);
    // The time, and the unit word, whose reading is tolerant: a failure there leaves it empty.
    const auto inventory = [this] {
        return fixed(cli({QStringLiteral("inventory"), QStringLiteral("--csv")}).out)
            .remove(QRegularExpression(QStringLiteral("\"<time>\",")))
            .remove(QStringLiteral(" cm"));
    };
    const QString clean = inventory();
    ASSERT_TRUE(QFile::remove(db()));
    sim::resetCallCount();
    ASSERT_EQ(cli({QStringLiteral("index"), root()}).status, CliOk);
    const std::uint64_t calls = sim::callCount();
    ASSERT_GT(calls, 10u);

    for (std::uint64_t n = 1; n <= calls; ++n) {
        SCOPED_TRACE(n);
        QFile::remove(db());
        sim::Knobs knobs;
        knobs.failCall = n;
        sim::setKnobs(knobs);
        sim::resetCallCount();
        const CliResult faulty = cli({QStringLiteral("index"), root()});
        sim::setKnobs({});
        // A refused connection ends the run (3); any other failure is one label's (1), or
        // none where the reading is tolerant and leaves a text empty.
        ASSERT_TRUE(faulty.status == CliOk || faulty.status == CliFileErrors || faulty.status == CliNoDesigner)
            << faulty.status;
        if (faulty.status == CliFileErrors) {
            EXPECT_TRUE(faulty.out.contains(QStringLiteral("1 failed"))) << faulty.out.toStdString();
        }
        const CliResult healed = cli({QStringLiteral("index"), root()});
        EXPECT_EQ(healed.status, CliOk) << healed.out.toStdString();
        EXPECT_EQ(inventory(), clean);
    }
}

#ifndef _WIN32 // SIGKILL: POSIX only
// A run killed at any moment leaves an index that opens and holds every label
// it finished, whole; the next run completes it.
TEST_F(CollectionCli, ARunKilledAtAnyMomentKeepsEveryFinishedLabel)
{
    constexpr int kLabels = 12;
    const QString many = dir.file(QStringLiteral("many"));
    QDir().mkpath(many);
    for (int i = 0; i < kLabels; ++i)
        dir.copy(samplePath(QStringLiteral("shipping_sscc.lbl")), QStringLiteral("many/label%1.lbl").arg(i));
    ASSERT_EQ(cli({QStringLiteral("index"), many}).status, CliOk);
    std::vector<IndexedLabel> clean = SqliteStore(db(), SqliteStore::Mode::Read).labels();
    ASSERT_EQ(clean.size(), std::size_t(kLabels));

    for (const int delayMs : {0, 20, 60, 150, 300, 600}) {
        SCOPED_TRACE(delayMs);
        QFile::remove(db());
        QFile::remove(db() + QStringLiteral("-wal"));
        QFile::remove(db() + QStringLiteral("-shm"));
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("STROVEX_DESIGNER"), QString());
        environment.insert(QStringLiteral("STROVEX_SIM_LATENCY_US"), QStringLiteral("300"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(STROVEX_CLI_PATH), {QStringLiteral("index"), many, QStringLiteral("--db"), db()});
        ASSERT_TRUE(process.waitForStarted());
        QThread::msleep(delayMs);
        ::kill(pid_t(process.processId()), SIGKILL);
        process.waitForFinished(60000);

        std::vector<IndexedLabel> kept;
        try {
            kept = SqliteStore(db(), SqliteStore::Mode::Read).labels();
        } catch (const CollectionError &e) {
            // Killed before the schema was in: there is no index, or an empty one.
            EXPECT_TRUE(e.message().contains(QStringLiteral("is empty")) || !QFile::exists(db()))
                << e.message().toStdString();
        }
        {
            for (const IndexedLabel &label : kept) {
                const auto same = std::find_if(clean.begin(), clean.end(),
                                               [&](const IndexedLabel &c) { return c.path == label.path; });
                ASSERT_NE(same, clean.end());
                EXPECT_EQ(label.contents, same->contents) << label.path.toStdString();
                EXPECT_EQ(label.sha256, same->sha256);
            }
        }
        EXPECT_EQ(cli({QStringLiteral("index"), many}).status, CliOk);
        EXPECT_EQ(SqliteStore(db(), SqliteStore::Mode::Read).labels().size(), std::size_t(kLabels));
    }
}
#endif

TEST_F(CollectionCli, ABadIndexIsNamedAndLeftAsItWas)
{
    const QByteArray note = "not an index\n";
    dir.write(QStringLiteral("index.sqlite"), note);
    for (const QStringList &args : {QStringList{QStringLiteral("index"), root()},
                                    QStringList{QStringLiteral("where-used"), QStringLiteral("--font"), QStringLiteral("*")},
                                    QStringList{QStringLiteral("check")}}) {
        SCOPED_TRACE(args.first().toStdString());
        const CliResult result = cli(args);
        EXPECT_EQ(result.status, CliUsage);
        EXPECT_TRUE(result.err.startsWith(QStringLiteral("The index \"%1\" is damaged or not an index").arg(db())))
            << result.err.toStdString();
        EXPECT_EQ(readAll(db()), note);
    }
}

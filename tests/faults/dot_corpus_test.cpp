// The graph writer's fuzz corpus replayed: every input becomes a label, its
// DOT graph must pass the grammar check the fuzz target uses and be read by
// Graphviz itself (where it is installed for the platform built for).

#include "dot_grammar.h"
#include "graph_input.h"
#include "output/graphs.h"
#include "platform/files.h"
#include "sim/sim_designer.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

using namespace strovex;

TEST(DotCorpus, EveryGraphIsReadByGraphviz)
{
    const QString dot = QStringLiteral(STROVEX_DOT_PROGRAM);
    const bool haveDot = !dot.isEmpty() && !dot.endsWith(QStringLiteral("NOTFOUND"));
    const QDir corpus(QStringLiteral(STROVEX_FUZZ_CORPUS_DIR "/dot_graph"));
    const QStringList inputs = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(inputs.isEmpty());

    test::TempDir dir;
    const QuillApp app{sim::createApplication()};
    for (const QString &input : inputs) {
        QFile file(corpus.filePath(input));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const QStringList names = fuzz::graphNames(bytes.constData(), std::size_t(bytes.size()));
        const QString label = dir.file(fuzz::fileBaseFrom(names.front()) + QStringLiteral(".lbl"));
        writeFileAtomically(label, fuzz::graphDocument(names));
        const IQuillmark opened = app.OpenLabel(label);
        ASSERT_FALSE(opened.isNull()) << qPrintable(input);
        const QString graph = dir.file(QStringLiteral("graph.dot"));
        WriteDotGraph(LabelHandles::fromLabel(opened), graph);
        QFile::remove(label);

        QFile written(graph);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        const QByteArray text = written.readAll();
        EXPECT_EQ(dotcheck::checkDot(std::string_view(text.constData(), std::size_t(text.size()))), std::string())
            << qPrintable(input);

        if (!haveDot)
            continue;
        QProcess process;
        process.start(dot, {QStringLiteral("-Tcanon"), graph});
        ASSERT_TRUE(process.waitForFinished(30000)) << qPrintable(input);
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << qPrintable(input);
        EXPECT_EQ(process.exitCode(), 0) << qPrintable(input) << ": " << process.readAllStandardError().constData();
    }
    if (!haveDot)
        GTEST_SKIP() << "Graphviz (dot) is not installed: only the grammar check ran";
}

// Each writer reads each member of each designer object at most once: with a
// designer in another process every read is a round trip.

#include "output/command_files.h"
#include "output/graphs.h"
#include "output/label_handles.h"

#include "label_fixture.h"
#include "support/keyed_calls.h"

#include <gtest/gtest.h>

#include <functional>

using namespace strovex;
using namespace strovex::test;

TEST(DesignerReads, EachWriterReadsEachMemberOnce)
{
    const struct {
        const char *name;
        std::function<QStringList(const LabelHandles &)> build;
    } writers[] = {
        {"JOB", BuildJobFile},        {"XML", BuildXmlCommandFile}, {"CSV", BuildCsvCommandFile},
        {"DAT", BuildDataFile},       {"DOT", BuildDotGraph},       {"DGML", BuildDgmlGraph},
    };
    const QString labels[] = {
        fixturePath(QStringLiteral("shipping.lbl")),
        fixturePath(QStringLiteral("records.lbl")),
        QStringLiteral(STROVEX_SAMPLES_DIR "/database_scripts.lbl"),
    };
    auto calls = std::make_shared<KeyedCalls>();
    const QuillApp app(keyedCalls(sim::createApplication(), calls));
    for (const QString &path : labels) {
        const IQuillmark label = app.OpenLabel(path);
        ASSERT_FALSE(label.isNull()) << path.toStdString();
        const LabelHandles view = LabelHandles::fromLabel(label);
        for (const auto &writer : writers) {
            SCOPED_TRACE(path.toStdString() + " " + writer.name);
            calls->reset();
            EXPECT_FALSE(writer.build(view).isEmpty());
            EXPECT_GT(calls->total, 0);
            for (const std::string &name : calls->repeated())
                ADD_FAILURE() << "read again: " << name;
        }
    }
}

// DOT output: MakeDotIdentifier and the ID writer on any name, and whole
// graphs of labels whose variables, objects, functions and databases carry
// any names. Every output must be one well-formed graph, and the DGML made
// from the same label well-formed XML.
#include "dot_grammar.h"
#include "fuzz_check.h"
#include "graph_input.h"
#include "output/graphs.h"
#include "output/text_encodings.h"
#include "platform/files.h"
#include "sim/sim_designer.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

#include <unistd.h>

using namespace strovex;
using namespace strovex::fuzz;

namespace {

void requireDot(const QByteArray &dot, const char *what, const QString &detail)
{
    const std::string error = dotcheck::checkDot(std::string_view(dot.constData(), std::size_t(dot.size())));
    if (!error.empty())
        fail(what, detail + QStringLiteral("\n") + QString::fromStdString(error) + QStringLiteral("\n")
                       + QString::fromUtf8(dot));
}

// A folder of this process, removed when it exits normally (a crash leaves it as evidence).
struct WorkFolder {
    QString path = QDir::tempPath() + QStringLiteral("/strovex-fuzz-dot-") + QString::number(getpid());
    WorkFolder() { QDir().mkpath(path); }
    ~WorkFolder() { QDir(path).removeRecursively(); }
};

const QString &workFolder()
{
    static const WorkFolder folder;
    return folder.path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const char *data, std::size_t size)
{
    const QStringList names = graphNames(data, size);

    for (const QString &name : names) {
        const QString material = MakeDotIdentifier(name);
        for (const char16_t gone : {u' ', u'-', u'/', u'\\', u'.', u'&', u'Č', u'č', u'Š', u'š', u'Ž', u'ž', u'Đ', u'đ'})
            require(!material.contains(QChar(gone)), "MakeDotIdentifier removes or replaces", units(name));
        for (const QString &id : {dotId(material), dotId(QStringLiteral("var") + material), dotId(name)}) {
            if (!id.isEmpty())
                requireDot(QByteArray("digraph{") + id.toUtf8() + " -> n;}", "an ID is one DOT ID", units(name));
        }
    }
    if (names.size() > 40)
        return 0; // keeps each run short; the names above were checked

    static const QuillApp app{sim::createApplication()};
    const QString path = workFolder() + QLatin1Char('/') + fileBaseFrom(names.front()) + QStringLiteral(".lbl");
    writeFileAtomically(path, graphDocument(names));
    {
        const IQuillmark label = app.OpenLabel(path);
        require(!label.isNull(), "the document opens", app.LastErrorText());
        const LabelHandles handles = LabelHandles::fromLabel(label);
        requireDot(utf8Lines(BuildDotGraph(handles)), "the DOT graph is well-formed", units(names.join(u'|')));

        QXmlStreamReader reader(utf16LeWithBom(BuildDgmlGraph(handles)));
        while (!reader.atEnd())
            reader.readNext();
        require(!reader.hasError(), "the DGML graph is well-formed", reader.errorString());
    }
    QFile::remove(path);
    return 0;
}

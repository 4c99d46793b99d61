// The simulated designer's document loader and every member over what it
// loaded: a bad document is "Cannot open label file", never a crash; a label
// that opens can be walked, written out by every generator, previewed and
// saved, with the designer refusing only through AutomationError.
#include "dot_grammar.h"
#include "fuzz_check.h"
#include "output/command_files.h"
#include "output/graphs.h"
#include "output/text_encodings.h"
#include "platform/files.h"
#include "sim/sim_designer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamReader>

#include <unistd.h>

using namespace strovex;
using namespace strovex::fuzz;

namespace {

// A folder of this process, removed when it exits normally (a crash leaves it as evidence).
struct WorkFolder {
    QString path = QDir::tempPath() + QStringLiteral("/strovex-fuzz-doc-") + QString::number(getpid());
    WorkFolder()
    {
        QDir().mkpath(path + QStringLiteral("/pictures"));
        // A picture a document may name, so SetFileName and the preview find one.
        QFile picture(path + QStringLiteral("/pictures/logo.bmp"));
        if (picture.open(QIODevice::WriteOnly))
            picture.write("BM");
    }
    ~WorkFolder() { QDir(path).removeRecursively(); }
};

const QString &workFolder()
{
    static const WorkFolder folder;
    return folder.path;
}

// Runs one designer read; a refusal is the designer's answer, anything else escapes.
template<class Read>
void tolerate(Read read)
{
    try {
        read();
    } catch (const AutomationError &) {
    }
}

void walkVariables(const IVariableList &list)
{
    tolerate([&] {
        const int count = list.Count();
        for (int i = 0; i <= count + 1 && i < 50; ++i) {
            tolerate([&] {
                const IVar v = list.Item(i);
                if (v.isNull())
                    return;
                tolerate([&] { (void)v.ID(); (void)v.Name(); (void)v.Kind(); (void)v.Length(); });
                tolerate([&] { (void)v.InputFormat(); (void)v.DefaultValue(); (void)v.PromptMode(); });
                tolerate([&] { (void)v.IsUsed(); (void)v.PromptOrder(); (void)v.Marked(); });
                tolerate([&] { (void)list.FindByName(v.Name()); });
                tolerate([&] { v.SetLength(v.Length() + 1); });
            });
        }
    });
}

void walk(const IQuillmark &label)
{
    tolerate([&] { (void)label.FileName(); (void)label.PrinterName(); (void)label.PrinterPort(); });
    tolerate([&] { (void)label.Version(); (void)label.HorizontalResolution(); (void)label.VerticalResolution(); });
    tolerate([&] { (void)label.VariableMode(); (void)label.OriginalPrinter(); (void)label.FormName(); });
    tolerate([&] { (void)label.GetDependentFiles(); });
    tolerate([&] { (void)label.GetPrinterSetting(QStringLiteral("PRINTSPEED")); });
    tolerate([&] { (void)label.GetSpeedUnit(label.PrinterName()); });
    tolerate([&] { (void)label.GetDarknessValues(label.PrinterName()); });
    tolerate([&] {
        const ILabelSettings s = label.Settings();
        tolerate([&] { (void)s.Title(); (void)s.Unit(); (void)s.Width(); });
        tolerate([&] { (void)s.Length(); (void)s.ColumnOffset(); (void)s.RowOffset(); });
    });
    tolerate([&] { walkVariables(label.Variables()); });
    tolerate([&] { walkVariables(label.OtherVariables()); });
    tolerate([&] {
        const IObjectList objects = label.Objects();
        const int count = objects.Count();
        for (int i = 1; i <= count && i < 50; ++i) {
            tolerate([&] {
                const IObjectItem o = objects.Item(i);
                if (o.isNull())
                    return;
                tolerate([&] { (void)o.Left(); (void)o.Top(); (void)o.Name(); (void)o.Kind(); (void)o.Status(); });
                tolerate([&] { (void)o.Locked(); (void)o.Contents(); (void)o.FontName(); (void)o.FontSize(); });
                tolerate([&] { (void)o.Italic(); (void)o.Bold(); (void)o.Underline(); (void)o.Strikeout(); });
                tolerate([&] { (void)o.Variable().Name(); });
                tolerate([&] { (void)o.SetFileName(QStringLiteral("pictures/logo.bmp")); });
            });
        }
    });
    tolerate([&] {
        const IFunctionList functions = label.Functions();
        const int count = functions.Count();
        for (int i = 1; i <= count && i < 50; ++i) {
            tolerate([&] {
                const IFunctionItem f = functions.Item(i);
                if (f.isNull())
                    return;
                tolerate([&] { (void)f.Name(); (void)f.Description(); (void)f.Kind(); (void)f.IsUsed(); });
                tolerate([&] { (void)f.Script(); (void)f.KindName(); });
                tolerate([&] { walkVariables(f.InputVariables()); });
                tolerate([&] { walkVariables(f.OutputVariables()); });
            });
        }
    });
    tolerate([&] {
        const IDatabaseList databases = label.Databases();
        const int count = databases.Count();
        for (int i = 1; i <= count && i < 50; ++i) {
            tolerate([&] {
                const IDatabaseItem d = databases.Item(i);
                if (d.isNull())
                    return;
                tolerate([&] { (void)d.Name(); (void)d.Description(); (void)d.IsUsed(); (void)d.DriverType(); });
                tolerate([&] { (void)d.TableName(); (void)d.OrderField(); (void)d.Navigation(); (void)d.SQL(); });
                tolerate([&] { (void)d.ConnectionString(); });
                tolerate([&] { walkVariables(d.InputVariables()); });
                tolerate([&] { walkVariables(d.OutputVariables()); });
            });
        }
    });
}

void generate(const IQuillmark &label)
{
    tolerate([&] {
        const LabelHandles handles = LabelHandles::fromLabel(label);
        tolerate([&] { (void)BuildJobFile(handles); });
        tolerate([&] { (void)BuildCsvCommandFile(handles); });
        tolerate([&] { (void)BuildDataFile(handles); });
        tolerate([&] {
            QStringList lines;
            try {
                lines = BuildXmlCommandFile(handles);
            } catch (const FileError &) {
                return; // a character XML cannot carry: refused, nothing to read
            }
            QXmlStreamReader reader(utf16LeWithBom(lines));
            while (!reader.atEnd())
                reader.readNext();
            require(!reader.hasError(), "the XML command file is well-formed", reader.errorString());
        });
        tolerate([&] {
            QXmlStreamReader reader(utf16LeWithBom(BuildDgmlGraph(handles)));
            while (!reader.atEnd())
                reader.readNext();
            require(!reader.hasError(), "the DGML graph is well-formed", reader.errorString());
        });
        tolerate([&] {
            const QByteArray dot = utf8Lines(BuildDotGraph(handles));
            const std::string error = dotcheck::checkDot(std::string_view(dot.constData(), std::size_t(dot.size())));
            require(error.empty(), "the DOT graph is well-formed", QString::fromStdString(error) + QLatin1Char('\n') + QString::fromUtf8(dot));
        });
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const char *data, std::size_t size)
{
    static const QuillApp app{sim::createApplication()};
    const QString path = workFolder() + QStringLiteral("/doc.lbl");
    const QString preview = workFolder() + QStringLiteral("/preview.bmp");
    writeFileAtomically(path, QByteArray(data, qsizetype(size)));
    // A document may declare that opening it fails, with texts of its own.
    const QJsonObject faults = QJsonDocument::fromJson(QByteArray(data, qsizetype(size))).object()
                                   .value(QStringLiteral("Faults")).toObject();
    const bool openFault = faults.contains(QStringLiteral("OpenLabel"));
    {
        IQuillmark label;
        try {
            label = app.OpenLabel(path);
        } catch (const AutomationError &) {
            require(openFault, "opening raises only when the document says so");
            return 0;
        }
        if (label.isNull()) {
            require(openFault || app.ErrorText() == QStringLiteral("Cannot open label file"),
                    "a refused document says so", app.ErrorText());
            return 0;
        }
        walk(label);
        generate(label);
        tolerate([&] {
            QFile::remove(preview);
            label.ExportPreview(preview, 61, 37);
            if (QFileInfo::exists(preview))
                require(QFileInfo(preview).size() == 54 + 37 * ((61 * 3 + 3) & ~3), "the preview has the size asked for");
        });
        // What was saved opens again.
        bool saved = false;
        tolerate([&] { saved = label.Save(); });
        if (saved)
            require(!app.OpenLabel(path).isNull(), "a saved label opens again", app.LastErrorText());
    }
    require(sim::liveLabels() == 0, "no label is left alive");
    return 0;
}

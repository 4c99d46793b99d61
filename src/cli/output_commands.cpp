// The commands that write one file from one label: the variables export,
// command files, graphs and the preview picture. Each goes through the writer
// the app uses.

#include "cli/cli_internal.h"
#include "inspect/label_rows.h"
#include "inspect/variables_export.h"
#include "output/command_files.h"
#include "output/graphs.h"
#include "output/label_handles.h"
#include "platform/files.h"
#include "platform/platform_info.h"
#include "tools/find_files.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace strovex::cli {
namespace {

constexpr int kDefaultPreviewWidth = 800;
constexpr int kDefaultPreviewHeight = 600;

// Removes the designer's temporary picture on every way out.
struct FileRemover {
    QString path;
    ~FileRemover() { QFile::remove(path); }
};

int columnByTitle(const GridModel &grid, const QString &title)
{
    for (int column = 0; column < int(grid.columns().size()); ++column) {
        if (grid.columns()[std::size_t(column)].title.compare(title, Qt::CaseInsensitive) == 0)
            return column;
    }
    QStringList titles;
    for (const GridModel::ColumnInfo &info : grid.columns())
        titles << info.title;
    throw UsageError{QStringLiteral("There is no column \"%1\"; the columns are %2.")
                         .arg(title, titles.join(QStringLiteral(", ")))};
}

// Pixel sizes the designer can draw: positive whole numbers.
std::pair<int, int> previewSize(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,6})x([0-9]{1,6})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    const int width = match.hasMatch() ? match.captured(1).toInt() : 0;
    const int height = match.hasMatch() ? match.captured(2).toInt() : 0;
    if (width <= 0 || height <= 0)
        throw UsageError{QStringLiteral("--size must be WIDTHxHEIGHT: two whole numbers of pixels from 1 to 999999, "
                                        "such as 800x600; \"%1\" is not.")
                             .arg(text)};
    return {width, height};
}

} // namespace

int exportVariablesCommand(Context &context, const ParsedArgs &args)
{
    const QStringList values = requirePositional(args, 2, QStringLiteral("LABEL and OUT"));
    refuseLabelAsOutput({values[0]}, values[1]);
    const auto model = createVariableGridModel();
    const int column = args.has(QStringLiteral("sort")) ? columnByTitle(*model, args.value(QStringLiteral("sort")))
                                                         : model->sortColumn();
    const Qt::SortOrder order = args.has(QStringLiteral("descending")) ? Qt::DescendingOrder : Qt::AscendingOrder;

    const IQuillmark label = context.openLabel(values[0]);
    if (!label)
        return CliFileErrors;
    std::vector<TVariableRow> rows;
    FillVariableRows(label.Variables(), label.OtherVariables(), rows);
    model->setRows(std::move(rows));
    model->sort(column, order);
    ExportVariables(values[1], model->rowsInDisplayOrder());
    return CliOk;
}

int commandFileCommand(Context &context, const ParsedArgs &args)
{
    const QStringList values = requirePositional(args, 2, QStringLiteral("LABEL and OUT"));
    refuseLabelAsOutput({values[0]}, values[1]);
    const IQuillmark label = context.openLabel(values[0]);
    if (!label)
        return CliFileErrors;
    WriteCommandFile(LabelHandles::fromLabel(label, values[0]), values[1]);
    return CliOk;
}

int graphCommand(Context &context, const ParsedArgs &args)
{
    const QStringList values = requirePositional(args, 2, QStringLiteral("LABEL and OUT"));
    refuseLabelAsOutput({values[0]}, values[1]);
    const IQuillmark label = context.openLabel(values[0]);
    if (!label)
        return CliFileErrors;
    const LabelHandles handles = LabelHandles::fromLabel(label, values[0]);
    if (IsDotGraphPath(values[1]))
        WriteDotGraph(handles, values[1]);
    else
        WriteDgmlGraph(handles, values[1]);
    return CliOk;
}

int previewCommand(Context &context, const ParsedArgs &args)
{
    const QStringList values = requirePositional(args, 2, QStringLiteral("LABEL and OUT"));
    refuseLabelAsOutput({values[0]}, values[1]);
    const auto [width, height] = args.has(QStringLiteral("size")) ? previewSize(args.value(QStringLiteral("size")))
                                                                  : std::pair{kDefaultPreviewWidth, kDefaultPreviewHeight};
    const IQuillmark label = context.openLabel(values[0]);
    if (!label)
        return CliFileErrors;
    // The designer draws into a fresh temporary file, as for the view's preview;
    // OUT is then written in one go, so a refused picture leaves OUT as it was.
    const FileRemover temp{uniqueTempFileName(QStringLiteral("Img"), QStringLiteral(".bmp"))};
    label.ExportPreview(temp.path, width, height);
    QFile picture(temp.path);
    if (!picture.exists()) {
        context.message(QStringLiteral("The designer drew no preview picture of \"%1\".\r\n\r\n").arg(values[0])
                        + context.designer().LastErrorText());
        return CliFileErrors;
    }
    if (!picture.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("The preview picture cannot be read. %1").arg(picture.errorString()));
    writeFileAtomically(values[1], picture.readAll());
    return CliOk;
}

int findCommand(Context &context, const ParsedArgs &args)
{
    const QString folder = requirePositional(args, 1, QStringLiteral("one FOLDER"))[0];
    if (!QFileInfo(folder).isDir())
        throw UsageError{QStringLiteral("\"%1\" is not a folder.").arg(folder)};
    QStringList files;
    QStringList skipped;
    FindFilesOptions options;
    options.skipped = [&skipped](const QString &path) { skipped << SkippedNameLine(path); };
    FindFiles(args.value(QStringLiteral("mask"), QStringLiteral("*.lbl")), folder, options, files);
    for (const QString &file : files)
        context.out << oneLine(file) << '\n';
    context.out.flush();
    for (const QString &line : skipped)
        context.message(line);
    return skipped.isEmpty() ? CliOk : CliFileErrors;
}

} // namespace strovex::cli

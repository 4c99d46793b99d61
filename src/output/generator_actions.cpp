#include "output/generator_actions.h"

#include "output/command_files.h"
#include "output/graphs.h"
#include "platform/launcher.h"
#include "platform/paths.h"
#include "ui/save_dialog.h"

#include <QFileDialog>

namespace strovex {

QString runSaveDialog(QWidget *parent, const SaveDialogRequest &request)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(request.filters);
    addSuffixOfSelectedType(dialog, request.defaultSuffix);
    if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

SaveDialogRequest commandFileDialogRequest(const QString &lastChosenName)
{
    return {{QStringLiteral("Quillmark Job File (*.job)"),
             QStringLiteral("Quillmark XML Command File (*.xml)"),
             QStringLiteral("Quillmark CSV Command File (*.csv)")},
            QStringLiteral("job"),
            lastChosenName};
}

SaveDialogRequest graphDialogRequest(const QString &labelFileName)
{
    return {{QStringLiteral("Dot File (*.dot)"),
             QStringLiteral("Directed Graph Markup Language File (*.dgml)")},
            QStringLiteral("dgml"),
            fileBaseName(labelFileName) + QStringLiteral(".dot")};
}

void actToolsCreateJobFileExecute(QWidget *parent, const LabelHandles &view, QString &lastChosenName,
                                  const SaveDialogRunner &dialog)
{
    const QString path = dialog(parent, commandFileDialogRequest(lastChosenName));
    if (path.isEmpty())
        return;
    lastChosenName = path;
    WriteCommandFile(view, path);
    launcher().openInTextEditor(path);
}

void actToolsCreateGraphExecute(QWidget *parent, const LabelHandles &view, const QString &labelFileName,
                                const SaveDialogRunner &dialog)
{
    const QString path = dialog(parent, graphDialogRequest(labelFileName));
    if (path.isEmpty())
        return;
    if (IsDotGraphPath(path))
        WriteDotGraph(view, path);
    else
        WriteDgmlGraph(view, path);
    launcher().openWithAssociatedProgram(path);
}

} // namespace strovex

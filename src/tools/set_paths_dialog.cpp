#include "tools/set_paths_dialog.h"

#include "tools/batch_runs.h"

#include <QLineEdit>

namespace strovex {

TfrmSetPaths::TfrmSetPaths(QWidget *parent, const QuillApp &connection)
    : TBatchDialog(parent, connection,
                   {QStringLiteral("Set Paths"), QStringLiteral("btnSet"), QStringLiteral("Set"), QSize(456, 466),
                    QStringLiteral("Add label files for which you would like to set paths"),
                    QStringLiteral("Add label files for which you would like to set paths from a folder and all its "
                                   "subfolders")})
{
    edtOldPath = addPathRow(QStringLiteral("&Old path:"), QStringLiteral("edtOldPath"), QStringLiteral("sbBrowseOldPath"));
    edtNewPath = addPathRow(QStringLiteral("&New path:"), QStringLiteral("edtNewPath"), QStringLiteral("sbBrowseNewPath"));
    offerJournal();
}

void TfrmSetPaths::runClicked()
{
    runSetPaths(files(), connection(), edtOldPath->text(), edtNewPath->text(), report(),
                changingRunHooks(QStringLiteral("set-paths"), QStringList{edtOldPath->text(), edtNewPath->text()} + files()));
}

} // namespace strovex

#include "tools/get_scripts_dialog.h"

#include "tools/extract_scripts.h"
#include "ui/error_boundary.h"

#include <QLineEdit>

namespace strovex {

TfrmGetScripts::TfrmGetScripts(QWidget *parent, const QuillApp &connection)
    : TBatchDialog(parent, connection,
                   {QStringLiteral("Extract Scripts"), QStringLiteral("btnGetScripts"), QStringLiteral("Get scripts"),
                    QSize(467, 434), QString(),
                    QStringLiteral("Add label files for which you would like to get VB scripts from a folder and all "
                                   "its subfolders")})
{
    edtPath = addPathRow(QStringLiteral("&Destination path:"), QStringLiteral("edtPath"), QStringLiteral("SpeedButton1"));
}

void TfrmGetScripts::runClicked()
{
    BusyCursor busy;
    runExtractScripts(files(), connection(), edtPath->text(), report(), runHooks());
}

} // namespace strovex

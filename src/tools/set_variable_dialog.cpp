#include "tools/set_variable_dialog.h"

#include "tools/batch_runs.h"

#include <QLineEdit>
#include <QPushButton>

namespace strovex {

TfrmSetVariable::TfrmSetVariable(QWidget *parent, const QuillApp &connection)
    : TBatchDialog(parent, connection,
                   {QStringLiteral("Set Variable"), QStringLiteral("btnSet"), QStringLiteral("Set"), QSize(490, 520),
                    QString(), QString()})
{
    edtVariable = new QLineEdit(this);
    edtVariable->setObjectName(QStringLiteral("edtVariable"));
    addParameterRow(QStringLiteral("&Variable name:"), edtVariable);
    edtNewLength = new QLineEdit(this);
    edtNewLength->setObjectName(QStringLiteral("edtNewLength"));
    addParameterRow(QStringLiteral("&New length:"), edtNewLength);
    offerJournal();
}

void TfrmSetVariable::runClicked()
{
    const std::optional<SetVariableRequest> request = setVariableRequest(edtVariable->text(), edtNewLength->text());
    if (!request)
        return;
    // Files must be added again before the next run, also after a run that failed.
    keepRunButtonOffAfterRun();
    runSetVariableLength(files(), connection(), *request, report(),
                         changingRunHooks(QStringLiteral("set-variable-length"),
                                          QStringList{edtVariable->text(), edtNewLength->text()} + files()));
}

} // namespace strovex

#include "tools/set_printer_dialog.h"

#include "platform/printers.h"
#include "tools/batch_runs.h"

#include <QComboBox>
#include <QShowEvent>

namespace strovex {

TfrmSetPrinter::TfrmSetPrinter(QWidget *parent, const QuillApp &connection)
    : TBatchDialog(parent, connection,
                   {QStringLiteral("Set Printer"), QStringLiteral("btnSet"), QStringLiteral("Set"), QSize(495, 473),
                    QStringLiteral("Add label files for which you would like to set printer"),
                    QStringLiteral("Add label files for which you would like to set printer from a folder and all its "
                                   "subfolders")})
{
    cmbPrinters = new QComboBox(this);
    cmbPrinters->setObjectName(QStringLiteral("cmbPrinters"));
    cmbPrinters->setEditable(true);
    // Typed names are used as typed, never added to the list.
    cmbPrinters->setInsertPolicy(QComboBox::NoInsert);
    // No inline completion either: it would turn a prefix of a listed name, or
    // the name in other letter case, into the listed name.
    cmbPrinters->setCompleter(nullptr);
    addParameterRow(QStringLiteral("&Printer:"), cmbPrinters);
    offerJournal();
}

void TfrmSetPrinter::showEvent(QShowEvent *event)
{
    TBatchDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
        cmbPrinters->setFocus(); // the printer is what the user came to type
    }
}

void TfrmSetPrinter::FormShow()
{
    // A sorted list orders and de-duplicates without regard to letter case.
    QStringList names = printers().installed();
    names.sort(Qt::CaseInsensitive);
    QStringList unique;
    for (const QString &name : names) {
        if (unique.isEmpty() || unique.last().compare(name, Qt::CaseInsensitive) != 0)
            unique << name;
    }
    cmbPrinters->clear();
    cmbPrinters->addItems(unique);
    const int current = cmbPrinters->findText(printers().defaultPrinter(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (current >= 0)
        cmbPrinters->setCurrentIndex(current);
    else if (!unique.isEmpty())
        cmbPrinters->setCurrentIndex(0);
    else
        cmbPrinters->setEditText(QString());
}

void TfrmSetPrinter::runClicked()
{
    runSetPrinter(files(), connection(), cmbPrinters->currentText(), report(),
                changingRunHooks(QStringLiteral("set-printer"), QStringList{cmbPrinters->currentText()} + files()));
}

} // namespace strovex

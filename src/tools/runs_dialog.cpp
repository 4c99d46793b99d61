#include "tools/runs_dialog.h"

#include "journal/runs_list.h"
#include "journal/undo.h"
#include "ui/error_boundary.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace strovex {

TfrmRuns::TfrmRuns(QWidget *parent, const QString &root) : QDialog(parent), root_(root)
{
    setWindowTitle(QStringLiteral("Runs"));
    resize(720, 480);
    auto *layout = new QVBoxLayout(this);
    tvRuns = new QTreeWidget(this);
    tvRuns->setObjectName(QStringLiteral("tvRuns"));
    tvRuns->setRootIsDecorated(false);
    tvRuns->setHeaderLabels({QStringLiteral("Run"), QStringLiteral("Time (UTC)"), QStringLiteral("Command"),
                             QStringLiteral("Labels"), QStringLiteral("Size"), QString()});
    layout->addWidget(tvRuns, 2);
    lblSpace = new QLabel(this);
    lblSpace->setObjectName(QStringLiteral("lblSpace"));
    layout->addWidget(lblSpace);
    memUndoReport = new QPlainTextEdit(this);
    memUndoReport->setObjectName(QStringLiteral("memUndoReport"));
    memUndoReport->setReadOnly(true);
    memUndoReport->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(memUndoReport, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    fill();
}

void TfrmRuns::fill()
{
    tvRuns->clear();
    const std::vector<RunSummary> runs = listRuns(root_);
    qint64 total = 0;
    for (const RunSummary &run : runs) {
        total += run.bytes;
        const QString command = run.problem.isEmpty() ? run.command : QStringLiteral("(manifest damaged)");
        auto *item = new QTreeWidgetItem(tvRuns, {run.id, run.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                                  command, QString::number(run.labels), sizeText(run.bytes)});
        item->setToolTip(2, run.problem.isEmpty() ? run.arguments.join(QLatin1Char(' ')) : run.problem);
        auto *undo = new QPushButton(QStringLiteral("Undo"), tvRuns);
        undo->setObjectName(QStringLiteral("btnUndo"));
        undo->setEnabled(run.problem.isEmpty() && run.labels > 0);
        const QString id = run.id;
        connect(undo, &QPushButton::clicked, this, [this, id] { runGuarded(this, [this, id] { this->undo(id); }); });
        tvRuns->setItemWidget(item, 5, undo);
    }
    for (int column = 0; column < 5; ++column)
        tvRuns->resizeColumnToContents(column);
    lblSpace->setText(QStringLiteral("Space taken: %1 in %2 run%3.")
                          .arg(sizeText(total))
                          .arg(runs.size())
                          .arg(runs.size() == 1 ? QString() : QStringLiteral("s")));
}

void TfrmRuns::undo(const QString &id)
{
    UndoResult result;
    {
        BusyCursor busy;
        result = undoRun(root_, id, {});
    }
    QStringList lines = result.lines;
    lines << restoredLine(result);
    if (!result.journalId.isEmpty())
        lines << QStringLiteral("What the undo replaced is kept in run %1.").arg(result.journalId);
    memUndoReport->setPlainText(lines.join(QLatin1Char('\n')));
    fill();
}

} // namespace strovex

#pragma once
// Tools > "Runs...": the runs kept in the journal, the space they take, and
// Undo per run. Everything it shows and does comes from the journal core.

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QTreeWidget;

namespace strovex {

class TfrmRuns : public QDialog {
    Q_OBJECT
public:
    // `root` is the journal folder (journalFolder() in the app).
    TfrmRuns(QWidget *parent, const QString &root);

    // Undoes the run `id` and shows what happened; the list is read again.
    void undo(const QString &id);

private:
    void fill();

    QString root_;
    QTreeWidget *tvRuns = nullptr;
    QLabel *lblSpace = nullptr;
    QPlainTextEdit *memUndoReport = nullptr;
};

} // namespace strovex

#pragma once
// "Set Printer": one printer name for many labels.

#include "tools/batch_dialog.h"

class QComboBox;

namespace strovex {

class TfrmSetPrinter : public TBatchDialog {
    Q_OBJECT
public:
    TfrmSetPrinter(QWidget *parent, const QuillApp &connection);

protected:
    void showEvent(QShowEvent *event) override;
    void runClicked() override;

private:
    void FormShow();

    QComboBox *cmbPrinters = nullptr;
    bool shown_ = false;
};

} // namespace strovex

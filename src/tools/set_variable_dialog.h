#pragma once
// "Set Variable": one named variable gets a new length in many labels.

#include "tools/batch_dialog.h"

namespace strovex {

class TfrmSetVariable : public TBatchDialog {
    Q_OBJECT
public:
    TfrmSetVariable(QWidget *parent, const QuillApp &connection);

protected:
    void runClicked() override;

private:
    QLineEdit *edtVariable = nullptr;
    QLineEdit *edtNewLength = nullptr;
};

} // namespace strovex

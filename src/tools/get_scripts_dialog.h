#pragma once
// "Extract Scripts": the script functions of many labels written to ".vbs" files.

#include "tools/batch_dialog.h"

namespace strovex {

class TfrmGetScripts : public TBatchDialog {
    Q_OBJECT
public:
    TfrmGetScripts(QWidget *parent, const QuillApp &connection);

protected:
    void runClicked() override;

private:
    QLineEdit *edtPath = nullptr;
};

} // namespace strovex

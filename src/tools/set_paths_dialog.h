#pragma once
// "Set Paths": a path fragment replaced in the picture files of many labels' graphics.

#include "tools/batch_dialog.h"

namespace strovex {

class TfrmSetPaths : public TBatchDialog {
    Q_OBJECT
public:
    TfrmSetPaths(QWidget *parent, const QuillApp &connection);

protected:
    void runClicked() override;

private:
    QLineEdit *edtOldPath = nullptr;
    QLineEdit *edtNewPath = nullptr;
};

} // namespace strovex

#pragma once
// Every detail of one database of a label, read-only.

#include "inspect/label_rows.h"

#include <QDialog>

namespace strovex {

class TfrmDatabaseProperties : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDatabaseProperties(QWidget *parent = nullptr);
    void fill(const TDatabaseRow &row);
};

} // namespace strovex

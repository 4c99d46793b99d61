#pragma once
// The Label Info page: the label's settings, printer and size, read-only.

#include "inspect/label_info.h"

#include <QWidget>

class QLabel;
class QLineEdit;

namespace strovex {

class LabelInfoPage : public QWidget {
    Q_OBJECT
public:
    explicit LabelInfoPage(QWidget *parent = nullptr);

    // What readLabelContents read, also when a later read failed.
    void showTexts(const LabelInfoTexts &texts);

    // "Opened in:" with the open time stays hidden until revealed.
    void setOpenTime(const QString &text);
    void revealOpenTime();
    bool openTimeShown() const;

private:
    QLineEdit *field(const char *name) const;
    QLabel *label(const char *name) const;
};

} // namespace strovex

#pragma once
// The Label Info page: the label's settings, printer and size, read-only.

#include "automation/designer.h"
#include "inspect/label_info.h"

#include <QWidget>

class QLabel;
class QLineEdit;

namespace strovex {

class LabelInfoPage : public QWidget {
    Q_OBJECT
public:
    explicit LabelInfoPage(QWidget *parent = nullptr);

    // FillLabelInfo: shows what was read, also when a reading failed; the
    // failure (AutomationError) is passed on.
    // `read`, when given, receives what was read (also when a read fails).
    void fill(const IQuillmark &label, LabelInfoTexts *read = nullptr);
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

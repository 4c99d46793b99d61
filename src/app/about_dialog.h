#pragma once

#include <QDialog>

namespace strovex {

// The About box: a picture with the product name, version line, legal lines
// and a link. Esc or a click on the picture closes it.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget *parent = nullptr);
    static QString versionLine();

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

} // namespace strovex

#pragma once

#include <QDialog>

class QIcon;

namespace strovex {

// The window icon: the mark of the About picture on a dark square.
QIcon strovexIcon();

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

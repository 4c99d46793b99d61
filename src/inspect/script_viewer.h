#pragma once
// The source of a script function, highlighted, with line numbers. What is
// typed into it is thrown away on closing: the viewer never changes a label.

#include <QDialog>

namespace strovex {

class CodeView;

class TfrmVBScript : public QDialog {
    Q_OBJECT
public:
    explicit TfrmVBScript(QWidget *parent = nullptr);
    void setScript(const QString &text);
    CodeView *editor() const { return editor_; }

private:
    CodeView *editor_;
};

// Shows `text` in a modal viewer owned by `owner`, destroyed when it closes.
void ShowScript(QWidget *owner, const QString &text);

} // namespace strovex

#include "inspect/script_viewer.h"

#include "inspect/code_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace strovex {

TfrmVBScript::TfrmVBScript(QWidget *parent) : QDialog(parent), editor_(new CodeView(this))
{
    setObjectName(QStringLiteral("frmVBScript"));
    setWindowTitle(QStringLiteral("VB Script"));
    resize(784, 546);

    editor_->setObjectName(QStringLiteral("SynEdit1"));
    editor_->setLineNumbersShown(true);
    new VbScriptHighlighter(editor_->document());

    auto *caption = new QLabel(QStringLiteral("&Script:"), this);
    caption->setBuddy(editor_);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("btnClose"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(editor_, 1);
    layout->addLayout(buttons);
}

void TfrmVBScript::setScript(const QString &text)
{
    editor_->setPlainText(text);
}

void ShowScript(QWidget *owner, const QString &text)
{
    TfrmVBScript viewer(owner);
    viewer.setScript(text);
    viewer.exec();
}

} // namespace strovex

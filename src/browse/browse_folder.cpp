#include "browse/browse_folder.h"

#include "browse/path_shortening.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace strovex {
namespace {

// Places the picker once it is shown, when its final size is known: centred
// over the foreground window, its top a quarter of that window's height down.
class Placement : public QObject {
public:
    Placement(QWidget *dialog, QWidget *foreground) : QObject(dialog), foreground_(foreground)
    {
        dialog->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && foreground_) {
            auto *dialog = static_cast<QWidget *>(watched);
            const QRect area = foreground_->frameGeometry();
            const QRect frame = dialog->frameGeometry();
            dialog->move(area.center().x() - frame.width() / 2, area.top() + area.height() / 4);
        }
        return false;
    }

private:
    QPointer<QWidget> foreground_;
};

} // namespace

TBrowseFolder::TBrowseFolder(QWidget *owner) : QObject(owner), owner_(owner)
{
}

bool TBrowseFolder::Execute()
{
    // The window in the foreground when the picker opens decides its placement.
    QWidget *foreground = QApplication::activeWindow();
    if (!foreground && owner_)
        foreground = owner_->window();

    QDialog dialog(owner_ ? owner_->window() : nullptr);
    dialog.setObjectName(QStringLiteral("BrowseFolderDialog"));
    dialog.setWindowTitle(QApplication::applicationName());
    auto *layout = new QVBoxLayout(&dialog);

    auto *title = new QLabel(FTitle, &dialog);
    title->setObjectName(QStringLiteral("lblTitle"));
    title->setWordWrap(true);
    title->setVisible(!FTitle.isEmpty());
    layout->addWidget(title);

    auto *model = new QFileSystemModel(&dialog);
    model->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    model->setRootPath(QString());
    auto *tree = new QTreeView(&dialog);
    tree->setObjectName(QStringLiteral("tvFolders"));
    tree->setModel(model);
    tree->setHeaderHidden(true);
    for (int column = 1; column < model->columnCount(); ++column)
        tree->hideColumn(column);
    tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    layout->addWidget(tree, 1);

    auto *status = new QLabel(&dialog);
    status->setObjectName(QStringLiteral("lblStatus"));
    status->setVisible(FFlags.testFlag(TBrowseInfoFlag::bfStatusText));
    layout->addWidget(status);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QPushButton *confirm = buttons->button(QDialogButtonBox::Ok);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    FSelected.clear();
    const auto selectionChanged = [this, model, status, confirm](const QModelIndex &current) {
        const QString path = current.isValid() ? model->filePath(current) : QString();
        FSelected = QDir::toNativeSeparators(path);
        if (FShowPathInStatusArea)
            status->setText(shortenPath(FSelected, QDir::separator()));
        confirm->setEnabled(!FSelected.isEmpty() || !FFlags.testFlag(TBrowseInfoFlag::bfFileSysDirsOnly));
    };
    connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, &dialog,
            [selectionChanged](const QModelIndex &current) { selectionChanged(current); });
    selectionChanged(QModelIndex());

    if (FRootFolder == TSHFolders::foDesktopExpanded)
        tree->expandToDepth(0);
    if (!FDirectory.isEmpty() && QFileInfo(FDirectory).isDir()) {
        const QModelIndex start = model->index(QDir::fromNativeSeparators(QFileInfo(FDirectory).absoluteFilePath()));
        if (start.isValid()) {
            tree->setCurrentIndex(start);
            tree->scrollTo(start, QAbstractItemView::PositionAtCenter);
        }
    }

    dialog.resize(380, 440);
    new Placement(&dialog, foreground);

    if (dialog.exec() != QDialog::Accepted || FSelected.isEmpty())
        return false;
    FDirectory = FSelected;
    return true;
}

} // namespace strovex

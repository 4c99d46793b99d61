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
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
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

// The model lists and sorts folders in the background, and each listing above
// the selected folder moves it: it is brought back into view after every change
// until the user scrolls, clicks or types in the tree.
class KeepInView : public QObject {
public:
    explicit KeepInView(QTreeView *tree) : QObject(tree), tree_(tree)
    {
        const auto later = [this] { QTimer::singleShot(0, this, [this] { follow(); }); };
        connect(tree->model(), &QAbstractItemModel::layoutChanged, this, later);
        connect(tree->model(), &QAbstractItemModel::rowsInserted, this, later);
        tree->installEventFilter(this);
        tree->viewport()->installEventFilter(this);
        tree->verticalScrollBar()->installEventFilter(this);
    }

    // Selects `folder` and keeps it in view, also when the user had taken over.
    void select(const QModelIndex &folder)
    {
        start_ = folder;
        done_ = false;
        tree_->setCurrentIndex(folder);
        follow();
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::Wheel:
        case QEvent::KeyPress:
            done_ = true;
            break;
        default:
            break;
        }
        return false;
    }

private:
    void follow()
    {
        if (!done_ && start_.isValid() && tree_->currentIndex() == start_)
            tree_->scrollTo(start_, QAbstractItemView::PositionAtCenter);
    }

    QTreeView *tree_;
    QPersistentModelIndex start_;
    bool done_ = false;
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
    confirm->setDefault(true); // Enter in the path field confirms
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    // A path typed or pasted here selects that folder; the tree's selection
    // is shown here in turn.
    auto *pathField = new QLineEdit(&dialog);
    pathField->setObjectName(QStringLiteral("edtPath"));
    pathField->setPlaceholderText(QStringLiteral("Folder"));
    layout->insertWidget(layout->indexOf(status), pathField);

    FSelected.clear();
    bool typing = false;
    const auto showSelection = [this, status, confirm, pathField, &typing](const QString &path) {
        FSelected = QDir::toNativeSeparators(path);
        if (FShowPathInStatusArea)
            status->setText(shortenPath(FSelected, QDir::separator()));
        confirm->setEnabled(!FSelected.isEmpty() || !FFlags.testFlag(TBrowseInfoFlag::bfFileSysDirsOnly));
        if (!typing)
            pathField->setText(FSelected);
    };
    connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, &dialog,
            [showSelection, model](const QModelIndex &current) {
                showSelection(current.isValid() ? model->filePath(current) : QString());
            });
    auto *keepInView = new KeepInView(tree);
    connect(pathField, &QLineEdit::textEdited, &dialog, [&typing, showSelection, model, tree, keepInView](const QString &text) {
        typing = true;
        const QString typed = text.trimmed();
        const QFileInfo folder(QDir::fromNativeSeparators(typed));
        if (!typed.isEmpty() && folder.isAbsolute() && folder.isDir()) {
            const QString path = QDir::cleanPath(folder.absoluteFilePath());
            const QModelIndex index = model->index(path);
            if (index.isValid())
                keepInView->select(index);
            showSelection(path);
        } else {
            tree->selectionModel()->clearCurrentIndex();
            showSelection(QString());
        }
        typing = false;
    });
    showSelection(QString());

    // Starts at the given folder, else at the home folder: never at the root,
    // where one Enter would search the whole file system.
    QString startPath = QDir::homePath();
    if (!FDirectory.isEmpty() && QFileInfo(FDirectory).isDir())
        startPath = QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(FDirectory)).absoluteFilePath());
    if (FRootFolder == TSHFolders::foDesktopExpanded) {
        for (const QString &top : {QDir::rootPath(), QDir::homePath()})
            tree->expand(model->index(top));
    }
    const QModelIndex start = model->index(startPath);
    if (start.isValid())
        keepInView->select(start);

    dialog.resize(380, 440);
    new Placement(&dialog, foreground);

    if (dialog.exec() != QDialog::Accepted || FSelected.isEmpty())
        return false;
    FDirectory = FSelected;
    return true;
}

} // namespace strovex

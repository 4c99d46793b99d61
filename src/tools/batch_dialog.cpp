#include "tools/batch_dialog.h"

#include "browse/browse_folder.h"
#include "inspect/display_text.h"
#include "tools/find_files.h"
#include "ui/error_boundary.h"

#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace strovex {
namespace {

// The report goes straight into the list box that shows the files.
class ListBoxReport : public ReportSink {
public:
    explicit ListBoxReport(QListWidget *box) : box_(box) {}
    void reset(const QStringList &lines) override
    {
        box_->clear();
        for (const QString &line : lines)
            box_->addItem(oneRow(line));
    }
    // One entry is one row: a designer's text may hold line breaks.
    void setLine(int index, const QString &text) override { box_->item(index)->setText(oneRow(text)); }
    void append(const QString &text) override
    {
        box_->addItem(oneRow(text));
        box_->scrollToBottom(); // the newest line in sight, also once the run is over
    }

private:
    static QString oneRow(const QString &text) { return replaceLineBreaks(text, QStringLiteral(" ")); }
    QListWidget *box_;
};

} // namespace

TBatchDialog::TBatchDialog(QWidget *parent, const QuillApp &connection, const BatchDialogSetup &setup)
    : QDialog(parent), connection_(connection)
{
    setWindowTitle(setup.caption);
    setMinimumSize(setup.minimumSize);
    resize(setup.minimumSize);

    auto *layout = new QVBoxLayout(this);
    parameters_ = new QVBoxLayout;
    layout->addLayout(parameters_);

    lsbFiles = new QListWidget(this);
    lsbFiles->setObjectName(QStringLiteral("lsbFiles"));
    lsbFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    auto *labelsCaption = new QLabel(QStringLiteral("&Labels:"), this);
    labelsCaption->setBuddy(lsbFiles);
    layout->addWidget(labelsCaption);

    auto *listRow = new QHBoxLayout;
    listRow->addWidget(lsbFiles, 1);
    auto *addButtons = new QVBoxLayout;
    sbAddFiles = new QToolButton(this);
    sbAddFiles->setObjectName(QStringLiteral("sbAddFiles"));
    sbAddFiles->setText(QStringLiteral("+"));
    sbAddFiles->setToolTip(setup.addFilesHint);
    sbAddFilesFromFolders = new QToolButton(this);
    sbAddFilesFromFolders->setObjectName(QStringLiteral("sbAddFilesFromFolders"));
    sbAddFilesFromFolders->setText(QStringLiteral("++"));
    sbAddFilesFromFolders->setToolTip(setup.addFilesFromFoldersHint);
    addButtons->addWidget(sbAddFiles);
    addButtons->addWidget(sbAddFilesFromFolders);
    addButtons->addStretch(1);
    listRow->addLayout(addButtons);
    layout->addLayout(listRow, 1);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    runButton_ = new QPushButton(setup.runButtonText, this);
    runButton_->setObjectName(setup.runButtonName);
    runButton_->setDefault(true);
    runButton_->setEnabled(false);
    btnCancel = new QPushButton(QStringLiteral("Close"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    buttons->addWidget(runButton_);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    chooser_ = [this](QWidget *) -> std::optional<QStringList> {
        if (!odFiles) {
            odFiles = new QFileDialog(this);
            odFiles->setObjectName(QStringLiteral("odFiles"));
            odFiles->setNameFilter(QStringLiteral("Label files (*.lbl)"));
            odFiles->setDefaultSuffix(QStringLiteral("lbl"));
            odFiles->setFileMode(QFileDialog::ExistingFiles);
            odFiles->setAcceptMode(QFileDialog::AcceptOpen);
            odFiles->setSizeGripEnabled(true);
        }
        if (odFiles->exec() != QDialog::Accepted)
            return std::nullopt;
        QStringList selected;
        for (const QString &file : odFiles->selectedFiles())
            selected << QDir::toNativeSeparators(file);
        return selected;
    };

    BrowseFolder = new TBrowseFolder(this);
    BrowseFolder->setFlags(TBrowseInfoFlag::bfFileSysDirsOnly | TBrowseInfoFlag::bfStatusText);
    BrowseFolder->setShowPathInStatusArea(true);

    report_ = std::make_unique<ListBoxReport>(lsbFiles);

    connect(sbAddFiles, &QToolButton::clicked, this, &TBatchDialog::sbAddFilesClick);
    connect(sbAddFilesFromFolders, &QToolButton::clicked, this, &TBatchDialog::sbAddFilesFromFoldersClick);
    connect(runButton_, &QPushButton::clicked, this, [this] { runGuarded(this, [this] { runClicked(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TBatchDialog::~TBatchDialog() = default;

void TBatchDialog::addParameterRow(const QString &caption, QWidget *box)
{
    auto *label = new QLabel(caption, this);
    label->setBuddy(box);
    parameters_->addWidget(label);
    parameters_->addWidget(box);
}

QLineEdit *TBatchDialog::addPathRow(const QString &caption, const QString &editName, const QString &browseName)
{
    auto *row = new QWidget(this);
    auto *rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    auto *box = new QLineEdit(row);
    box->setObjectName(editName);
    auto *browse = new QToolButton(row);
    browse->setObjectName(browseName);
    browse->setText(QStringLiteral("..."));
    browse->setToolTip(QStringLiteral("Browse for path"));
    rowLayout->addWidget(box, 1);
    rowLayout->addWidget(browse);
    auto *label = new QLabel(caption, this);
    label->setBuddy(box);
    parameters_->addWidget(label);
    parameters_->addWidget(row);
    connect(browse, &QToolButton::clicked, this, [this, box] { runGuarded(this, [this, box] { browseForPath(box); }); });
    return box;
}

void TBatchDialog::showFileList()
{
    lsbFiles->clear();
    lsbFiles->addItems(files_);
}

void TBatchDialog::applyRunButtonRule()
{
    runButton_->setEnabled(lsbFiles->count() > 0);
}

void TBatchDialog::sbAddFilesClick()
{
    runGuarded(this, [this] {
        if (const std::optional<QStringList> selected = chooser_(this)) {
            files_ = *selected;
            showFileList();
        }
    });
    applyRunButtonRule();
}

void TBatchDialog::sbAddFilesFromFoldersClick()
{
    runGuarded(this, [this] {
        if (!BrowseFolder->Execute())
            return;
        BusyCursor busy;
        FindFiles(QStringLiteral("*.lbl"), BrowseFolder->Directory(), true, files_);
        showFileList();
    });
    applyRunButtonRule();
}

void TBatchDialog::browseForPath(QLineEdit *box)
{
    if (!box->text().isEmpty())
        BrowseFolder->setDirectory(box->text());
    if (BrowseFolder->Execute())
        box->setText(BrowseFolder->Directory());
}

} // namespace strovex

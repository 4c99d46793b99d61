#include "browse/browse_folder.h"

#include "browse/path_shortening.h"
#include "support/temp_dir.h"
#include "widget_helpers.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QWidget>
#include <gtest/gtest.h>

using namespace strovex;
using strovex::test::TempDir;
using strovex::test::whenModal;

namespace {

struct PickerView {
    QTreeView *tree;
    QLabel *status;
    QPushButton *confirm;
    QPushButton *cancel;
    QFileSystemModel *model;
};

PickerView viewOf(QDialog *dialog)
{
    auto *tree = dialog->findChild<QTreeView *>(QStringLiteral("tvFolders"));
    auto *buttons = dialog->findChild<QDialogButtonBox *>();
    return {tree, dialog->findChild<QLabel *>(QStringLiteral("lblStatus")), buttons->button(QDialogButtonBox::Ok),
            buttons->button(QDialogButtonBox::Cancel), qobject_cast<QFileSystemModel *>(tree->model())};
}

QString selectedPath(const PickerView &view)
{
    return QDir::toNativeSeparators(view.model->filePath(view.tree->currentIndex()));
}

class Picker : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner.setGeometry(100, 80, 600, 400);
        owner.show();
        picker.setFlags(TBrowseInfoFlag::bfFileSysDirsOnly | TBrowseInfoFlag::bfStatusText);
        picker.setShowPathInStatusArea(true);
        QDir().mkpath(dir.file(QStringLiteral("start")));
        QDir().mkpath(dir.file(QStringLiteral("A folder with quite a long name/and one more level below")));
    }
    TempDir dir;
    QWidget owner;
    TBrowseFolder picker{&owner};
};

} // namespace

TEST_F(Picker, CancelKeepsTheStartFolderWhichWasSelectedAndShown)
{
    const QString start = dir.file(QStringLiteral("start"));
    picker.setDirectory(start);
    QString shown, selected;
    bool confirmEnabled = false;
    whenModal([&](QDialog *dialog) {
        const PickerView view = viewOf(dialog);
        selected = selectedPath(view);
        shown = view.status->text();
        confirmEnabled = view.confirm->isEnabled();
        view.cancel->click();
    });
    EXPECT_FALSE(picker.Execute());
    EXPECT_EQ(picker.Directory(), start);
    EXPECT_EQ(selected, QDir::toNativeSeparators(start));
    EXPECT_EQ(shown, shortenPath(QDir::toNativeSeparators(start), QDir::separator()));
    EXPECT_TRUE(confirmEnabled);
}

TEST_F(Picker, ConfirmReturnsTheSelectedFolderAndTheStatusFollowsTheSelection)
{
    picker.setDirectory(dir.file(QStringLiteral("start")));
    const QString deep = dir.file(QStringLiteral("A folder with quite a long name/and one more level below"));
    QString shown;
    whenModal([&](QDialog *dialog) {
        const PickerView view = viewOf(dialog);
        view.tree->setCurrentIndex(view.model->index(deep));
        shown = view.status->text();
        view.confirm->click();
    });
    ASSERT_TRUE(picker.Execute());
    EXPECT_EQ(picker.Directory(), QDir::toNativeSeparators(deep));
    EXPECT_GT(deep.size(), 35);
    EXPECT_EQ(shown, shortenPath(QDir::toNativeSeparators(deep), QDir::separator()));
    EXPECT_TRUE(shown.contains(QStringLiteral("...")));
}

TEST_F(Picker, RootComesBackWithItsSeparator)
{
    const QString root = QDir::rootPath();
    whenModal([&](QDialog *dialog) {
        const PickerView view = viewOf(dialog);
        view.tree->setCurrentIndex(view.model->index(root));
        view.confirm->click();
    });
    ASSERT_TRUE(picker.Execute());
    EXPECT_EQ(picker.Directory(), QDir::toNativeSeparators(root));
}

TEST_F(Picker, ConfirmOnlyWhileTheSelectionHasAPath)
{
    // A start folder that does not exist is ignored; the selection is the view's own.
    picker.setDirectory(dir.file(QStringLiteral("does-not-exist")));
    bool enabledWithout = true, enabledWith = false;
    QString shownWithout = QStringLiteral("unset"), selectedAtStart;
    whenModal([&](QDialog *dialog) {
        const PickerView view = viewOf(dialog);
        selectedAtStart = selectedPath(view);
        view.tree->setCurrentIndex(QModelIndex());
        enabledWithout = view.confirm->isEnabled();
        shownWithout = view.status->text();
        view.tree->setCurrentIndex(view.model->index(dir.path()));
        enabledWith = view.confirm->isEnabled();
        view.cancel->click();
    });
    EXPECT_FALSE(picker.Execute());
    EXPECT_NE(selectedAtStart, dir.file(QStringLiteral("does-not-exist")));
    EXPECT_FALSE(enabledWithout);
    EXPECT_TRUE(shownWithout.isEmpty());
    EXPECT_TRUE(enabledWith);
    EXPECT_EQ(picker.Directory(), dir.file(QStringLiteral("does-not-exist")));
}

TEST_F(Picker, OpensAtTheStartFolderInViewOrElseAtHome)
{
    // Enough sibling folders that the start folder lies far below the top.
    for (int i = 0; i < 60; ++i)
        QDir().mkpath(dir.file(QStringLiteral("deep/sibling %1").arg(i, 2, 10, QLatin1Char('0'))));
    const QString start = dir.file(QStringLiteral("deep/sibling 55"));
    struct Case {
        QString directory;
        QString expected;
    };
    const Case cases[] = {{start, start}, {QString(), QDir::homePath()}, {dir.file(QStringLiteral("gone")), QDir::homePath()}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.directory.toStdString());
        picker.setDirectory(c.directory);
        QString selected;
        bool inView = false, rootExpanded = false;
        whenModal([&](QDialog *dialog) {
            const PickerView view = viewOf(dialog);
            // Until the folders above it are listed, as a user would wait.
            for (int i = 0; c.expected == start && i < 200
                            && view.model->rowCount(view.model->index(dir.file(QStringLiteral("deep")))) < 60;
                 ++i)
                QTest::qWait(10);
            QTest::qWait(50);
            selected = selectedPath(view);
            const QRect shown = view.tree->visualRect(view.tree->currentIndex());
            inView = shown.isValid() && view.tree->viewport()->rect().contains(shown.center());
            rootExpanded = view.tree->isExpanded(view.model->index(QDir::rootPath()));
            view.cancel->click();
        });
        picker.Execute();
        EXPECT_EQ(selected, QDir::toNativeSeparators(c.expected));
        EXPECT_TRUE(inView);
        EXPECT_TRUE(rootExpanded);
    }
}

TEST_F(Picker, APathTypedInTheFieldIsTheSelection)
{
    const QString deep = dir.file(QStringLiteral("A folder with quite a long name/and one more level below"));
    picker.setDirectory(dir.file(QStringLiteral("start")));
    bool enabledForMissing = true;
    QString selectedForMissing = QStringLiteral("unset");
    whenModal([&](QDialog *dialog) {
        const PickerView view = viewOf(dialog);
        auto *field = dialog->findChild<QLineEdit *>(QStringLiteral("edtPath"));
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->text(), QDir::toNativeSeparators(dir.file(QStringLiteral("start"))));
        field->selectAll();
        QTest::keyClicks(field, dir.file(QStringLiteral("no such folder")));
        enabledForMissing = view.confirm->isEnabled();
        selectedForMissing = picker.selectedPath();
        field->clear();
        QTest::keyClicks(field, deep + QLatin1Char('/'));
        QTest::keyClick(field, Qt::Key_Return);
    });
    ASSERT_TRUE(picker.Execute());
    EXPECT_FALSE(enabledForMissing);
    EXPECT_EQ(selectedForMissing, QString());
    EXPECT_EQ(picker.Directory(), QDir::toNativeSeparators(deep));
}

TEST_F(Picker, PlacedOverTheForegroundWindowAQuarterDown)
{
    owner.activateWindow();
    QApplication::setActiveWindow(&owner);
    QRect placed;
    QRect area;
    whenModal([&](QDialog *dialog) {
        placed = dialog->frameGeometry();
        area = owner.frameGeometry();
        viewOf(dialog).cancel->click();
    });
    picker.Execute();
    EXPECT_EQ(placed.left(), area.center().x() - placed.width() / 2);
    EXPECT_EQ(placed.top(), area.top() + area.height() / 4);
}

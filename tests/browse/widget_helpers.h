#pragma once
// Driving modal dialogs on the offscreen platform: the action runs once the
// next modal dialog is up, and is expected to close it.

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

namespace strovex::test {

// Returns the poller, for a caller that must stop waiting when no dialog came.
inline QPointer<QTimer> whenModal(std::function<void(QDialog *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action = std::move(action)] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(dialog);
        }
    });
    timer->start();
    return timer;
}

// In a file dialog, picks `type` in the type box as a user does (arrow keys)
// and types `name`; false when the box has no such type.
inline bool chooseTypeAndName(QFileDialog &dialog, const QString &type, const QString &name)
{
    auto *box = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    if (!box || !edit)
        return false;
    const int wanted = box->findText(type);
    if (wanted < 0)
        return false;
    while (box->currentIndex() != wanted)
        QTest::keyClick(box, box->currentIndex() < wanted ? Qt::Key_Down : Qt::Key_Up);
    edit->setText(name);
    return true;
}

} // namespace strovex::test

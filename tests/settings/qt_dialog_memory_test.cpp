#include "platform/qt_dialog_memory.h"
#include "support/temp_dir.h"

#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

using namespace strovex;
using namespace strovex::test;

namespace {

// As a file dialog leaves it on closing.
void rememberLikeADialog()
{
    QSettings settings(QSettings::UserScope, QStringLiteral("QtProject"));
    settings.setValue(QStringLiteral("FileDialog/lastVisited"), QStringLiteral("file:///labels"));
    settings.setValue(QStringLiteral("FileDialog/qtVersion"), QStringLiteral("6.4.2"));
}

QStringList dialogGroups()
{
    return QSettings(QSettings::UserScope, QStringLiteral("QtProject")).childGroups();
}

} // namespace

TEST(QtDialogMemory, WhatTheDialogsWroteInARunGoesAtItsEndAndWhatWasThereStays)
{
#ifdef Q_OS_WIN
    GTEST_SKIP() << "the registry side is the Windows suite's removeEmptyKeys case";
#else
    TempDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    const QString file = QSettings(QSettings::UserScope, QStringLiteral("QtProject")).fileName();
    ASSERT_TRUE(file.startsWith(dir.path())) << file.toStdString();

    {
        const QtDialogMemory memory;
        rememberLikeADialog();
    }
    EXPECT_FALSE(QFile::exists(file)) << "a file left empty goes";

    // Another Qt program's memory, there before the run, is left as it is.
    rememberLikeADialog();
    {
        QSettings other(QSettings::UserScope, QStringLiteral("QtProject"));
        other.setValue(QStringLiteral("Other/kept"), 1);
    }
    {
        const QtDialogMemory memory;
        rememberLikeADialog();
    }
    EXPECT_EQ(dialogGroups(), (QStringList{QStringLiteral("FileDialog"), QStringLiteral("Other")}));
#endif
}

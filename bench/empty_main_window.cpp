// The start-up benchmark's baseline: an empty QMainWindow whose process ends
// right after its first paint, the same way the main program's does under
// STROVEX_EXIT_AFTER_FIRST_PAINT=1. With --menu-bar it has a menu bar with
// one menu of one action (the baseline the start-up goal is set against);
// with --save-dialogs it also makes two file dialogs up front, as the main
// window once did, to show what they cost.

#include "app/exit_after_first_paint.h"

#include <QApplication>
#include <QFileDialog>
#include <QMainWindow>
#include <QMenuBar>


int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    strovex::ExitAfterFirstPaint exitAfterFirstPaint;
    window.installEventFilter(&exitAfterFirstPaint);
    if (QCoreApplication::arguments().contains(QStringLiteral("--menu-bar")))
        window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"));
    if (QCoreApplication::arguments().contains(QStringLiteral("--save-dialogs"))) {
        new QFileDialog(&window);
        new QFileDialog(&window);
    }
    window.resize(441, 554); // the main window's size when no settings are stored yet
    window.show();
    return app.exec();
}

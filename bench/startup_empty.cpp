// The reference for the start-up time: a process that shows one empty window
// of the main window's size and quits once it has been painted.
//
// Two options add what nearly every real window has, to tell Qt's own part of
// a program's start-up from the program's: "--text" one line of text (the
// font system starts), "--menu" a menu bar (its overflow button reads a
// picture of the style, which loads every image plug-in).

#include "paintwatch.h"

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    QWidget window;
    window.setFixedSize(359, 334);
    if (args.contains(QStringLiteral("--menu"))) {
        auto *bar = new QMenuBar(&window);
        bar->addMenu(QStringLiteral("Soubor"));
        bar->setGeometry(0, 0, 359, 21);
    }
    if (args.contains(QStringLiteral("--text")))
        (new QLabel(QStringLiteral("Chichotek v 5.1"), &window))->move(16, 32);
    PaintWatch watch(&window);
    watch.quitAfterFirstPaint();
    window.show();
    return QApplication::exec();
}

#include "app/Program.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The game ends itself, through its own windows; hidden windows do not end it.
    application.setQuitOnLastWindowClosed(false);
    Program program;
    program.start();
    return application.exec();
}

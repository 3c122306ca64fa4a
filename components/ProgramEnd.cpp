#include "components/ProgramEnd.h"

#include "components/SoundOutput.h"

#include <QApplication>
#include <QWidget>

void QtProgramEnd::End() {
    m_sound.stopAll();
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    // exit() leaves the event loop before any queued event is delivered.
    QCoreApplication::exit(0);
}

#include "components/MMControl.h"

MMControl::~MMControl() {
    close();
}

void MMControl::setCommand(const QString& command) {
    if (command == QLatin1String("open")) {
        close();
        m_sound = m_output.open(m_fileName);
    } else if (command == QLatin1String("play")) {
        if (m_sound)
            m_output.play(m_sound);
    } else if (command == QLatin1String("prev")) {
        if (m_sound)
            m_output.rewind(m_sound);
    } else if (command == QLatin1String("close")) {
        close();
    }
}

void MMControl::close() {
    if (m_sound)
        m_output.close(m_sound);
    m_sound = 0;
}

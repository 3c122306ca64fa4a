#pragma once

#include "components/SoundOutput.h"

#include <QString>

// The multimedia control of a form: a file name and a command. It reports nothing back;
// a command that cannot be carried out only means silence.
class MMControl {
  public:
    explicit MMControl(SoundOutput& output) : m_output(output) {}
    ~MMControl();
    MMControl(const MMControl&) = delete;
    MMControl& operator=(const MMControl&) = delete;

    QString DeviceType = QStringLiteral("waveaudio");

    const QString& FileName() const { return m_fileName; }
    void setFileName(const QString& path) { m_fileName = path; }

    // "open", "play", "prev" or "close"; any other word is ignored.
    void setCommand(const QString& command);

    bool isOpen() const { return m_sound != 0; }

  private:
    void close();

    SoundOutput& m_output;
    QString m_fileName;
    SoundOutput::Handle m_sound = 0;
};

#pragma once

#include "components/SoundOutput.h"

#include <QFileInfo>
#include <QStringList>

// Records what the sound controls asked of the device, one line a call: "open shoot.wav",
// "play shoot.wav", "prev shoot.wav", "close shoot.wav". Files that do not exist open as 0.
class RecordingSoundOutput final : public SoundOutput {
  public:
    QStringList calls;

    Handle open(const QString& path) override {
        calls << QStringLiteral("open ") + QFileInfo(path).fileName();
        if (!QFileInfo(path).isFile())
            return 0;
        m_names.append(QFileInfo(path).fileName());
        return Handle(m_names.size());
    }
    void play(Handle sound) override { calls << QStringLiteral("play ") + name(sound); }
    void rewind(Handle sound) override { calls << QStringLiteral("prev ") + name(sound); }
    void close(Handle sound) override { calls << QStringLiteral("close ") + name(sound); }
    void stopAll() override { calls << QStringLiteral("stopAll"); }

  private:
    QString name(Handle sound) const { return m_names.value(sound - 1); }
    QStringList m_names;
};

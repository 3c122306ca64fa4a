#pragma once

#include "settings/TargetHost.h"
#include "settings/files/SettingsFiles.h"

#include <QString>

#include <optional>

// A play field reduced to what the settings dialog asks of it. Like the real one it reads the
// settings files back when asked, so a test sees what the dialog had written by then.
class RecordingTargetHost final : public TargetHost {
  public:
    explicit RecordingTargetHost(QString programFolder)
        : m_programFolder(std::move(programFolder)) {}

    QString TargetCaption() const override { return caption; }
    void GetPicture() override {
        ++getPictureCalls;
        picturePathRead = settingsfiles::readPicturePath(m_programFolder);
        pictureSizeRead = settingsfiles::readPictureSize(m_programFolder);
    }
    void GetCaption() override {
        ++getCaptionCalls;
        if (const auto read = settingsfiles::readCaption(m_programFolder))
            caption = *read;
    }
    void SetTimer1Enabled(bool enabled) override {
        timer1Enabled = enabled;
        ++timerChanges;
    }

    QString caption;
    bool timer1Enabled = false;
    int timerChanges = 0;
    int getPictureCalls = 0;
    int getCaptionCalls = 0;
    std::optional<QString> picturePathRead;
    std::optional<settingsfiles::PictureSize> pictureSizeRead;

  private:
    QString m_programFolder;
};

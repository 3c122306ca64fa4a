#pragma once

#include "settings/TargetHost.h"
#include "settings/files/SettingsFolders.h"

#include <QString>

#include <optional>

// A play field reduced to what the settings dialog asks of it. Like the real one it reads the
// settings files back when asked, so a test sees what the dialog had written by then.
class RecordingTargetHost final : public TargetHost {
  public:
    explicit RecordingTargetHost(const settingsfiles::SettingsFolders& folders)
        : m_folders(folders) {}

    QString TargetCaption() const override { return caption; }
    void GetPicture() override {
        ++getPictureCalls;
        picturePathRead = settingsfiles::readPicturePath(m_folders);
        pictureSizeRead = settingsfiles::readPictureSize(m_folders);
    }
    void GetCaption() override {
        ++getCaptionCalls;
        if (const auto read = settingsfiles::readCaption(m_folders))
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
    const settingsfiles::SettingsFolders& m_folders;
};

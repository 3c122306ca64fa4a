#pragma once

#include "settings/files/SettingsFiles.h"

#include <QString>

#include <functional>
#include <optional>

// Where the settings files are kept. They belong in the program folder, and are written there
// whenever it can be written; when it cannot (an install for every user), the player's copy goes
// to a folder of the player's own. Reading looks in the player's folder first, file by file, so
// a shared install may ship a picture and a caption that each player can override.
namespace settingsfiles {

class SettingsFolders {
  public:
    virtual ~SettingsFolders() = default;
    virtual QString programFolder() const = 0;
    // Made when first written to; empty when the player has none.
    virtual QString playerFolder() const = 0;
};

// The program's own folder and $XDG_CONFIG_HOME/deskwreck (~/.config/deskwreck by default).
class InstalledSettingsFolders final : public SettingsFolders {
  public:
    QString programFolder() const override;
    QString playerFolder() const override;
};

// The player's folder for these environment values: a relative XDG_CONFIG_HOME is ignored, and
// without a home folder there is none.
QString playerFolderFor(const QString& xdgConfigHome, const QString& home);

// Makes the folder, and each missing folder above it, readable by its owner only.
bool makePrivateFolder(const QString& folder);

// The folder a settings file is read from: the player's when it holds the file, else the
// program folder.
QString folderHolding(const SettingsFolders& folders, const QString& name);

std::optional<QString> readPicturePath(const SettingsFolders& folders);
std::optional<PictureSize> readPictureSize(const SettingsFolders& folders);
std::optional<QString> readCaption(const SettingsFolders& folders);

// Into the program folder when it takes the files, and then no player's copy of them is left to
// hide them; else into the player's folder. A write that is not kept, because neither folder
// takes the files or a player's copy would hide them, leaves both folders as they were.
WriteResult storeFiles(const SettingsFolders& folders, const QList<SettingsFile>& files);

inline WriteResult writePicture(const SettingsFolders& folders, const QString& picturePath,
                                float width, float height) {
    return storeFiles(folders, pictureFiles(picturePath, width, height));
}
inline WriteResult writeCaption(const SettingsFolders& folders, const QString& caption) {
    return storeFiles(folders, captionFiles(caption));
}
inline WriteResult writePassword(const SettingsFolders& folders, const QString& password,
                                 const std::function<double()>& random) {
    return storeFiles(folders, passwordFiles(password, random));
}

} // namespace settingsfiles

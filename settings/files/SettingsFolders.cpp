#include "settings/files/SettingsFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace settingsfiles {

namespace {

constexpr QFileDevice::Permissions kOwnerOnly =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

} // namespace

QString InstalledSettingsFolders::programFolder() const {
    return settingsfiles::programFolder();
}

QString InstalledSettingsFolders::playerFolder() const {
    return playerFolderFor(qEnvironmentVariable("XDG_CONFIG_HOME"), qEnvironmentVariable("HOME"));
}

QString playerFolderFor(const QString& xdgConfigHome, const QString& home) {
    if (QDir::isAbsolutePath(xdgConfigHome))
        return QDir::cleanPath(xdgConfigHome) + QStringLiteral("/deskwreck");
    if (QDir::isAbsolutePath(home))
        return QDir::cleanPath(home) + QStringLiteral("/.config/deskwreck");
    return {};
}

bool makePrivateFolder(const QString& folder) {
    QStringList missing;
    for (QString path = QDir::cleanPath(folder); !QFileInfo::exists(path);
         path = QFileInfo(path).path())
        missing.prepend(path);
    for (const QString& path : missing) {
        if (!QDir().mkdir(path, kOwnerOnly))
            return false;
    }
    return QFileInfo(folder).isDir();
}

QString folderHolding(const SettingsFolders& folders, const QString& name) {
    const QString player = folders.playerFolder();
    if (!player.isEmpty() && QFileInfo(settingsPath(player, name)).isFile())
        return player;
    return folders.programFolder();
}

std::optional<QString> readPicturePath(const SettingsFolders& folders) {
    return readPicturePath(folderHolding(folders, kPictureNameFile));
}

std::optional<PictureSize> readPictureSize(const SettingsFolders& folders) {
    return readPictureSize(folderHolding(folders, kPictureSizeFile));
}

std::optional<QString> readCaption(const SettingsFolders& folders) {
    return readCaption(folderHolding(folders, kCaptionFile));
}

WriteResult storeFiles(const SettingsFolders& folders, const QList<SettingsFile>& files) {
    // Undone unless kept: a write that is not kept leaves both folders as they were, so the
    // files never come to be read half new, half old.
    FileChanges changes;
    const WriteResult inProgramFolder = changes.replace(folders.programFolder(), files);
    const QString player = folders.playerFolder();
    if (player.isEmpty() || (inProgramFolder && changes.remove(player, files))) {
        changes.keep();
        return inProgramFolder;
    }
    WriteResult inPlayerFolder = makePrivateFolder(player)
                                     ? changes.replace(player, files)
                                     : WriteResult{false,
                                                   files.first().name,
                                                   {QDir::toNativeSeparators(player) +
                                                    QStringLiteral(": the folder cannot be made")}};
    if (inPlayerFolder) {
        changes.keep();
        return inPlayerFolder;
    }
    if (inProgramFolder)
        return inPlayerFolder;
    // The file the program folder refused, and why each folder did.
    return {false, inProgramFolder.fileName, inProgramFolder.reasons + inPlayerFolder.reasons};
}

} // namespace settingsfiles

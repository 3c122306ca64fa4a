#pragma once

#include "components/Units.h"
#include "settings/files/SettingsFolders.h"

#include <QRect>
#include <QString>

class BrowserLauncher;
class DesktopSource;
class MessageBox;
class ProgramEnd;
class SoundOutput;

// Everything the play field reaches outside itself.
struct PlayFieldServices {
    SoundOutput& sound;
    MessageBox& messages;
    ProgramEnd& programEnd;
    DesktopSource& desktop;
    BrowserLauncher& browser;
    QString programFolder;
    QRect screenGeometry; // pixels
    units::ScreenMetrics metrics;
    const settingsfiles::SettingsFolders& settingsFolders;
};

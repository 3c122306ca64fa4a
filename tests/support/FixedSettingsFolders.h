#pragma once

#include "settings/files/SettingsFolders.h"

#include <QString>

// Settings folders a test chooses, and may change while a dialog or play field uses them.
struct FixedSettingsFolders final : settingsfiles::SettingsFolders {
    FixedSettingsFolders(QString programPath, QString playerPath)
        : program(std::move(programPath)), player(std::move(playerPath)) {}
    QString programFolder() const override { return program; }
    QString playerFolder() const override { return player; }

    QString program;
    QString player;
};

#pragma once

#include "support/FixedSettingsFolders.h"
#include "support/RecordingEdges.h"
#include "support/RecordingMessageBox.h"
#include "support/RecordingSoundOutput.h"

#include "playfield/frmRange.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <memory>

// A play field over a known desktop picture, with every edge recorded, in a temporary program
// folder holding the five wave files' names; the player's settings folder does not exist.
struct PlayFieldFixture {
    explicit PlayFieldFixture(QSize screen = {1024, 768}, bool withDesktop = true)
        : desktop(withDesktop ? testDesktop(screen) : QImage()) {
        for (const char* wave : {"shoot.wav", "dart.wav", "love.wav", "succ.wav", "guit.wav"}) {
            QFile file(folder.filePath(QString::fromLatin1(wave)));
            file.open(QIODevice::WriteOnly);
        }
        range = std::make_unique<frmRange>(services(screen));
    }

    PlayFieldServices services(QSize screen) {
        return {sound,
                messages,
                programEnd,
                desktop,
                browser,
                folder.path(),
                QRect(QPoint(0, 0), screen),
                units::ScreenMetrics{},
                settingsFolders};
    }

    // Diagonal stripes, distinct in every row and column, and never the background colour.
    static QImage testDesktop(QSize size) {
        QImage image(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y, qRgb((x * 7) % 200 + 20, (y * 5) % 200 + 20, 40));
        return image;
    }

    QString filePath(const QString& name) const { return folder.filePath(name); }

    QTemporaryDir folder;
    FixedSettingsFolders settingsFolders{folder.path(), folder.filePath("player/deskwreck")};
    RecordingSoundOutput sound;
    RecordingMessageBox messages;
    RecordingProgramEnd programEnd;
    FixedDesktopSource desktop;
    RecordingBrowserLauncher browser;
    std::unique_ptr<frmRange> range;
};

// The smallest rectangle holding every pixel where the two images differ.
inline QRect changedPixels(const QImage& before, const QImage& after) {
    QRect changed;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            if (before.pixel(x, y) != after.pixel(x, y))
                changed |= QRect(x, y, 1, 1);
    return changed;
}

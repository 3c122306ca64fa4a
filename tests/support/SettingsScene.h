#pragma once

#include "settings/frmSettings.h"
#include "support/FixedSettingsFolders.h"
#include "support/RecordingMessageBox.h"
#include "support/RecordingTargetHost.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// What a settings dialog test stands in: an empty program folder, a player's folder not made
// yet, a current folder holding
// bitmaps (photo.bmp 200 x 150, SMALL.BMP 40 x 20, an unloadable broken.bmp, a text file and a
// subfolder sub with inner.bmp 10 x 10), a play field and a message box that record.
class SettingsScene {
  public:
    SettingsScene() : m_previousCurrent(QDir::currentPath()), target(folders) {
        const QString current = currentFolder.path();
        writeBitmap(current + "/photo.bmp", 200, 150);
        writeBitmap(current + "/SMALL.BMP", 40, 20);
        writeFile(current + "/broken.bmp", "not a bitmap at all");
        writeFile(current + "/notes.txt", "");
        QDir(current).mkdir("sub");
        writeBitmap(current + "/sub/inner.bmp", 10, 10);
        QDir::setCurrent(current);
        target.caption = "Boss";
    }
    ~SettingsScene() { QDir::setCurrent(m_previousCurrent); }
    SettingsScene(const SettingsScene&) = delete;
    SettingsScene& operator=(const SettingsScene&) = delete;

    bool isValid() const {
        return programFolder.isValid() && playerHome.isValid() && currentFolder.isValid();
    }

    std::unique_ptr<frmSettings> openDialog() {
        auto dialog = std::make_unique<frmSettings>(target, messages, folders);
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get()))
            qWarning("the settings dialog was not exposed");
        return dialog;
    }

    QByteArray programFile(const QString& name) const {
        QFile file(programFolder.path() + '/' + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    static void writeBitmap(const QString& path, int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        image.save(path, "BMP");
    }

    static void writeFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }

    // What a user's double click delivers: a press and a release, then a double click and a
    // release.
    static void doubleClick(QListWidget* list, QListWidgetItem* item) {
        const QPoint centre = list->visualItemRect(item).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, centre);
    }

  private:
    QString m_previousCurrent;

  public:
    QTemporaryDir programFolder;
    QTemporaryDir playerHome;
    FixedSettingsFolders folders{programFolder.path(), playerHome.filePath(".config/deskwreck")};
    QTemporaryDir currentFolder;
    RecordingTargetHost target;
    RecordingMessageBox messages;
};

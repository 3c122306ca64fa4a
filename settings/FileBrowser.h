#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QStringList>

// The drive, folder and file lists of the settings dialog. On Linux a "drive" is a mounted file
// system a user browses (the root, home, removable media), named by its mount point.
namespace filebrowser {

// Where the dialog falls back to when a drive cannot be read.
inline constexpr const char* kFallbackDrive = "/";

// The mount points worth offering, the root first, then the others sorted: the root, file systems
// mounted at, above or below the home folder, and removable media under /media, /run/media, /mnt.
QStringList browsableDrives(const QStringList& mountPoints, const QString& homePath);

// The drive holding a folder: the longest drive that is the folder or one of its ancestors.
QString driveOf(const QString& folder, const QStringList& drives);

// Whether a folder exists and its entries can be listed.
bool isListableFolder(const QString& folder);

} // namespace filebrowser

class DriveList : public QComboBox {
    Q_OBJECT
  public:
    explicit DriveList(QWidget* parent = nullptr);

    QStringList drives() const;
    // Replaces the entries, keeping the current drive when it is still among them; no change
    // notification.
    void setDrives(const QStringList& drives);
    QString drive() const { return currentText(); }
    // Selects the drive, adding it when it is missing; notifies when the choice changes.
    void setDrive(const QString& drive);

  signals:
    void driveChanged();

  protected:
    // Media may have come or gone since the list was last filled.
    void showPopup() override;
};

// The current folder's ancestors, then its subfolders; a double click or Enter opens one.
class FolderList : public QListWidget {
    Q_OBJECT
  public:
    explicit FolderList(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    // False, with the list left as it was, when the folder cannot be listed. Notifies when the
    // path changes.
    bool setPath(const QString& folder);
    // The full path a row stands for.
    static QString pathOf(const QListWidgetItem* item);

  signals:
    void pathChanged();

  private:
    void openItem(QListWidgetItem* item);
    void fill(const QString& folder);

    QString m_path;
};

// The files of one folder matching "*.bmp" in any letter case, none selected at first.
class FileList : public QListWidget {
    Q_OBJECT
  public:
    explicit FileList(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    QString pattern() const { return m_pattern; }
    // False, with the list left as it was, when the folder cannot be listed.
    bool setPath(const QString& folder);
    // The selected file's name; empty when none is selected.
    QString fileName() const;

  signals:
    // A file was selected, by the mouse or the keys.
    void fileClicked();
    void fileDoubleClicked();

  private:
    QString m_path;
    QString m_pattern = QStringLiteral("*.bmp");
};

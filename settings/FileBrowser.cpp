#include "settings/FileBrowser.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>

#include <algorithm>

namespace filebrowser {

namespace {

bool isAtOrBelow(const QString& path, const QString& base) {
    if (path == base)
        return true;
    return path.startsWith(base.endsWith(QLatin1Char('/')) ? base : base + QLatin1Char('/'));
}

bool isRemovableMediaFolder(const QString& mountPoint) {
    const QStringList mediaRoots = {QStringLiteral("/media"), QStringLiteral("/run/media"),
                                    QStringLiteral("/mnt")};
    return std::any_of(mediaRoots.begin(), mediaRoots.end(), [&](const QString& root) {
        return mountPoint != root && isAtOrBelow(mountPoint, root);
    });
}

bool isBrowsable(const QString& mountPoint, const QString& homePath) {
    return isAtOrBelow(mountPoint, homePath) || isAtOrBelow(homePath, mountPoint) ||
           isRemovableMediaFolder(mountPoint);
}

QStringList mountedNow() {
    QStringList mountPoints;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        mountPoints.append(volume.rootPath());
    return mountPoints;
}

QString cleanAbsolute(const QString& folder) {
    return QDir::cleanPath(QDir(folder).absolutePath());
}

} // namespace

QStringList browsableDrives(const QStringList& mountPoints, const QString& homePath) {
    const QString root = QString::fromLatin1(kFallbackDrive);
    const QString home = QDir::cleanPath(homePath);
    QStringList others;
    for (const QString& mountPoint : mountPoints) {
        const QString cleaned = QDir::cleanPath(mountPoint);
        if (cleaned != root && isBrowsable(cleaned, home) && !others.contains(cleaned))
            others.append(cleaned);
    }
    others.sort();
    return QStringList{root} + others;
}

QString driveOf(const QString& folder, const QStringList& drives) {
    QString best = QString::fromLatin1(kFallbackDrive);
    for (const QString& drive : drives) {
        if (isAtOrBelow(folder, drive) && drive.size() > best.size())
            best = drive;
    }
    return best;
}

bool isListableFolder(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

} // namespace filebrowser

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    setDrives(filebrowser::browsableDrives(filebrowser::mountedNow(), QDir::homePath()));
    connect(this, &QComboBox::currentIndexChanged, this, &DriveList::driveChanged);
}

QStringList DriveList::drives() const {
    QStringList entries;
    for (int index = 0; index < count(); ++index)
        entries.append(itemText(index));
    return entries;
}

void DriveList::setDrives(const QStringList& drives) {
    const QSignalBlocker blocker(this);
    const QString current = drive();
    clear();
    addItems(drives);
    setCurrentIndex(std::max(0, findText(current)));
}

void DriveList::setDrive(const QString& drive) {
    int index = findText(drive);
    if (index < 0) {
        const QSignalBlocker blocker(this);
        addItem(drive);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

void DriveList::showPopup() {
    const QString before = drive();
    setDrives(filebrowser::browsableDrives(filebrowser::mountedNow(), QDir::homePath()));
    if (drive() != before)
        emit driveChanged();
    QComboBox::showPopup();
}

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemActivated, this, &FolderList::openItem);
}

bool FolderList::setPath(const QString& folder) {
    const QString cleaned = filebrowser::cleanAbsolute(folder);
    if (!filebrowser::isListableFolder(cleaned))
        return false;
    const bool changed = cleaned != m_path;
    m_path = cleaned;
    fill(cleaned);
    if (changed)
        emit pathChanged();
    return true;
}

QString FolderList::pathOf(const QListWidgetItem* item) {
    return item ? item->data(Qt::UserRole).toString() : QString();
}

void FolderList::openItem(QListWidgetItem* item) {
    // A folder that cannot be opened leaves the list where it is.
    setPath(pathOf(item));
}

void FolderList::fill(const QString& folder) {
    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const auto addRow = [this](const QIcon& icon, int depth, const QString& name,
                               const QString& path) {
        auto* item = new QListWidgetItem(icon, QString(depth * 2, QLatin1Char(' ')) + name, this);
        item->setData(Qt::UserRole, path);
    };

    addRow(openIcon, 0, QStringLiteral("/"), QStringLiteral("/"));
    QString ancestor;
    const QStringList parts = folder.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (int depth = 0; depth < parts.size(); ++depth) {
        ancestor += QLatin1Char('/') + parts[depth];
        addRow(openIcon, depth + 1, parts[depth], ancestor);
    }
    setCurrentRow(count() - 1);

    const QFileInfoList subfolders = QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot,
                                                                QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& subfolder : subfolders)
        addRow(closedIcon, parts.size() + 1, subfolder.fileName(), subfolder.absoluteFilePath());
}

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (!fileName().isEmpty())
            emit fileClicked();
    });
    connect(this, &QListWidget::itemDoubleClicked, this, &FileList::fileDoubleClicked);
}

bool FileList::setPath(const QString& folder) {
    const QString cleaned = filebrowser::cleanAbsolute(folder);
    if (!filebrowser::isListableFolder(cleaned))
        return false;
    m_path = cleaned;
    clear();
    addItems(QDir(cleaned).entryList({m_pattern}, QDir::Files, QDir::Name | QDir::IgnoreCase));
    return true;
}

QString FileList::fileName() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

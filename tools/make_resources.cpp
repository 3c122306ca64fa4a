// make_resources <resources-dir> <contact-sheet.png>
// Draws every picture and synthesises every sound of the game into the resources folder, and
// a scaled-up contact sheet of all pictures for a look at a glance.

#include "make_resources.h"
#include "resources/BannerAddress.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

namespace {

struct Output {
    QString name;
    QByteArray bytes;
};

// "http://www.deskwreck.example/" is shown as "WWW.DESKWRECK.EXAMPLE".
QString bannerText() {
    QString text = QString::fromLatin1(kBannerAddress);
    text.remove(QStringLiteral("http://"));
    while (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    return text.toUpper();
}

void addPictures(QList<Output>& files, QList<QPair<QString, QImage>>& sheet) {
    const QList<QImage> marks = res::imageList1();
    for (int i = 0; i < marks.size(); ++i) {
        const QString name = QStringLiteral("imagelist1/%1.bmp").arg(i + 1);
        const QByteArray bytes =
            i == 0 ? res::bmp8(res::quantizeWithMask(marks[i])) : res::bmp24(marks[i]);
        files.append({name, bytes});
        sheet.append({name, QImage::fromData(bytes)});
    }
    const QList<QImage> frames = res::bannerFrames(bannerText());
    for (int i = 0; i < frames.size(); ++i) {
        const QString name = QStringLiteral("imagelist2/%1.bmp").arg(i + 1);
        files.append({name, res::bmp24(frames[i])});
        sheet.append({name, frames[i]});
    }
    const QList<QPair<QString, QImage>> singles = {
        {QStringLiteral("target.bmp"), res::targetFigure()},
        {QStringLiteral("start/splash.bmp"), res::startSplash()},
        {QStringLiteral("start/dart.bmp"), res::startDart()},
        {QStringLiteral("start/suctiondart.bmp"), res::startSuctionDart()},
    };
    for (const auto& [name, picture] : singles) {
        files.append({name, res::bmp24(picture)});
        sheet.append({name, picture});
    }
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QString name = QStringLiteral("icons/%1x%1/deskwreck.png").arg(size);
        const QImage icon = res::deskIcon(size);
        files.append({name, res::png(icon)});
        sheet.append({name, icon});
    }
}

void addSounds(QList<Output>& files) {
    files.append({QStringLiteral("sounds/shoot.wav"), res::wav16Mono(res::shootSound())});
    files.append({QStringLiteral("sounds/dart.wav"), res::wav16Mono(res::dartSound())});
    files.append({QStringLiteral("sounds/love.wav"), res::wav16Mono(res::loveSound())});
    files.append({QStringLiteral("sounds/succ.wav"), res::wav16Mono(res::suctionSound())});
    files.append({QStringLiteral("sounds/guit.wav"), res::wav16Mono(res::guitarPiece())});
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_resources <resources-dir> <contact-sheet.png>\n");
        return 2;
    }
    // Only the contact sheet's labels need fonts; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QDir root(QString::fromLocal8Bit(argv[1]));
    QList<Output> files;
    QList<QPair<QString, QImage>> sheet;
    addPictures(files, sheet);
    addSounds(files);
    for (const Output& file : files) {
        const QString path = root.filePath(file.name);
        if (!QDir().mkpath(QFileInfo(path).path()) || !res::writeFile(path, file.bytes)) {
            std::fprintf(stderr, "make_resources: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    const QString sheetPath = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(QFileInfo(sheetPath).path());
    if (!res::writeFile(sheetPath, res::png(res::contactSheet(sheet)))) {
        std::fprintf(stderr, "make_resources: cannot write %s\n", qPrintable(sheetPath));
        return 1;
    }
    return 0;
}

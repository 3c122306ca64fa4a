// The contact sheet: every picture, scaled up without smoothing, with its file name.

#include "make_resources.h"

#include <algorithm>

namespace res {

namespace {

int scaleFor(const QImage& picture) {
    const int side = std::max(picture.width(), picture.height());
    if (picture.width() > 400)
        return 2; // the banner frames
    return side >= 256 ? 1 : side > 200 ? 2 : side > 100 ? 3 : 4;
}

} // namespace

QImage contactSheet(const QList<QPair<QString, QImage>>& pictures) {
    constexpr int kSheetWidth = 2400, kGap = 16, kLabel = 22;
    struct Placed {
        QString name;
        QImage picture;
        QSize original;
        QPoint at;
    };
    QList<Placed> placed;
    int x = kGap, y = kGap, rowHeight = 0;
    for (const auto& [name, picture] : pictures) {
        const QImage big = picture.scaled(picture.size() * scaleFor(picture));
        if (x + big.width() > kSheetWidth - kGap) {
            x = kGap;
            y += rowHeight + kLabel + kGap;
            rowHeight = 0;
        }
        placed.append({name, big, picture.size(), QPoint(x, y)});
        x += std::max(big.width(), 180) + kGap;
        rowHeight = std::max(rowHeight, big.height());
    }
    QImage sheet(kSheetWidth, y + rowHeight + kLabel + kGap, QImage::Format_RGB32);
    sheet.fill(QColor(60, 60, 64));
    QPainter p(&sheet);
    p.setPen(Qt::white);
    for (const Placed& item : placed) {
        p.drawImage(item.at, item.picture);
        p.drawText(QRect(item.at.x(), item.at.y() + item.picture.height() + 2, 400, kLabel),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("%1  %2 x %3")
                       .arg(item.name)
                       .arg(item.original.width())
                       .arg(item.original.height()));
    }
    return sheet;
}

} // namespace res

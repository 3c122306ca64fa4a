// File writers and the pixel steps that turn drawings into the stored pictures.

#include "make_resources.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace res {

namespace {

void putLe(QByteArray& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xff));
}

// 96 dots per inch, the resolution the game's picture sizes assume.
constexpr std::uint32_t kPixelsPerMetre = 3780;

QByteArray bmpHeaders(int width, int height, int bitsPerPixel, int paletteEntries) {
    const int rowBytes = ((width * bitsPerPixel + 31) / 32) * 4;
    const int imageBytes = rowBytes * height;
    const int offset = 14 + 40 + paletteEntries * 4;
    QByteArray out;
    out.append("BM");
    putLe(out, std::uint32_t(offset + imageBytes), 4);
    putLe(out, 0, 4);
    putLe(out, std::uint32_t(offset), 4);
    putLe(out, 40, 4);
    putLe(out, std::uint32_t(width), 4);
    putLe(out, std::uint32_t(height), 4); // positive: rows stored bottom-up
    putLe(out, 1, 2);
    putLe(out, std::uint32_t(bitsPerPixel), 2);
    putLe(out, 0, 4); // no compression
    putLe(out, std::uint32_t(imageBytes), 4);
    putLe(out, kPixelsPerMetre, 4);
    putLe(out, kPixelsPerMetre, 4);
    putLe(out, std::uint32_t(paletteEntries), 4);
    putLe(out, 0, 4);
    return out;
}

void padRow(QByteArray& out, int written) {
    while (written++ % 4 != 0)
        out.append('\0');
}

struct Bucket {
    QRgb colour;
    int count;
};

int channel(QRgb c, int which) {
    return which == 0 ? qRed(c) : which == 1 ? qGreen(c) : qBlue(c);
}

int widestChannel(const std::vector<Bucket>& box, int* range) {
    int best = 0;
    *range = -1;
    for (int ch = 0; ch < 3; ++ch) {
        auto [lo, hi] = std::minmax_element(box.begin(), box.end(), [ch](auto& a, auto& b) {
            return channel(a.colour, ch) < channel(b.colour, ch);
        });
        const int r = channel(hi->colour, ch) - channel(lo->colour, ch);
        if (r > *range) {
            *range = r;
            best = ch;
        }
    }
    return best;
}

// Median cut: split the box with the widest colour range at its weighted median until there
// are `wanted` boxes or none can be split.
std::vector<std::vector<Bucket>> medianCut(std::vector<Bucket> all, int wanted) {
    std::vector<std::vector<Bucket>> boxes{std::move(all)};
    while (int(boxes.size()) < wanted) {
        int pick = -1, pickRange = 0, pickChannel = 0;
        for (int i = 0; i < int(boxes.size()); ++i) {
            int range = 0;
            const int ch = widestChannel(boxes[i], &range);
            if (boxes[i].size() > 1 && range > pickRange) {
                pick = i;
                pickRange = range;
                pickChannel = ch;
            }
        }
        if (pick < 0)
            break;
        auto& box = boxes[pick];
        std::stable_sort(box.begin(), box.end(), [pickChannel](auto& a, auto& b) {
            return channel(a.colour, pickChannel) < channel(b.colour, pickChannel);
        });
        long total = 0;
        for (auto& b : box)
            total += b.count;
        long seen = 0;
        std::size_t cut = 1;
        while (cut < box.size() - 1 && (seen += box[cut - 1].count) < total / 2)
            ++cut;
        std::vector<Bucket> upper(box.begin() + long(cut), box.end());
        box.resize(cut);
        boxes.push_back(std::move(upper));
    }
    return boxes;
}

QRgb meanColour(const std::vector<Bucket>& box) {
    long r = 0, g = 0, b = 0, n = 0;
    for (auto& e : box) {
        r += long(qRed(e.colour)) * e.count;
        g += long(qGreen(e.colour)) * e.count;
        b += long(qBlue(e.colour)) * e.count;
        n += e.count;
    }
    return qRgb(int((r + n / 2) / n), int((g + n / 2) / n), int((b + n / 2) / n));
}

} // namespace

QImage paintTransparent(QSize size, const std::function<void(QPainter&)>& draw) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return image;
}

QImage paintOn(QSize size, QRgb background, const std::function<void(QPainter&)>& draw) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return image;
}

QImage onMask(const QImage& drawing, QRgb mask) {
    const QImage source = drawing.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out(source.size(), QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            const QRgb p = source.pixel(x, y);
            QRgb c = qAlpha(p) >= 128 ? (qUnpremultiply(p) | 0xff000000) : mask;
            if (qAlpha(p) >= 128 && c == mask)
                c = qRgb(qRed(mask), qGreen(mask), qBlue(mask) - 1); // never the mask by chance
            out.setPixel(x, y, c);
        }
    }
    return out;
}

QImage quantizeWithMask(const QImage& picture, QRgb mask) {
    std::map<QRgb, int> counts;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (QRgb c = picture.pixel(x, y) | 0xff000000; c != (mask | 0xff000000))
                ++counts[c];
    std::vector<Bucket> all;
    for (auto [colour, count] : counts)
        all.push_back({colour, count});
    QList<QRgb> palette{mask | 0xff000000};
    if (!all.empty())
        for (auto& box : medianCut(all, 255))
            palette.append(meanColour(box));
    while (palette.size() < 256)
        palette.append(qRgb(0, 0, 0));

    QImage out(picture.size(), QImage::Format_Indexed8);
    out.setColorTable(palette);
    std::map<QRgb, int> nearest;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb c = picture.pixel(x, y) | 0xff000000;
            if (c == (mask | 0xff000000)) {
                out.setPixel(x, y, 0);
                continue;
            }
            auto found = nearest.find(c);
            if (found == nearest.end()) {
                int best = 1, bestDistance = INT32_MAX;
                for (int i = 1; i < int(palette.size()); ++i) {
                    const int dr = qRed(c) - qRed(palette[i]), dg = qGreen(c) - qGreen(palette[i]),
                              db = qBlue(c) - qBlue(palette[i]);
                    if (const int d = dr * dr + dg * dg + db * db; d < bestDistance) {
                        bestDistance = d;
                        best = i;
                    }
                }
                found = nearest.emplace(c, best).first;
            }
            out.setPixel(x, y, uint(found->second));
        }
    }
    return out;
}

QByteArray bmp24(const QImage& picture) {
    QByteArray out = bmpHeaders(picture.width(), picture.height(), 24, 0);
    for (int y = picture.height() - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb c = picture.pixel(x, y);
            out.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
        }
        padRow(out, picture.width() * 3);
    }
    return out;
}

QByteArray bmp8(const QImage& indexed) {
    QByteArray out = bmpHeaders(indexed.width(), indexed.height(), 8, 256);
    const QList<QRgb> palette = indexed.colorTable();
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < palette.size() ? palette[i] : 0;
        out.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
    }
    for (int y = indexed.height() - 1; y >= 0; --y) {
        for (int x = 0; x < indexed.width(); ++x)
            out.append(char(indexed.pixelIndex(x, y)));
        padRow(out, indexed.width());
    }
    return out;
}

QByteArray wav16Mono(const Samples& samples) {
    const auto dataBytes = std::uint32_t(samples.size() * 2);
    QByteArray out;
    out.append("RIFF");
    putLe(out, 36 + dataBytes, 4);
    out.append("WAVEfmt ");
    putLe(out, 16, 4);
    putLe(out, 1, 2); // PCM
    putLe(out, 1, 2); // mono
    putLe(out, kSampleRate, 4);
    putLe(out, kSampleRate * 2, 4);
    putLe(out, 2, 2);
    putLe(out, 16, 2);
    out.append("data");
    putLe(out, dataBytes, 4);
    for (std::int16_t s : samples)
        putLe(out, std::uint16_t(s), 2);
    return out;
}

QByteArray png(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

QLinearGradient cylinderShade(QPointF a, QPointF b, QColor base) {
    QLinearGradient g(a, b);
    g.setColorAt(0.0, base.darker(190));
    g.setColorAt(0.28, base.lighter(150));
    g.setColorAt(0.45, base);
    g.setColorAt(0.85, base.darker(150));
    g.setColorAt(1.0, base.darker(210));
    return g;
}

QPainterPath capsule(QPointF a, QPointF b, double wa, double wb) {
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    const QPointF n = length > 0 ? QPointF(-d.y() / length, d.x() / length) : QPointF(1, 0);
    QPainterPath body;
    body.addPolygon(
        QPolygonF({a + n * (wa / 2), b + n * (wb / 2), b - n * (wb / 2), a - n * (wa / 2)}));
    body.closeSubpath();
    QPainterPath ends;
    ends.addEllipse(a, wa / 2, wa / 2);
    QPainterPath end;
    end.addEllipse(b, wb / 2, wb / 2);
    return body.united(ends).united(end);
}

} // namespace res

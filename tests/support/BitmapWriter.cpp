#include "support/BitmapWriter.h"

#include <QList>
#include <QtEndian>

namespace bmptest {
namespace {

// Components of 0, 128 and 248 are exact in 5 and 6 bits as well as in 8.
const QList<QRgb> kColours{qRgb(248, 0, 0), qRgb(0, 248, 128), qRgb(0, 0, 248),
                           qRgb(248, 248, 128)};

QList<QRgb> paletteOf(const QImage& picture, const Layout& layout) {
    QList<QRgb> palette;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (!palette.contains(picture.pixel(x, y)))
                palette.append(picture.pixel(x, y));
    const int size = layout.paletteSize ? layout.paletteSize : 1 << layout.bits;
    while (palette.size() < size)
        palette.append(qRgb(0, 0, 0));
    return palette;
}

quint16 packed16(QRgb colour, Encoding encoding) {
    if (encoding == Encoding::Bitfields565)
        return quint16((qRed(colour) >> 3) << 11 | (qGreen(colour) >> 2) << 5 | qBlue(colour) >> 3);
    return quint16((qRed(colour) >> 3) << 10 | (qGreen(colour) >> 3) << 5 | qBlue(colour) >> 3);
}

// One stored row, padded to four bytes.
QByteArray plainRow(const QImage& picture, int y, const Layout& layout,
                    const QList<QRgb>& palette) {
    QByteArray row;
    quint32 bitBuffer = 0;
    int bitsHeld = 0;
    for (int x = 0; x < picture.width(); ++x) {
        const QRgb colour = picture.pixel(x, y);
        if (layout.bits <= 8) {
            bitBuffer = bitBuffer << layout.bits | quint32(palette.indexOf(colour));
            bitsHeld += layout.bits;
            if (bitsHeld == 8) {
                row += char(bitBuffer);
                bitBuffer = 0;
                bitsHeld = 0;
            }
        } else if (layout.bits == 16) {
            const quint16 value = packed16(colour, layout.encoding);
            row += char(value & 0xff);
            row += char(value >> 8);
        } else {
            row += char(qBlue(colour));
            row += char(qGreen(colour));
            row += char(qRed(colour));
            if (layout.bits == 32)
                row += char(0xff);
        }
    }
    if (bitsHeld)
        row += char(bitBuffer << (8 - bitsHeld));
    while (row.size() % 4)
        row += '\0';
    return row;
}

// Runs of one colour, then end of line; end of bitmap after the last row.
QByteArray rleRow(const QImage& picture, int y, const Layout& layout, const QList<QRgb>& palette) {
    QByteArray row;
    for (int x = 0; x < picture.width();) {
        int run = 1;
        while (x + run < picture.width() && run < 255 &&
               picture.pixel(x + run, y) == picture.pixel(x, y))
            ++run;
        const int index = int(palette.indexOf(picture.pixel(x, y)));
        row += char(run);
        row += char(layout.bits == 4 ? index << 4 | index : index);
        x += run;
    }
    return row + QByteArray("\0\0", 2);
}

QByteArray pixelData(const QImage& picture, const Layout& layout, const QList<QRgb>& palette) {
    QByteArray pixels;
    for (int row = 0; row < picture.height(); ++row) {
        const int y = layout.topDown ? row : picture.height() - 1 - row;
        pixels += layout.encoding == Encoding::Rle ? rleRow(picture, y, layout, palette)
                                                   : plainRow(picture, y, layout, palette);
    }
    if (layout.encoding == Encoding::Rle)
        pixels += QByteArray("\0\1", 2);
    return pixels;
}

QByteArray infoHeader(const QImage& picture, const Layout& layout, int paletteEntries,
                      qsizetype pixelBytes) {
    QByteArray header(layout.os2 ? 12 : 40, '\0');
    put32(header, 0, quint32(header.size()));
    if (layout.os2) {
        put16(header, 4, quint16(picture.width()));
        put16(header, 6, quint16(picture.height()));
        put16(header, 8, 1);
        put16(header, 10, quint16(layout.bits));
        return header;
    }
    const int compression = layout.encoding == Encoding::Rle     ? (layout.bits == 8 ? 1 : 2)
                            : layout.encoding == Encoding::Plain ? 0
                                                                 : 3;
    put32(header, 4, quint32(picture.width()));
    put32(header, 8, quint32(layout.topDown ? -picture.height() : picture.height()));
    put16(header, 12, 1);
    put16(header, 14, quint16(layout.bits));
    put32(header, 16, quint32(compression));
    put32(header, 20, quint32(pixelBytes));
    put32(header, 24, 3780); // 96 dots per inch
    put32(header, 28, 3780);
    put32(header, 32, quint32(paletteEntries));
    if (compression == 3) {
        const bool is565 = layout.encoding == Encoding::Bitfields565;
        QByteArray masks(12, '\0');
        put32(masks, 0, is565 ? 0xf800 : 0x7c00);
        put32(masks, 4, is565 ? 0x07e0 : 0x03e0);
        put32(masks, 8, 0x001f);
        header += masks;
    }
    return header;
}

} // namespace

void put16(QByteArray& bytes, int offset, quint16 value) {
    qToLittleEndian(value, bytes.data() + offset);
}

void put32(QByteArray& bytes, int offset, quint32 value) {
    qToLittleEndian(value, bytes.data() + offset);
}

QImage testPicture(int colours, int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, kColours[(x + 2 * y) % colours]);
    return picture;
}

QByteArray bitmapFile(const QImage& picture, const Layout& layout) {
    const QList<QRgb> palette = layout.bits <= 8 ? paletteOf(picture, layout) : QList<QRgb>{};
    QByteArray paletteBytes;
    for (QRgb colour : palette) {
        paletteBytes += char(qBlue(colour));
        paletteBytes += char(qGreen(colour));
        paletteBytes += char(qRed(colour));
        if (!layout.os2)
            paletteBytes += '\0';
    }
    const QByteArray pixels = pixelData(picture, layout, palette);
    const QByteArray info = infoHeader(picture, layout, layout.paletteSize, pixels.size());
    QByteArray file(14, '\0');
    file[0] = 'B';
    file[1] = 'M';
    const auto offset = quint32(14 + info.size() + paletteBytes.size());
    put32(file, 2, quint32(offset + pixels.size()));
    put32(file, kPixelOffset, offset);
    return file + info + paletteBytes + pixels;
}

} // namespace bmptest

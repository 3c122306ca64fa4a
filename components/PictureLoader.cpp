#include "components/PictureLoader.h"

#include "components/RegularFile.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <climits>

namespace {

constexpr qint64 kMaxFileBytes = qint64(256) << 20;
// Qt's own guard on the decoded image, in megabytes: 100 megapixels of 32-bit colour fit.
constexpr int kAllocationLimitMb = 512;

bool isSaneSize(const QSize& size) {
    return size.width() > 0 && size.height() > 0 && size.width() <= kMaxPictureSide &&
           size.height() <= kMaxPictureSide &&
           qint64(size.width()) * size.height() <= kMaxPicturePixels;
}

quint32 u32At(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

quint16 u16At(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

// Qt's bitmap reader shows a file cut short, or one whose pixels start past its end, with
// made-up pixels where the file has none: such a bitmap is broken, not a picture. Run-length
// encoded pixels have no fixed size and are left to the reader.
bool bitmapHoldsItsPixels(const QByteArray& bytes) {
    constexpr int kFileHeader = 14;
    constexpr int kOs2Header = 12;
    constexpr quint32 kPlain = 0;
    constexpr quint32 kBitfields = 3;
    if (!bytes.startsWith("BM") || bytes.size() < kFileHeader + kOs2Header)
        return true; // not a bitmap, or too short for the reader to take it for one
    const qint64 pixelOffset = u32At(bytes, 10);
    const quint32 headerSize = u32At(bytes, 14);
    qint64 width = 0;
    qint64 height = 0;
    qint64 bits = 0;
    quint32 compression = kPlain;
    if (headerSize == kOs2Header) {
        width = u16At(bytes, 18);
        height = u16At(bytes, 20);
        bits = u16At(bytes, 24);
    } else if (bytes.size() >= kFileHeader + 20) {
        width = qint32(u32At(bytes, 18));
        height = qAbs(qint64(qint32(u32At(bytes, 22))));
        bits = u16At(bytes, 28);
        compression = u32At(bytes, 30);
    }
    if (pixelOffset > bytes.size())
        return false;
    if (compression != kPlain && compression != kBitfields)
        return true;
    // Sizes and depths no picture has are refused by the size check or by the reader.
    if (width <= 0 || width > kMaxPictureSide || height > kMaxPictureSide || bits > 32)
        return true;
    const qint64 rowBytes = (width * bits + 31) / 32 * 4;
    return pixelOffset + rowBytes * height <= bytes.size();
}

} // namespace

std::optional<QByteArray> readPictureFile(const QString& path) {
    RegularFile file(path);
    if (!file.isOpen() || file.size() > kMaxFileBytes)
        return std::nullopt;
    std::optional<QByteArray> bytes = file.read(kMaxFileBytes + 1);
    if (!bytes || bytes->size() > kMaxFileBytes)
        return std::nullopt;
    return bytes;
}

std::optional<QImage> decodePicture(QByteArray bytes) {
    if (bytes.isEmpty() || !bitmapHoldsItsPixels(bytes))
        return std::nullopt;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(kAllocationLimitMb);
    // A stated size is checked before any pixel memory is asked for.
    QSize statedSize = reader.size();
    // Qt states a top-down bitmap's height as the file does, negative; it is a size all the same.
    if (statedSize.width() > 0 && statedSize.height() < 0)
        statedSize.setHeight(statedSize.height() == INT_MIN ? INT_MAX : -statedSize.height());
    if (statedSize.isValid() && !isSaneSize(statedSize))
        return std::nullopt;
    QImage image = reader.read();
    if (image.isNull() || !isSaneSize(image.size()))
        return std::nullopt;
    return image;
}

std::optional<QImage> loadPicture(const QString& path) {
    std::optional<QByteArray> bytes = readPictureFile(path);
    return bytes ? decodePicture(std::move(*bytes)) : std::nullopt;
}

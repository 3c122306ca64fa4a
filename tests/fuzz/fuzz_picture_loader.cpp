// The picture loader on any file the user may choose as the target's picture: what it gives is
// a real picture no larger than its limits, and nothing it is given hangs it or exhausts memory.
#include "FuzzScratch.h"

#include "components/PictureLoader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = scratchFolder() + "/picture.bmp";
    FUZZ_CHECK(putFile(path, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))));
    const std::optional<QImage> image = loadPicture(path);
    if (!image)
        return 0;
    FUZZ_CHECK(!image->isNull());
    FUZZ_CHECK(image->width() >= 1 && image->width() <= kMaxPictureSide);
    FUZZ_CHECK(image->height() >= 1 && image->height() <= kMaxPictureSide);
    FUZZ_CHECK(qint64(image->width()) * image->height() <= kMaxPicturePixels);
    // Every pixel can be read, as the target's painting will.
    FUZZ_CHECK(image->sizeInBytes() >= qsizetype(image->bytesPerLine()) * image->height());
    (void)image->pixel(image->width() - 1, image->height() - 1);
    return 0;
}

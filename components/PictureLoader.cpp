#include "components/PictureLoader.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kMaxFileBytes = qint64(256) << 20;
// Qt's own guard on the decoded image, in megabytes: 100 megapixels of 32-bit colour fit.
constexpr int kAllocationLimitMb = 512;

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

  private:
    int m_fd;
};

// The bytes of a regular file of a sane size. Opened without blocking, so a FIFO or a device
// is refused by its type and never waited on.
std::optional<QByteArray> readRegularFile(const QString& path) {
    const FileDescriptor file(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat info {};
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size > kMaxFileBytes)
        return std::nullopt;
    QByteArray bytes;
    char chunk[65536];
    for (;;) {
        const ssize_t count = ::read(file.get(), chunk, sizeof chunk);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 || bytes.size() + count > kMaxFileBytes)
            return std::nullopt;
        if (count == 0)
            return bytes;
        bytes.append(chunk, count);
    }
}

bool isSaneSize(const QSize& size) {
    return size.width() > 0 && size.height() > 0 && size.width() <= kMaxPictureSide &&
           size.height() <= kMaxPictureSide &&
           qint64(size.width()) * size.height() <= kMaxPicturePixels;
}

} // namespace

std::optional<QImage> loadPicture(const QString& path) {
    std::optional<QByteArray> bytes = readRegularFile(path);
    if (!bytes || bytes->isEmpty())
        return std::nullopt;
    QBuffer buffer(&*bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(kAllocationLimitMb);
    // A stated size is checked before any pixel memory is asked for.
    const QSize statedSize = reader.size();
    if (statedSize.isValid() && !isSaneSize(statedSize))
        return std::nullopt;
    QImage image = reader.read();
    if (image.isNull() || !isSaneSize(image.size()))
        return std::nullopt;
    return image;
}

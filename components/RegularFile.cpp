#include "components/RegularFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

RegularFile::RegularFile(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    struct stat info {};
    if (fd < 0)
        return;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return;
    }
    m_fd = fd;
    m_size = info.st_size;
}

RegularFile::~RegularFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

std::optional<QByteArray> RegularFile::read(qint64 maxBytes) {
    if (m_fd < 0)
        return std::nullopt;
    QByteArray bytes;
    char chunk[65536];
    while (bytes.size() < maxBytes) {
        const auto wanted = std::min<qint64>(qint64(sizeof chunk), maxBytes - bytes.size());
        const ssize_t count = ::read(m_fd, chunk, size_t(wanted));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return std::nullopt;
        if (count == 0)
            break;
        bytes.append(chunk, count);
    }
    return bytes;
}

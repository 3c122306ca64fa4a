#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A file from outside the game (a settings file, a wave, a picture), open only when it is a
// regular file. The open never waits, as it would on a FIFO or a device under the name, and the
// type is checked on the open descriptor, so nothing swapped in after a check is ever read.
class RegularFile {
  public:
    explicit RegularFile(const QString& path);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int descriptor() const { return m_fd; }
    // The size when it was opened.
    qint64 size() const { return m_size; }
    // Up to maxBytes from where the reading stands; nullopt when reading fails.
    std::optional<QByteArray> read(qint64 maxBytes);

  private:
    int m_fd = -1;
    qint64 m_size = 0;
};

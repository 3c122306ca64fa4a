#pragma once

#include <QProcess>
#include <QString>

// An attribute of ext4 and the like that binds root too, set for the object's lifetime: "i" (no
// new entries, renames or removals in a folder) or "a" (a file that can only grow, and that
// nothing may rename over or remove).
class FileAttribute {
  public:
    FileAttribute(QString path, QString attribute)
        : m_path(std::move(path)), m_attribute(std::move(attribute)) {
        m_done = QProcess::execute("chattr", {'+' + m_attribute, m_path}) == 0;
    }
    ~FileAttribute() {
        if (m_done)
            QProcess::execute("chattr", {'-' + m_attribute, m_path});
    }
    FileAttribute(const FileAttribute&) = delete;
    FileAttribute& operator=(const FileAttribute&) = delete;
    bool done() const { return m_done; }

  private:
    QString m_path;
    QString m_attribute;
    bool m_done = false;
};

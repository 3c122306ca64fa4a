#include "FuzzScratch.h"

#include <QFile>
#include <QTemporaryDir>

QString scratchFolder() {
    static QTemporaryDir folder;
    FUZZ_CHECK(folder.isValid());
    return folder.path();
}

bool putFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

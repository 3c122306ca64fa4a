#include "FuzzScratch.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

// Qt's readers warn about every broken input; the fuzzer's log is for its own figures.
[[maybe_unused]] const QtMessageHandler kQuiet =
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});

} // namespace

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

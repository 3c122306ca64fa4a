#include "settings/files/SettingsFiles.h"

#include "components/RegularFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace settingsfiles {

namespace {

constexpr char kLineEnd[] = "\r\n";
// The readers need only the first fields; a larger file is read no further than this.
constexpr qint64 kMaxReadBytes = 1 << 20;

struct CodePage {
    std::array<char16_t, 256> toUnicode{};
    QHash<char32_t, char> fromUnicode;
};

// Built from Qt's decoder, so encoding is exactly its inverse. Without that codec (a Qt built
// without ICU) the files fall back to Latin-1, which agrees with Windows-1252 outside 80..9F.
const CodePage& windows1252() {
    static const CodePage table = [] {
        CodePage page;
        QStringDecoder decoder("windows-1252");
        QByteArray allBytes(256, '\0');
        for (int byte = 0; byte < 256; ++byte)
            allBytes[byte] = char(byte);
        const QString decoded = decoder.isValid() ? decoder.decode(allBytes) : QString();
        const bool usable = decoded.size() == 256 && !decoder.hasError();
        for (int byte = 0; byte < 256; ++byte) {
            page.toUnicode[byte] = usable ? decoded[byte].unicode() : char16_t(byte);
            page.fromUnicode.insert(page.toUnicode[byte], char(byte));
        }
        return page;
    }();
    return table;
}

std::optional<uchar> windows1252Code(char32_t codePoint) {
    const auto found = windows1252().fromUnicode.constFind(codePoint);
    if (found == windows1252().fromUnicode.constEnd())
        return std::nullopt;
    return uchar(*found);
}

bool fitsWindows1252(const QString& text) {
    const QList<uint> codePoints = text.toUcs4();
    return std::all_of(codePoints.begin(), codePoints.end(),
                       [](uint codePoint) { return windows1252Code(codePoint).has_value(); });
}

std::int32_t clampToInt32(double value) {
    if (std::isnan(value))
        return 0;
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    return std::int32_t(std::clamp(std::nearbyint(value), kMin, kMax));
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The decimal value at the start of a token: an optional sign, digits, an optional fraction.
// Anything else ends it; a token without a digit is 0.
std::int32_t parseNumber(QByteArrayView token) {
    qsizetype pos = 0;
    const bool negative = pos < token.size() && token[pos] == '-';
    if (pos < token.size() && (token[pos] == '-' || token[pos] == '+'))
        ++pos;
    // from_chars wants a digit before the point: "0" leads, and leading zeros are dropped.
    std::string digits = "0";
    qsizetype wholeDigits = 0;
    for (; pos < token.size() && isDigit(token[pos]); ++pos, ++wholeDigits) {
        if (digits.size() > 1 || token[pos] != '0')
            digits += token[pos];
    }
    const qsizetype significantWholeDigits = qsizetype(digits.size()) - 1;
    qsizetype fractionDigits = 0;
    if (pos < token.size() && token[pos] == '.') {
        digits += '.';
        for (++pos; pos < token.size() && isDigit(token[pos]); ++pos, ++fractionDigits)
            digits += token[pos];
    }
    if (wholeDigits + fractionDigits == 0)
        return 0;
    const double sign = negative ? -1.0 : 1.0;
    if (significantWholeDigits > 10) // far beyond 32 bits whatever the fraction
        return clampToInt32(sign * std::numeric_limits<double>::infinity());
    double magnitude = 0.0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    if (result.ec != std::errc{})
        return 0; // only an underflow of a long fraction gets here
    return clampToInt32(sign * magnitude);
}

std::optional<QByteArray> readFileStart(const QString& path) {
    RegularFile file(path);
    return file.read(kMaxReadBytes);
}

// Writes the temporary file; the name is taken only at commit.
bool writeTemporary(QSaveFile& file, const SettingsFile& content) {
    // Unbuffered, so that a short write is seen here: a buffered one failing only at commit
    // still lets the half-written file take the name.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (content.permissions && !file.setPermissions(content.permissions))
        return false;
    return file.write(content.content) == content.content.size();
}

WriteResult refused(const QString& folder, const QString& name, const QString& reason) {
    return {false, name, {QDir::toNativeSeparators(folder) + QStringLiteral(": ") + reason}};
}

QStringList spellingsOf(const QString& folder, const QString& name) {
    QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                 QDir::NoDotAndDotDot);
    entries.removeIf(
        [&](const QString& entry) { return entry.compare(name, Qt::CaseInsensitive) != 0; });
    std::sort(entries.begin(), entries.end());
    return entries;
}

// Where a link leads, followed as QSaveFile follows it; the path itself when it is no link.
QString linkTarget(const QString& path) {
    QFileInfo info(path);
    for (int depth = 0; depth < 128 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? path : info.filePath();
}

void removeOtherSpellings(const QString& folder, const QString& name, const QString& kept) {
    for (const QString& entry : spellingsOf(folder, name)) {
        const QString path = folder + '/' + entry;
        if (path != kept)
            QFile::remove(path);
    }
}

} // namespace

QString programFolder() {
    return QCoreApplication::applicationDirPath();
}

QByteArray encodeText(const QString& text) {
    if (!fitsWindows1252(text))
        return text.toUtf8();
    QByteArray bytes;
    for (char32_t codePoint : text.toUcs4())
        bytes += char(*windows1252Code(codePoint));
    return bytes;
}

QString decodeText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8.decode(bytes);
    if (!utf8.hasError() && !fitsWindows1252(asUtf8))
        return asUtf8;
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = QChar(windows1252().toUnicode[uchar(bytes[i])]);
    return text;
}

std::int32_t passwordCharacterNumber(char32_t codePoint) {
    const auto code = windows1252Code(codePoint);
    return (code ? std::int32_t(*code) : std::int32_t(codePoint)) + 12;
}

bool fitsQuotedLine(const QString& text) {
    return !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\r')) &&
           !text.contains(QLatin1Char('\n'));
}

QByteArray quotedLine(const QString& text) {
    return '"' + encodeText(text) + '"' + kLineEnd;
}

QByteArray numberLine(std::int32_t value) {
    return QByteArray::number(value) + kLineEnd;
}

bool FieldReader::atSeparator() const {
    const char c = m_bytes[m_pos];
    return c == ',' || c == '\r' || c == '\n';
}

void FieldReader::skipSpaces() {
    while (!atEnd() && m_bytes[m_pos] == ' ')
        ++m_pos;
}

void FieldReader::finishField() {
    while (!atEnd() && !atSeparator())
        ++m_pos;
    if (atEnd())
        return;
    const bool carriageReturn = m_bytes[m_pos] == '\r';
    ++m_pos;
    if (carriageReturn && !atEnd() && m_bytes[m_pos] == '\n')
        ++m_pos;
}

std::optional<QString> FieldReader::nextText() {
    if (atEnd())
        return std::nullopt;
    skipSpaces();
    qsizetype start = m_pos;
    qsizetype end = m_pos;
    if (!atEnd() && m_bytes[m_pos] == '"') {
        start = m_pos + 1;
        end = m_bytes.indexOf('"', start);
        if (end < 0)
            end = m_bytes.size();
        m_pos = std::min(end + 1, m_bytes.size());
    } else {
        while (!atEnd() && !atSeparator())
            ++m_pos;
        end = m_pos;
        while (end > start && m_bytes[end - 1] == ' ')
            --end;
    }
    finishField();
    return decodeText(m_bytes.sliced(start, end - start));
}

std::optional<std::int32_t> FieldReader::nextNumber() {
    if (atEnd())
        return std::nullopt;
    skipSpaces();
    const qsizetype start = m_pos;
    while (!atEnd() && !atSeparator() && m_bytes[m_pos] != ' ')
        ++m_pos;
    const std::int32_t value = parseNumber(QByteArrayView(m_bytes).sliced(start, m_pos - start));
    // A space ends the number; what follows it on the line is the next field.
    skipSpaces();
    if (!atEnd() && atSeparator())
        finishField();
    return value;
}

QString settingsPath(const QString& folder, const QString& name) {
    const QStringList spellings = spellingsOf(folder, name);
    return folder + '/' + (spellings.isEmpty() ? name : spellings.first());
}

WriteResult replaceFiles(const QString& folder, const QList<SettingsFile>& files) {
    FileChanges changes;
    WriteResult result = changes.replace(folder, files);
    if (result)
        changes.keep();
    return result;
}

WriteResult FileChanges::replace(const QString& folder, const QList<SettingsFile>& files) {
    std::vector<std::unique_ptr<QSaveFile>> written;
    for (const SettingsFile& file : files) {
        // Written through a link, as QSaveFile does: the link stays and its target is replaced.
        written.push_back(std::make_unique<QSaveFile>(linkTarget(settingsPath(folder, file.name))));
        if (!writeTemporary(*written.back(), file))
            return refused(folder, file.name, written.back()->errorString());
    }
    const std::size_t first = m_steps.size();
    for (std::size_t index = 0; index < written.size(); ++index) {
        QSaveFile& file = *written[index];
        const QString& name = files[qsizetype(index)].name;
        const Step step{file.fileName(), {}, folder, name, settingsPath(folder, name)};
        if (const QString why = moveAside(file.fileName(), step); !why.isEmpty()) {
            undoFrom(first);
            return refused(folder, name, why);
        }
        if (!file.commit()) {
            undoFrom(first);
            return refused(folder, name, file.errorString());
        }
    }
    return {true, {}, {}};
}

bool FileChanges::remove(const QString& folder, const QList<SettingsFile>& files) {
    const std::size_t first = m_steps.size();
    for (const SettingsFile& file : files) {
        for (const QString& entry : spellingsOf(folder, file.name)) {
            const QString path = folder + '/' + entry;
            if (QFileInfo(path).isDir() || !moveAside(path, {path, {}, {}, {}, {}}).isEmpty()) {
                undoFrom(first);
                return false;
            }
        }
    }
    return true;
}

void FileChanges::keep() {
    for (const Step& step : m_steps) {
        if (!step.movedAside.isEmpty())
            QFile::remove(step.movedAside);
        if (!step.name.isEmpty())
            removeOtherSpellings(step.folder, step.name, step.spelling);
    }
    m_steps.clear();
}

void FileChanges::undo() {
    undoFrom(0);
}

QString FileChanges::moveAside(const QString& path, Step step) {
    if (QFileInfo::exists(path)) {
        // A name of its own is taken first, so the rename replaces nothing else.
        QTemporaryFile aside(path + QStringLiteral(".old-XXXXXX"));
        if (!aside.open())
            return aside.errorString();
        if (::rename(QFile::encodeName(path).constData(),
                     QFile::encodeName(aside.fileName()).constData()) != 0)
            return qt_error_string(errno);
        aside.setAutoRemove(false);
        step.movedAside = aside.fileName();
    }
    m_steps.push_back(std::move(step));
    return {};
}

void FileChanges::undoFrom(std::size_t first) {
    while (m_steps.size() > first) {
        const Step step = m_steps.back();
        m_steps.pop_back();
        if (step.movedAside.isEmpty())
            QFile::remove(step.path);
        else
            ::rename(QFile::encodeName(step.movedAside).constData(),
                     QFile::encodeName(step.path).constData());
    }
}

QList<SettingsFile> pictureFiles(const QString& picturePath, float width, float height) {
    return {{kPictureNameFile, quotedLine(picturePath)},
            {kPictureSizeFile, numberLine(clampToInt32(width)) + numberLine(clampToInt32(height))}};
}

QList<SettingsFile> captionFiles(const QString& caption) {
    return {{kCaptionFile, quotedLine(caption)}};
}

QList<SettingsFile> passwordFiles(const QString& password, const std::function<double()>& random) {
    QByteArray lines;
    for (char32_t codePoint : password.toUcs4()) {
        const int noise = std::clamp(int(std::floor(random() * 200.0)), 0, 199) + 50;
        lines += numberLine(noise);
        lines += numberLine(passwordCharacterNumber(codePoint));
    }
    return {{kPasswordFile, lines, QFileDevice::ReadOwner | QFileDevice::WriteOwner}};
}

std::optional<QString> readPicturePath(const QString& folder) {
    const auto bytes = readFileStart(settingsPath(folder, "picnam.dat"));
    if (!bytes)
        return std::nullopt;
    return FieldReader(*bytes).nextText();
}

std::optional<PictureSize> readPictureSize(const QString& folder) {
    const auto bytes = readFileStart(settingsPath(folder, "picdim.dat"));
    if (!bytes)
        return std::nullopt;
    FieldReader reader(*bytes);
    const auto width = reader.nextNumber();
    const auto height = reader.nextNumber();
    if (!width || !height)
        return std::nullopt;
    return PictureSize{*width, *height};
}

std::optional<QString> readCaption(const QString& folder) {
    const auto bytes = readFileStart(settingsPath(folder, kCaptionFile));
    if (!bytes)
        return std::nullopt;
    return FieldReader(*bytes).nextText();
}

} // namespace settingsfiles

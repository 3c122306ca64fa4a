// The settings files' reader on anything found under the four names, in any spelling of them:
// fields split as the line format says, numbers exact, texts free of their separators, the
// readers finding a file whatever its letter case, and what the writers store read back whole.
// The first byte of an input picks the name and its spelling, the rest is the file.
#include "FuzzScratch.h"

#include "settings/files/SettingsFiles.h"

#include <QDir>
#include <QFile>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace settingsfiles;

namespace {

constexpr std::array kSpellings{"picnam.dat", "PICNAM.DAT", "PicNam.Dat",  "picdim.dat",
                                "PICDIM.DAT", "pICdIM.dAT", "caption.dat", "CAPTION.DAT",
                                "MEAS.DAT",   "meas.dat"};

bool isSeparator(char c) {
    return c == ',' || c == '\r' || c == '\n';
}

// The token a number field reads: from the first character that is not a space to the next
// space, comma or line end.
QByteArray numberToken(const QByteArray& bytes) {
    qsizetype start = 0;
    while (start < bytes.size() && bytes[start] == ' ')
        ++start;
    qsizetype end = start;
    while (end < bytes.size() && !isSeparator(bytes[end]) && bytes[end] != ' ')
        ++end;
    return bytes.sliced(start, end - start);
}

// Plain decimals of at most nine whole and six fraction digits: their value is exactly known.
std::optional<std::int32_t> plainValue(const QByteArray& token) {
    const std::string text = token.toStdString();
    qsizetype pos = text.starts_with('-') ? 1 : 0;
    const auto digitsFrom = [&](qsizetype from) {
        qsizetype end = from;
        while (end < qsizetype(text.size()) && std::isdigit(uchar(text[end])))
            ++end;
        return end - from;
    };
    const qsizetype whole = digitsFrom(pos);
    pos += whole;
    qsizetype fraction = 0;
    if (pos < qsizetype(text.size()) && text[pos] == '.') {
        fraction = digitsFrom(pos + 1);
        pos += 1 + fraction;
    }
    if (pos != qsizetype(text.size()) || whole < 1 || whole > 9 || fraction > 6)
        return std::nullopt;
    return std::int32_t(std::nearbyint(std::strtod(text.c_str(), nullptr)));
}

void checkFields(const QByteArray& bytes) {
    FieldReader texts(bytes);
    const std::optional<QString> first = FieldReader(bytes).nextText();
    FUZZ_CHECK(first.has_value() == !bytes.isEmpty());
    qsizetype fields = 0;
    while (const std::optional<QString> text = texts.nextText()) {
        FUZZ_CHECK(++fields <= bytes.size()); // every field takes at least one byte
        FUZZ_CHECK(text->size() <= bytes.size());
        // A value holding a double quote was unquoted: it ran to the field's end, trimmed.
        if (text->contains('"'))
            FUZZ_CHECK(!text->contains(',') && !text->contains('\r') && !text->contains('\n') &&
                       !text->startsWith(' ') && !text->endsWith(' '));
    }
    FieldReader numbers(bytes);
    fields = 0;
    while (numbers.nextNumber())
        FUZZ_CHECK(++fields <= bytes.size());
    if (const auto expected = plainValue(numberToken(bytes)); expected && !bytes.isEmpty())
        FUZZ_CHECK(FieldReader(bytes).nextNumber() == expected);
}

void checkReaders(const QString& folder, const char* spelling, const QByteArray& bytes) {
    const QString name = QString::fromLatin1(spelling).toLower();
    FieldReader reader(bytes);
    if (name == "picnam.dat") {
        FUZZ_CHECK(readPicturePath(folder) == reader.nextText());
    } else if (name == "picdim.dat") {
        const auto width = reader.nextNumber();
        const auto height = reader.nextNumber();
        const auto size = readPictureSize(folder);
        FUZZ_CHECK(size.has_value() == (width && height));
        FUZZ_CHECK(!size || (size->width == *width && size->height == *height));
    } else if (name == "caption.dat") {
        FUZZ_CHECK(readCaption(folder) == reader.nextText());
    }
}

// A caption stored is read back as the bytes before its first double quote, which the file
// cannot escape; every line of bytes is the encoding of the text it reads as.
void checkCaptionRoundTrip(const QString& folder, const QByteArray& bytes) {
    const QByteArray line = bytes.split('\r').front().split('\n').front();
    const QString caption = decodeText(line);
    FUZZ_CHECK(encodeText(caption) == line);
    writeCaption(folder, caption);
    FUZZ_CHECK(readCaption(folder) == decodeText(encodeText(caption).split('"').front()));
}

// A password of n characters is 2 n lines: noise from 50 to 249, then the character's number:
// its Windows-1252 code plus 12, or for any other character its code point plus 12. The C1
// controls the code page leaves out (U+0088, say) thus share their numbers with its letters
// there, which nothing tells apart: the file is never read.
void checkPassword(const QString& folder, const QByteArray& bytes) {
    const QString password = decodeText(bytes.left(64));
    const QList<uint> characters = password.toUcs4();
    qsizetype draws = 0;
    writePassword(folder, password, [&] {
        const uchar byte = draws < bytes.size() ? uchar(bytes[draws]) : 0;
        ++draws;
        return byte == 255 ? std::nextafter(1.0, 0.0) : byte / 256.0;
    });
    QFile file(folder + "/MEAS.DAT");
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    const QByteArray stored = file.readAll();
    FUZZ_CHECK(stored.count("\r\n") == 2 * characters.size());
    FieldReader reader(stored);
    for (const char32_t character : characters) {
        const auto noise = reader.nextNumber();
        const auto code = reader.nextNumber();
        FUZZ_CHECK(noise && *noise >= 50 && *noise <= 249);
        FUZZ_CHECK(code && *code >= 12);
        const QByteArray inCodePage = encodeText(QString::fromUcs4(&character, 1));
        FUZZ_CHECK(inCodePage.size() == 1 ? *code - 12 == uchar(inCodePage[0])
                                          : char32_t(*code - 12) == character);
    }
    FUZZ_CHECK(!reader.nextNumber());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const char* spelling = kSpellings[data[0] % kSpellings.size()];
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    checkFields(bytes);

    const QString folder = scratchFolder();
    FUZZ_CHECK(putFile(folder + '/' + spelling, bytes));
    checkReaders(folder, spelling, bytes);
    QFile::remove(folder + '/' + spelling);
    if (data[0] & 0x80)
        checkCaptionRoundTrip(folder, bytes);
    else if (data[0] & 0x40)
        checkPassword(folder, bytes);
    for (const QString& left : QDir(folder).entryList(QDir::Files))
        QFile::remove(folder + '/' + left);
    return 0;
}

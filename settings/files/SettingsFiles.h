#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// The only code that knows the settings files' bytes: 8-bit Windows-1252 text, one value a line,
// every line ending in CR LF. Quoted lines hold text, number lines hold whole numbers.
namespace settingsfiles {

inline constexpr const char* kPictureNameFile = "PICNAM.DAT";
inline constexpr const char* kPictureSizeFile = "PICDIM.DAT";
inline constexpr const char* kCaptionFile = "caption.dat";
inline constexpr const char* kPasswordFile = "MEAS.DAT";

// Line forms.
QByteArray quotedLine(const QString& text);
QByteArray numberLine(std::int32_t value);

// Reads fields, separated by commas and line ends, from the start of a file's bytes.
class FieldReader {
public:
    explicit FieldReader(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    // nullopt when the file ends before the field.
    std::optional<QString> nextText();
    std::optional<std::int32_t> nextNumber();

private:
    QByteArray m_bytes;
    qsizetype m_pos = 0;
};

// The path of a settings file in the folder, found without regard to letter case; the name as
// given when no spelling of it exists.
QString settingsPath(const QString& folder, const QString& name);

// Replaces the file whole. Failures are silent: the callers go on whatever happens.
void replaceFile(const QString& folder, const QString& name, const QByteArray& content);

// Writers of the four settings.
void writePicture(const QString& folder, const QString& picturePath, float width, float height);
void writeCaption(const QString& folder, const QString& caption);
// random() gives numbers in [0, 1); it is reseeded from the clock before every character.
void writePassword(const QString& folder, const QString& password,
                   const std::function<double()>& random);

// Readers: nullopt when the file cannot be opened or ends before a value asked for.
std::optional<QString> readPicturePath(const QString& folder);
struct PictureSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};
std::optional<PictureSize> readPictureSize(const QString& folder);
std::optional<QString> readCaption(const QString& folder);

} // namespace settingsfiles

#pragma once

#include <QByteArray>
#include <QFileDevice>
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

// The program's folder (the executable's); a settings file's path is this, "/" and the name.
QString programFolder();

// Text in the files' 8-bit code page, Windows-1252; a character it cannot hold becomes "?".
QByteArray toCodePage(const QString& text);
QString fromCodePage(const QByteArray& bytes);

// Line forms.
QByteArray quotedLine(const QString& text);
QByteArray numberLine(std::int32_t value);

// Reads fields, separated by commas and line ends, from the start of a file's bytes.
class FieldReader {
  public:
    explicit FieldReader(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    // nullopt when the file ends before the field. An unquoted text loses its trailing spaces;
    // a quoted one ends at the next double quote, and the rest of its field is skipped.
    std::optional<QString> nextText();
    // A number ends at a space, comma or line end; it is rounded half to even and held to 32
    // bits (larger values are clamped). A field without a number reads as 0.
    std::optional<std::int32_t> nextNumber();

  private:
    bool atEnd() const { return m_pos >= m_bytes.size(); }
    bool atSeparator() const;
    void skipSpaces();
    // Moves past the rest of the field and the comma or line end (CR LF, CR or LF) after it.
    void finishField();

    QByteArray m_bytes;
    qsizetype m_pos = 0;
};

// The path of a settings file in the folder, found without regard to letter case; the name as
// given when no spelling of it exists.
QString settingsPath(const QString& folder, const QString& name);

// Replaces the file whole: written to a temporary file in the folder and renamed over whichever
// spelling of the name exists, so a failed write leaves the old file intact. When that cannot be
// done but the old file can be appended to, the content is appended. Failures are silent: the
// callers go on whatever happens. false when the content could not be stored at all. Given
// permissions are set on the file before it takes the name; none keeps the usual mode.
bool replaceFile(const QString& folder, const QString& name, const QByteArray& content,
                 QFileDevice::Permissions permissions = {});

// Writers of the four settings.
void writePicture(const QString& folder, const QString& picturePath, float width, float height);
void writeCaption(const QString& folder, const QString& caption);
// One noise line and one character line per character (its code point in the code page, "?"
// when it has none, plus 12). random() is called once per character and must give numbers in
// [0, 1); the caller's random function reseeds itself from the clock before each draw. The file
// is readable by its owner only.
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

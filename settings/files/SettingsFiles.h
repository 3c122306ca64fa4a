#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The only code that knows the settings files' bytes: Windows-1252 text (UTF-8 for a text it
// cannot hold), one value a line, every line ending in CR LF. Quoted lines hold text, number
// lines hold whole numbers. These functions work in one folder; SettingsFolders.h chooses it.
namespace settingsfiles {

inline constexpr const char* kPictureNameFile = "PICNAM.DAT";
inline constexpr const char* kPictureSizeFile = "PICDIM.DAT";
inline constexpr const char* kCaptionFile = "caption.dat";
inline constexpr const char* kPasswordFile = "MEAS.DAT";

// The program's folder (the executable's); a settings file's path is this, "/" and the name.
QString programFolder();

// A text is written in Windows-1252 when every character fits it, else in UTF-8. Bytes read
// as UTF-8 only when they are valid UTF-8 and their text does not fit Windows-1252: no text the
// first case writes is misread unless its bytes happen to form such UTF-8 (e.g. "Ð¶").
QByteArray encodeText(const QString& text);
QString decodeText(const QByteArray& bytes);

// A character's number in MEAS.DAT: its Windows-1252 code plus 12 (12 to 267), or for any
// other character its code point plus 12.
std::int32_t passwordCharacterNumber(char32_t codePoint);

// Whether a picture path can be read back whole from its quoted line: no double quote, no line
// end.
bool fitsQuotedLine(const QString& text);

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

// A settings file's new content. Given permissions are set on the file before it takes the
// name; none keeps the usual mode.
struct SettingsFile {
    QString name;
    QByteArray content;
    QFileDevice::Permissions permissions = {};
};

// What became of a write: kept, or the file that was not and why, one "folder: reason" for each
// folder tried.
struct WriteResult {
    bool kept = false;
    QString fileName;
    QStringList reasons;
    explicit operator bool() const { return kept; }
};

// Changes to settings files, in one folder or several, that are undone unless kept: a file that
// is replaced or removed is first moved aside to a free name beside it, and undoing moves it back,
// bytes, mode and spelling as they were.
class FileChanges {
  public:
    FileChanges() = default;
    ~FileChanges() { undo(); }
    FileChanges(const FileChanges&) = delete;
    FileChanges& operator=(const FileChanges&) = delete;

    // Writes each file to a temporary file in the folder; once all are written they take their
    // names, over whichever spelling exists. When one fails, the folder is as it was.
    WriteResult replace(const QString& folder, const QList<SettingsFile>& files);
    // Removes every spelling of the files' names; when one stays, the folder is as it was.
    bool remove(const QString& folder, const QList<SettingsFile>& files);
    void keep();
    void undo();

  private:
    struct Step {
        QString path;       // the file replaced, removed or made
        QString movedAside; // where the old file is kept; empty when there was none
        QString folder;     // for a replaced file: where its other spellings go at keep()
        QString name;
        QString spelling; // the spelling written
    };
    // Why the file could not be moved aside; empty when it was, or when there is none.
    QString moveAside(const QString& path, Step step);
    void undoFrom(std::size_t first);

    std::vector<Step> m_steps;
};

// Replaces the files whole and together (FileChanges::replace, kept when all are written). A
// failed write leaves the old files intact.
WriteResult replaceFiles(const QString& folder, const QList<SettingsFile>& files);
inline WriteResult replaceFile(const QString& folder, const QString& name,
                               const QByteArray& content,
                               QFileDevice::Permissions permissions = {}) {
    return replaceFiles(folder, {{name, content, permissions}});
}

// The four settings' contents.
QList<SettingsFile> pictureFiles(const QString& picturePath, float width, float height);
QList<SettingsFile> captionFiles(const QString& caption);
// One noise line and one character line per character. random() is called once per character
// and must give numbers in [0, 1); the caller's random function reseeds itself from the clock
// before each draw. The file is readable by its owner only.
QList<SettingsFile> passwordFiles(const QString& password, const std::function<double()>& random);

// Writers of the four settings into one folder.
inline WriteResult writePicture(const QString& folder, const QString& picturePath, float width,
                                float height) {
    return replaceFiles(folder, pictureFiles(picturePath, width, height));
}
inline WriteResult writeCaption(const QString& folder, const QString& caption) {
    return replaceFiles(folder, captionFiles(caption));
}
inline WriteResult writePassword(const QString& folder, const QString& password,
                                 const std::function<double()>& random) {
    return replaceFiles(folder, passwordFiles(password, random));
}

// Readers: nullopt when the file cannot be opened or ends before a value asked for.
std::optional<QString> readPicturePath(const QString& folder);
struct PictureSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};
std::optional<PictureSize> readPictureSize(const QString& folder);
std::optional<QString> readCaption(const QString& folder);

} // namespace settingsfiles

#pragma once

#include <QByteArray>
#include <QImage>

// Bitmap files for the picture tests, written byte by byte so that every kind the loader meets
// can be made, the broken ones too.
namespace bmptest {

enum class Encoding { Plain, Rle, Bitfields555, Bitfields565 };

struct Layout {
    int bits = 24;                       // 1, 4, 8, 16, 24 or 32
    Encoding encoding = Encoding::Plain; // Rle needs 4 or 8 bits; Bitfields needs 16
    bool topDown = false;
    bool os2 = false;    // the 12-byte core header, with 3-byte palette entries
    int paletteSize = 0; // 0: as many entries as the bit depth allows
};

// The picture's pixels in the layout. Colours must be those the layout can hold: at most the
// palette's size of them for a palette, and components the bitfields keep whole.
QByteArray bitmapFile(const QImage& picture, const Layout& layout);

// Offsets of the header fields the broken bitmaps change.
inline constexpr int kPixelOffset = 10;
inline constexpr int kWidth = 18;
inline constexpr int kHeight = 22;
inline constexpr int kBitCount = 28;
void put16(QByteArray& bytes, int offset, quint16 value);
void put32(QByteArray& bytes, int offset, quint32 value);

// A small picture of four colours that every layout holds exactly (two for 1-bit), with an odd
// width so that its rows need padding: colour (x + 2 y) mod n at (x, y).
QImage testPicture(int colours = 4, int width = 7, int height = 5);

} // namespace bmptest

#pragma once

// The resource generator: draws every picture and synthesises every sound the game ships.
// Everything here is deterministic: the same build gives the same bytes on every run.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace res {

inline constexpr QRgb kMaskBlue = 0xff0000ff;
inline constexpr QRgb kTargetBackground = 0xff4e4eff; // (78, 78, 255)
inline constexpr int kSampleRate = 44100;

using Samples = std::vector<std::int16_t>;

// A fixed-seed xorshift generator, so noise and jitter are the same on every run.
class Rng {
  public:
    explicit Rng(std::uint32_t seed) : m_state(seed ? seed : 0x9e3779b9u) {}
    std::uint32_t next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    // Uniform in [0, 1).
    double unit() { return double(next() >> 8) / double(1u << 24); }
    // Uniform in [-1, 1).
    double signedUnit() { return unit() * 2.0 - 1.0; }

  private:
    std::uint32_t m_state;
};

// Painting: a transparent canvas, antialiased, handed to a drawing function.
QImage paintTransparent(QSize size, const std::function<void(QPainter&)>& draw);
QImage paintOn(QSize size, QRgb background, const std::function<void(QPainter&)>& draw);
// Puts a transparent drawing on the mask colour without letting the two blend: a pixel at least
// half covered takes the shape's own colour, any other pixel is exactly the mask colour.
QImage onMask(const QImage& transparentDrawing, QRgb mask = kMaskBlue);
// Reduces a masked picture to 256 colours: index 0 is the mask colour, the rest the shape's.
QImage quantizeWithMask(const QImage& picture, QRgb mask = kMaskBlue);

// File bytes.
QByteArray bmp24(const QImage& picture);
QByteArray bmp8(const QImage& indexed);
QByteArray wav16Mono(const Samples& samples);
QByteArray png(const QImage& picture);
bool writeFile(const QString& path, const QByteArray& bytes);

// Pictures.
QList<QImage> imageList1();
QImage dartMark();
QImage lipsMark();
QImage bulletHoleMark();
QImage suctionCupMark();
QImage shotgunLauncher();
QImage suctionCupLauncher();
QImage handLauncher();
QImage dartLauncher();
QList<QImage> bannerFrames(const QString& address);
QImage targetFigure();
QImage startSplash();
QImage startDart();
QImage startSuctionDart();
QImage deskIcon(int size);
QImage contactSheet(const QList<QPair<QString, QImage>>& pictures);

// Sounds.
Samples shootSound();
Samples dartSound();
Samples loveSound();
Samples suctionSound();
Samples guitarPiece();

// Drawing helpers shared by the picture files.
// A cylinder-shaded band across the line from a to b: dark edges, a light stripe left of centre.
QLinearGradient cylinderShade(QPointF a, QPointF b, QColor base);
// A tapered capsule from a (width wa) to b (width wb).
QPainterPath capsule(QPointF a, QPointF b, double wa, double wb);

} // namespace res

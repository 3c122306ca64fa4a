// The banner frames: white letters of a fourteen-segment display, with a soft glow, on blue.

#include "make_resources.h"

#include <QHash>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace res {

namespace {

constexpr int kWidth = 468, kHeight = 60;
constexpr double kGlyphWidth = 18, kGlyphHeight = 36, kStroke = 3.8, kSlant = 0.09;
constexpr double kCell = 22, kTop = 12;

// The segments of one character cell.
enum Segment : unsigned {
    Top = 1u << 0,
    TopRight = 1u << 1,
    BottomRight = 1u << 2,
    Bottom = 1u << 3,
    BottomLeft = 1u << 4,
    TopLeft = 1u << 5,
    MiddleLeft = 1u << 6,
    MiddleRight = 1u << 7,
    DiagonalUpLeft = 1u << 8,
    CentreUp = 1u << 9,
    DiagonalUpRight = 1u << 10,
    DiagonalDownLeft = 1u << 11,
    CentreDown = 1u << 12,
    DiagonalDownRight = 1u << 13,
    CentreDot = 1u << 14,
    LongCentreUp = 1u << 15, // the stroke of "!"
    VeeLeft = 1u << 16,      // the lower arms of "V"
    VeeRight = 1u << 17,
};
constexpr unsigned kFrame = Top | TopRight | BottomRight | Bottom | BottomLeft | TopLeft;
constexpr unsigned kMiddle = MiddleLeft | MiddleRight;
constexpr unsigned kLeft = TopLeft | BottomLeft, kRight = TopRight | BottomRight;

unsigned segmentsOf(QChar c) {
    static const QHash<QChar, unsigned> table = {
        {'A', kLeft | kRight | Top | kMiddle},
        {'C', Top | kLeft | Bottom},
        {'D', Top | kRight | Bottom | CentreUp | CentreDown},
        {'E', Top | kLeft | Bottom | MiddleLeft},
        {'F', Top | kLeft | MiddleLeft},
        {'H', kLeft | kRight | kMiddle},
        {'I', Top | Bottom | CentreUp | CentreDown},
        {'K', kLeft | MiddleLeft | DiagonalUpRight | DiagonalDownRight},
        {'L', kLeft | Bottom},
        {'M', kLeft | kRight | DiagonalUpLeft | DiagonalUpRight},
        {'N', kLeft | kRight | DiagonalUpLeft | DiagonalDownRight},
        {'O', kFrame},
        {'P', Top | TopRight | kLeft | kMiddle},
        {'R', Top | TopRight | kLeft | kMiddle | DiagonalDownRight},
        {'S', Top | TopLeft | kMiddle | BottomRight | Bottom},
        {'T', Top | CentreUp | CentreDown},
        {'U', kLeft | kRight | Bottom},
        {'V', TopLeft | TopRight | VeeLeft | VeeRight},
        {'W', kLeft | kRight | DiagonalDownLeft | DiagonalDownRight},
        {'X', DiagonalUpLeft | DiagonalUpRight | DiagonalDownLeft | DiagonalDownRight},
        {'!', LongCentreUp | CentreDot},
    };
    return table.value(c, 0);
}

// A segment bar with pointed ends, from a to b.
QPolygonF bar(QPointF a, QPointF b) {
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    const QPointF u = d / length, n(-u.y(), u.x());
    const double h = kStroke / 2;
    return QPolygonF(
        {a, a + u * h + n * h, b - u * h + n * h, b, b - u * h - n * h, a + u * h - n * h});
}

QPainterPath glyphPath(unsigned segments, bool dotAfter) {
    const double w = kGlyphWidth, h = kGlyphHeight, m = h / 2, c = w / 2, g = 0.8;
    const double s = kStroke / 2;
    struct Piece {
        Segment segment;
        QPointF a, b;
    };
    const Piece pieces[] = {
        {Top, {s + g, s}, {w - s - g, s}},
        {Bottom, {s + g, h - s}, {w - s - g, h - s}},
        {MiddleLeft, {s + g, m}, {c - g, m}},
        {MiddleRight, {c + g, m}, {w - s - g, m}},
        {TopLeft, {s, s + g}, {s, m - g}},
        {BottomLeft, {s, m + g}, {s, h - s - g}},
        {TopRight, {w - s, s + g}, {w - s, m - g}},
        {BottomRight, {w - s, m + g}, {w - s, h - s - g}},
        {CentreUp, {c, s + g}, {c, m - g}},
        {CentreDown, {c, m + g}, {c, h - s - g}},
        {DiagonalUpLeft, {2 * s + g, 2 * s + g}, {c - s * 0.7, m - s - g}},
        {DiagonalUpRight, {w - 2 * s - g, 2 * s + g}, {c + s * 0.7, m - s - g}},
        {DiagonalDownLeft, {2 * s + g, h - 2 * s - g}, {c - s * 0.7, m + s + g}},
        {DiagonalDownRight, {w - 2 * s - g, h - 2 * s - g}, {c + s * 0.7, m + s + g}},
        {LongCentreUp, {c, s}, {c, h - 2 * kStroke - g}},
        {VeeLeft, {s, m + g}, {c - s * 0.3, h - s}},
        {VeeRight, {w - s, m + g}, {c + s * 0.3, h - s}},
    };
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const Piece& piece : pieces)
        if (segments & piece.segment)
            path.addPolygon(bar(piece.a, piece.b));
    if (segments & CentreDot)
        path.addRect(QRectF(c - s, h - kStroke, kStroke, kStroke));
    if (dotAfter)
        path.addRect(QRectF(w + 0.6, h - 3.0, 3.0, 3.0));
    return path;
}

// The letters of a line, the cell's left edge at x, the letters' tops at y. A full stop takes
// no cell of its own: it lights the dot of the letter before it.
QPainterPath linePath(const QString& text, double x, double y) {
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('.'))
            continue;
        const bool dot = i + 1 < text.size() && text[i + 1] == QLatin1Char('.');
        QTransform place;
        place.translate(x + (kCell - kGlyphWidth) / 2, y);
        place.shear(-kSlant, 0);
        place.translate(kSlant * kGlyphHeight, 0);
        path.addPath(place.map(glyphPath(segmentsOf(text[i]), dot)));
        x += kCell;
    }
    return path;
}

double lineWidth(const QString& text) {
    return kCell * (text.size() - text.count('.'));
}

// Box blur of a coverage map: the glow around the lit segments.
std::vector<float> blurred(const std::vector<float>& in, int radius) {
    std::vector<float> out(in.size());
    std::vector<float> pass(in.size());
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            float sum = 0;
            for (int dx = -radius; dx <= radius; ++dx)
                sum += in[std::size_t(y * kWidth + std::clamp(x + dx, 0, kWidth - 1))];
            pass[std::size_t(y * kWidth + x)] = sum / float(2 * radius + 1);
        }
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            float sum = 0;
            for (int dy = -radius; dy <= radius; ++dy)
                sum += pass[std::size_t(std::clamp(y + dy, 0, kHeight - 1) * kWidth + x)];
            out[std::size_t(y * kWidth + x)] = sum / float(2 * radius + 1);
        }
    return out;
}

// White where lit, blue elsewhere, and only the mix of the two between: red equals green and
// blue stays full.
QImage frame(const QString& text, double x, double y) {
    const QImage lit = paintTransparent({kWidth, kHeight}, [&](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPath(linePath(text, x, y));
    });
    std::vector<float> cover(std::size_t(kWidth * kHeight));
    for (int py = 0; py < kHeight; ++py)
        for (int px = 0; px < kWidth; ++px)
            cover[std::size_t(py * kWidth + px)] = float(qAlpha(lit.pixel(px, py))) / 255.0f;
    const std::vector<float> glow = blurred(cover, 3);
    QImage out(kWidth, kHeight, QImage::Format_RGB32);
    for (int py = 0; py < kHeight; ++py)
        for (int px = 0; px < kWidth; ++px) {
            const std::size_t i = std::size_t(py * kWidth + px);
            const float v = cover[i] + (1 - cover[i]) * std::min(1.0f, glow[i] * 0.9f) * 0.45f;
            const int level = int(v * 255.0f + 0.5f);
            out.setPixel(px, py, qRgb(level, level, 255));
        }
    return out;
}

} // namespace

QList<QImage> bannerFrames(const QString& address) {
    QList<QImage> frames;
    const QString rent = QStringLiteral("SPACE FOR RENT !!!");
    const double rentX = (kWidth - lineWidth(rent)) / 2;
    for (int hidden : {13, 9, 5, 2, 0}) // characters still off the left edge
        frames.append(frame(rent, rentX - hidden * kCell, kTop));
    const QString advertise = QStringLiteral("ADVERTISE WITH US !!!");
    const double advertiseX = (kWidth - lineWidth(advertise)) / 2;
    for (int hidden : {18, 14, 10, 6, 3, 0}) // characters still off the right edge
        frames.append(frame(advertise, advertiseX + hidden * kCell, kTop));
    const double addressX = (kWidth - lineWidth(address)) / 2;
    const double top = kTop, third = kHeight - 0.3 * kGlyphHeight,
                 half = kHeight - 0.5 * kGlyphHeight;
    for (double y : {third, half, top, top, top})
        frames.append(frame(address, addressX, y));
    return frames;
}

} // namespace res

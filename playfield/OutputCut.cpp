#include "playfield/OutputCut.h"

#include "components/Units.h"

namespace {

int rounded(double value) {
    return int(units::roundHalfEven(value));
}

QRect boundingBox(const std::vector<QRect>& outputs, QRect chosen) {
    QRect box = chosen;
    for (const QRect& output : outputs)
        box |= output;
    return box;
}

} // namespace

std::optional<OutputCut> cutOutput(QSize picture, const std::vector<QRect>& outputs, QRect chosen,
                                   double scale) {
    const QRect layout = boundingBox(outputs, chosen);
    if (chosen.isEmpty() || picture.isEmpty() || scale <= 0)
        return std::nullopt;
    // The picture's own size says its scale, whatever the outputs claim.
    const double factorX = double(picture.width()) / layout.width();
    const double factorY = double(picture.height()) / layout.height();
    const int left = rounded((chosen.left() - layout.left()) * factorX);
    const int top = rounded((chosen.top() - layout.top()) * factorY);
    const int right = rounded((chosen.left() + chosen.width() - layout.left()) * factorX);
    const int bottom = rounded((chosen.top() + chosen.height() - layout.top()) * factorY);
    const QRect source = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1))
                             .intersected(QRect(QPoint(0, 0), picture));
    if (source.isEmpty())
        return std::nullopt;
    // A picture that holds the layout pixel for pixel but not at this output's scale was not
    // taken at the largest scale of a logical layout: the layout is in device pixels, and so is
    // the picture.
    const auto between = [scale](int pictured, int laidOut) {
        return pictured + 1 >= laidOut && pictured + 1 < laidOut * scale;
    };
    const bool deviceLayout =
        between(picture.width(), layout.width()) && between(picture.height(), layout.height());
    if (deviceLayout)
        return OutputCut{source, source.size()};
    return OutputCut{source,
                     QSize(rounded(chosen.width() * scale), rounded(chosen.height() * scale))};
}

QImage cutOutOutput(const QImage& picture, const std::vector<QRect>& outputs, QRect chosen,
                    double scale) {
    const auto cut = cutOutput(picture.size(), outputs, chosen, scale);
    if (!cut)
        return {};
    QImage part = picture.copy(cut->source);
    if (part.size() != cut->target)
        part = part.scaled(cut->target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    part = std::move(part).convertToFormat(QImage::Format_RGB32);
    part.setDevicePixelRatio(scale);
    return part;
}

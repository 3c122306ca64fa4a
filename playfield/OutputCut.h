#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

#include <optional>
#include <vector>

// Where one output lies in a picture of the whole desktop layout, as the desktop portal takes it:
// every output in one picture. A compositor that lays its outputs out in logical pixels (sway,
// KWin) pictures them at the largest output scale; one that lays them out in device pixels
// (mutter without scaled framebuffers, where an output's reported geometry is its device pixels
// and only its surfaces are scaled) pictures every output pixel for pixel.
struct OutputCut {
    QRect source; // pixels of the picture that show the output
    QSize target; // the output's own device pixels
};

// `outputs` are the geometries of every output as the compositor reports them, `chosen` one of
// them and `scale` its device pixel ratio. The picture spans the outputs' bounding box; edges are
// rounded half to even, so outputs side by side share no pixel and leave none out. None when the
// output is not in the picture.
std::optional<OutputCut> cutOutput(QSize picture, const std::vector<QRect>& outputs, QRect chosen,
                                   double scale);

// The chosen output's part of a layout picture, in its own device pixels and at its scale; a null
// image when the output is not in it.
QImage cutOutOutput(const QImage& picture, const std::vector<QRect>& outputs, QRect chosen,
                    double scale);

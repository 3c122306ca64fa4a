#pragma once

#include "components/Units.h"

#include <QColor>
#include <QFont>

class QLabel;
class QLineEdit;
class QWidget;

// Places a widget at a position and size given in twips.
void placeInTwips(QWidget* widget, const units::ScreenMetrics& metrics, double left, double top,
                  double width, double height);

// The game's fonts are "MS Sans Serif"; where it is missing, the nearest sans-serif stands in.
QFont gameFont(double pointSize, bool bold);

// A password box: a "*" for every character, and no input method.
void showAsterisks(QLineEdit* box);

// Gives a widget an opaque background and its text colour.
void setColours(QWidget* widget, QColor background, QColor text);

// Where the stand-in font is wider than the game's own, a label's text would be cut off:
// lower the label's point size until its text fits its box.
void shrinkToFit(QLabel* label);

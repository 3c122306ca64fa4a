#pragma once

#include "components/Units.h"

#include <QLabel>

// The preview of the selected bitmap at its natural size, its top-left corner fixed. It keeps its
// size in twips, which "Set Image" writes: the design size until a bitmap has been loaded.
class PreviewImage : public QLabel {
  public:
    PreviewImage(const units::ScreenMetrics& metrics, QPoint topLeftTwips, QWidget* parent);

    // False, with the picture and size left as they were, when the file is not a loadable
    // picture.
    bool load(const QString& path);
    bool hasPicture() const { return m_hasPicture; }
    int widthTwips() const { return m_widthTwips; }
    int heightTwips() const { return m_heightTwips; }

  private:
    units::ScreenMetrics m_metrics;
    int m_widthTwips;
    int m_heightTwips;
    bool m_hasPicture = false;
};

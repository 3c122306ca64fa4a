#pragma once

#include "components/Units.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>

// An image list: numbered images painted at one cell size, optionally leaving a mask colour out.
class ImageList {
  public:
    enum Style { Normal = 0, Transparent = 1 };

    // The picture of an image: its own size, in HIMETRIC whole numbers.
    struct PictureSize {
        int Width = 0;
        int Height = 0;
    };
    struct ListImage {
        PictureSize Picture;
    };

    // The cell size is the size of the first image.
    ImageList(const QList<QImage>& images, QColor maskColour, bool useMaskColour,
              const units::ScreenMetrics& metrics);

    // Loads ":/<folder>/1.bmp", ":/<folder>/2.bmp", ... from the built-in resources.
    static ImageList fromResources(const QString& folder, int count, QColor maskColour,
                                   bool useMaskColour, const units::ScreenMetrics& metrics);

    int Count() const { return int(m_images.size()); }
    QSize cellSize() const { return m_cellSize; }
    // Image i, counting from 1.
    const ListImage& ListImages(int i) const { return m_images.at(i - 1).info; }

    // Paints image i with its top-left corner at (x, y) twips. Returns the surface pixels it
    // touched, clipped to the surface, so the caller can repaint just those.
    QRect Draw(int i, QImage& surface, double x, double y, int style) const;

  private:
    struct Entry {
        ListImage info;
        QImage opaque; // at the cell size
        QImage masked; // at the cell size, the mask colour made transparent
    };

    QSize m_cellSize;
    units::ScreenMetrics m_metrics;
    QList<Entry> m_images;
};

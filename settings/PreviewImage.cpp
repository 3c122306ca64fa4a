#include "settings/PreviewImage.h"

#include "components/PictureLoader.h"
#include "settings/SettingsRules.h"

#include <QPixmap>

PreviewImage::PreviewImage(const units::ScreenMetrics& metrics, QPoint topLeftTwips,
                           QWidget* parent)
    : QLabel(parent), m_metrics(metrics), m_widthTwips(settingsrules::kDesignPreviewWidth),
      m_heightTwips(settingsrules::kDesignPreviewHeight) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setScaledContents(false);
    setGeometry(
        units::toPixels(metrics, topLeftTwips.x(), topLeftTwips.y(), m_widthTwips, m_heightTwips));
}

bool PreviewImage::load(const QString& path) {
    const std::optional<QImage> picture = loadPicture(path);
    if (!picture)
        return false;
    setPixmap(QPixmap::fromImage(*picture));
    resize(picture->size());
    m_widthTwips = settingsrules::pixelsToTwips(picture->width(), m_metrics.twipsPerPixelX());
    m_heightTwips = settingsrules::pixelsToTwips(picture->height(), m_metrics.twipsPerPixelY());
    m_hasPicture = true;
    return true;
}

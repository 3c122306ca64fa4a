#pragma once

#include <QImage>
#include <QRect>

class QScreen;

// The picture of the desktop the play field freezes. A null image means no grab was possible.
class DesktopSource {
  public:
    virtual ~DesktopSource() = default;
    virtual QImage grab() = 0;
};

// The X11 desktop's own pixels, grabbed from the root window of the primary screen.
class X11DesktopSource final : public DesktopSource {
  public:
    QImage grab() override;
};

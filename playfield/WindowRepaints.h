#pragma once

#include <QObject>

#include <functional>

class QRegion;
class QWidget;

// Tells when the window system repaints part of a window. Qt may put an uncovered part back
// from its own copy of the window without any paint event, so the window's exposes tell.
class WindowRepaints final : public QObject {
  public:
    WindowRepaints(QWidget* window, std::function<void(const QRegion&)> onRepainted);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* m_window;
    std::function<void(const QRegion&)> m_onRepainted;
};

#include "playfield/WindowRepaints.h"

#include <QPaintEvent>
#include <QWidget>
#include <QWindow>

WindowRepaints::WindowRepaints(QWidget* window, std::function<void(const QRegion&)> onRepainted)
    : QObject(window), m_window(window), m_onRepainted(std::move(onRepainted)) {
    window->installEventFilter(this);
    if (QWindow* handle = window->windowHandle())
        handle->installEventFilter(this);
}

bool WindowRepaints::eventFilter(QObject* watched, QEvent* event) {
    // The native window exists once the widget is about to show.
    if (watched == m_window && event->type() == QEvent::Show && m_window->windowHandle())
        m_window->windowHandle()->installEventFilter(this);
    if (watched != m_window->windowHandle())
        return false;
    if (event->type() == QEvent::Expose) {
        // Qt 6 keeps the exposed region but calls its getter obsolete, meaning widgets should
        // wait for paint events; an uncovered window gets none.
        QT_WARNING_PUSH
        QT_WARNING_DISABLE_DEPRECATED
        m_onRepainted(static_cast<QExposeEvent*>(event)->region());
        QT_WARNING_POP
    } else if (event->type() == QEvent::Paint) {
        m_onRepainted(static_cast<QPaintEvent*>(event)->region());
    }
    return false;
}

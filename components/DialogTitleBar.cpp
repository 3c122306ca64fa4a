#include "components/DialogTitleBar.h"

#include "components/OwnWaylandConnection.h"

#include <QDialog>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QToolButton>
#include <QWindow>

DialogTitleBar* DialogTitleBar::install(QDialog* dialog) {
    // Qt drops the frameless hint beside title and close hints.
    dialog->setWindowFlags(dialog->windowType() | Qt::FramelessWindowHint);
    for (QWidget* child : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->move(child->x(), child->y() + kHeight);
    dialog->setFixedSize(dialog->width(), dialog->height() + kHeight);
    return new DialogTitleBar(dialog);
}

DialogTitleBar::DialogTitleBar(QDialog* dialog) : QWidget(dialog), m_dialog(dialog) {
    setGeometry(0, 0, dialog->width(), kHeight);
    setAutoFillBackground(false);
    m_closeBox = new QToolButton(this);
    m_closeBox->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_closeBox->setAutoRaise(true);
    m_closeBox->setFocusPolicy(Qt::NoFocus);
    m_closeBox->setGeometry(width() - kHeight + 3, 3, kHeight - 6, kHeight - 6);
    connect(m_closeBox, &QToolButton::clicked, dialog, &QWidget::close);
}

void DialogTitleBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window).darker(115));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(0, height() - 1, width(), height() - 1);
    painter.setPen(palette().color(QPalette::WindowText));
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.drawText(rect().adjusted(kHeight, 0, -kHeight, 0), Qt::AlignCenter,
                     m_dialog->windowTitle());
}

void DialogTitleBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && window()->windowHandle())
        window()->windowHandle()->startSystemMove();
}

bool toolkitDrawsFrames() {
    static const bool draws =
        QGuiApplication::platformName().startsWith(QLatin1String("wayland")) &&
        // xdg-decoration is how Qt leaves the frame to the compositor.
        !waylandCompositorOffers("zxdg_decoration_manager_v1").value_or(true);
    return draws;
}

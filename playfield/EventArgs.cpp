#include "playfield/EventArgs.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace {

std::int16_t buttonCode(Qt::MouseButtons buttons) {
    std::int16_t code = 0;
    if (buttons & Qt::LeftButton)
        code |= 1;
    if (buttons & Qt::RightButton)
        code |= 2;
    if (buttons & Qt::MiddleButton)
        code |= 4;
    return code;
}

std::int16_t shiftCode(Qt::KeyboardModifiers modifiers) {
    std::int16_t code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= 1;
    if (modifiers & Qt::ControlModifier)
        code |= 2;
    if (modifiers & Qt::AltModifier)
        code |= 4;
    return code;
}

} // namespace

MouseArgs mouseArgs(const QMouseEvent& event, const units::ScreenMetrics& metrics) {
    const bool isMove = event.type() == QEvent::MouseMove;
    const QPointF position = event.position();
    return {buttonCode(isMove ? event.buttons() : Qt::MouseButtons(event.button())),
            shiftCode(event.modifiers()), float(metrics.toTwipsX(position.x())),
            float(metrics.toTwipsY(position.y()))};
}

std::optional<std::int16_t> keyAscii(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    default:
        break;
    }
    const QString text = event.text();
    if (text.isEmpty() || text.at(0).unicode() > 0xFF)
        return std::nullopt;
    return std::int16_t(text.at(0).unicode());
}

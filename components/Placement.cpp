#include "components/Placement.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

void placeInTwips(QWidget* widget, const units::ScreenMetrics& metrics, double left, double top,
                  double width, double height) {
    widget->setGeometry(units::toPixels(metrics, left, top, width, height));
}

QFont gameFont(double pointSize, bool bold) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

void showAsterisks(QLineEdit* box) {
    box->setEchoMode(QLineEdit::Password);
    box->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
}

void setColours(QWidget* widget, QColor background, QColor text) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void shrinkToFit(QLabel* label) {
    const QRect box = label->contentsRect();
    const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    const auto fits = [&](const QFont& font) {
        const QRect needed = QFontMetrics(font).boundingRect(box, flags, label->text());
        return needed.width() <= box.width() && needed.height() <= box.height();
    };
    constexpr double kSmallest = 6.0;
    QFont font = label->font();
    while (!fits(font) && font.pointSizeF() > kSmallest)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    label->setFont(font);
}

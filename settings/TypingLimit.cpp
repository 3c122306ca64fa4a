#include "settings/TypingLimit.h"

#include <QLineEdit>

#include <algorithm>

// Qt's own limit also cuts text set by the program, so the box's limit is the larger of the
// limit and its text's length, and follows the text down as the user shortens it.
void limitTyping(QLineEdit* box, int limit) {
    box->setMaxLength(limit);
    QObject::connect(box, &QLineEdit::textChanged, box, [box, limit](const QString& text) {
        const int wanted = std::max(limit, int(text.size()));
        if (box->maxLength() == wanted)
            return;
        // Setting the limit puts the text in anew, which moves the cursor to its end.
        const int cursor = box->cursorPosition();
        box->setMaxLength(wanted);
        box->setCursorPosition(cursor);
    });
}

void setWholeText(QLineEdit* box, const QString& text) {
    if (text.size() > box->maxLength())
        box->setMaxLength(int(text.size()));
    box->setText(text);
}

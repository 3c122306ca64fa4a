#pragma once

#include <QString>

class QLineEdit;

// A text box's length limit that holds only for what the user types: text the program puts in
// stays whole, however long. While the text is longer than the limit, typing adds nothing.
void limitTyping(QLineEdit* box, int limit);
// Puts text into a box limited by limitTyping, whole.
void setWholeText(QLineEdit* box, const QString& text);

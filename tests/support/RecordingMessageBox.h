#pragma once

#include "components/MessageBox.h"

#include <QList>
#include <QString>

// Keeps every message instead of showing it, so a test can check its text, title and icon.
struct RecordedMessage {
    QString text;
    QString title;
    MessageIcon icon = MessageIcon::None;

    bool operator==(const RecordedMessage&) const = default;
};

class RecordingMessageBox final : public MessageBox {
  public:
    void show(const QString& text, const QString& title, MessageIcon icon) override {
        messages.append({text, title, icon});
    }

    QList<RecordedMessage> messages;
};

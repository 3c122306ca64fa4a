#pragma once

#include <QString>

class QWidget;

enum class MessageIcon { None, Critical };

// A message box with a single OK button. Tests record the messages instead of showing them.
class MessageBox {
  public:
    virtual ~MessageBox() = default;
    virtual void show(const QString& text, const QString& title, MessageIcon icon) = 0;
};

class QtMessageBox final : public MessageBox {
  public:
    void show(const QString& text, const QString& title, MessageIcon icon) override;
};

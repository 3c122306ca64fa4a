#pragma once

#include <QWidget>

class QDialog;
class QToolButton;

// The title bar of a fixed dialog where the toolkit would draw the frame itself, as a Wayland
// client of a compositor that leaves frames to its clients (GNOME's): Qt's own frame there has
// minimize and maximize boxes, which a fixed dialog has not. This one shows the title and a close
// box that closes the dialog as the window system's would; dragging it moves the window.
class DialogTitleBar final : public QWidget {
  public:
    static constexpr int kHeight = 30;

    // Makes the dialog frameless and puts the bar above its controls, which move down by its
    // height. Call it before the dialog is first shown.
    static DialogTitleBar* install(QDialog* dialog);

    QToolButton* closeBox() const { return m_closeBox; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    explicit DialogTitleBar(QDialog* dialog);

    QDialog* m_dialog;
    QToolButton* m_closeBox;
};

// Whether Qt draws the frames of this program's windows itself: a Wayland client whose
// compositor offers no server-side frames (no xdg-decoration).
bool toolkitDrawsFrames();

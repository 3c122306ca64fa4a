#pragma once

#include "components/MMControl.h"
#include "playfield/PlayFieldServices.h"

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;
class frmRange;

// The start screen: the instructions and the music, with the play field loaded hidden behind it.
class frmStart final : public QDialog {
  public:
    explicit frmStart(const PlayFieldServices& services);
    ~frmStart() override;

    // Starts the music and loads the play field over the desktop's picture, taken before.
    void Form_Load();
    void OKButton_Click();
    void Command1_Click();

    frmRange* playField() const { return m_range.get(); }

    QPushButton* OKButton;
    QPushButton* Command1;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Picture2;
    QLabel* Picture3;
    QLabel* Picture1;
    QLabel* Picture4;
    MMControl MMControl1;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void createInstructions();
    void createPictures();
    QLabel* addLabel(const QString& text, double left, double top, double width, double height);

    PlayFieldServices m_services;
    std::unique_ptr<frmRange> m_range;
};

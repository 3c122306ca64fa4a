#pragma once

#include "components/ImageList.h"
#include "components/MMControl.h"
#include "playfield/BannerBox.h"
#include "playfield/PlayFieldServices.h"
#include "playfield/SurfaceBox.h"
#include "playfield/TargetBox.h"
#include "playfield/state/PlayFieldState.h"
#include "settings/TargetHost.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <random>

class QGroupBox;
class QLabel;

// The play field: the full-screen window over the frozen desktop, where the game is played.
class frmRange final : public QWidget, public TargetHost {
  public:
    explicit frmRange(const PlayFieldServices& services);
    ~frmRange() override;

    // Runs once, before the play field is shown: takes over the desktop's picture, captured
    // before the start screen showed, and sets everything up.
    void Form_Load();

    // TargetHost
    QString TargetCaption() const override;
    void GetPicture() override;
    void GetCaption() override;
    void SetTimer1Enabled(bool enabled) override;

    // Handlers, with the arguments the game's events carry.
    void Form_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void Picture1_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void Form_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void Picture1_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void Picture1_KeyPress(std::int16_t& KeyAscii);
    void Timer1_Timer();
    void Timer2_Timer();
    void Picture4_Click();

    const PlayFieldState& state() const { return m_state; }
    // The backing image that holds the desktop snapshot and the marks of missed shots.
    const QImage& backing() const { return m_backing; }

    // Controls, named as the game names them.
    QGroupBox* Frame1;
    BannerBox* Picture4;
    QLabel* Label1;
    QLabel* Label3;
    QLabel* Label4;
    QTimer Timer2;
    ImageList ImageList2;
    SurfaceBox* Picture3;
    SurfaceBox* Picture2;
    MMControl MMControl1;
    TargetBox* Picture1;
    QLabel* Label2;
    ImageList ImageList1;
    QTimer Timer1;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    void createFrame();
    void createStrip();
    void createTarget();
    void takeSnapshot();
    void fitToSnapshot();
    qreal snapshotRatio() const;
    void fillStrips();
    void fillBacking();
    QRect drawMark(QImage& surface, float X, float Y);
    void moveGun(float X);
    void openSettings();
    float randomNumber();
    QString programFile(const QString& name) const;

    PlayFieldServices m_services;
    PlayFieldState m_state;
    QImage m_desktop;
    QImage m_backing;
    std::mt19937 m_random;
    QRect m_gunPixels;
};

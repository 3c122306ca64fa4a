#pragma once

#include <QGroupBox>

// A frame with its caption, painted flat in its own back colour with an etched line round it:
// the style's group-box frame shades its inside.
class FlatFrame : public QGroupBox {
  public:
    using QGroupBox::QGroupBox;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

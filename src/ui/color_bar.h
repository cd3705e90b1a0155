// The colour bar beside the canvas: the two brush colours over a checkerboard (so their alpha
// shows), a transparency slider for each (255 - alpha), the colour history and the pen-size
// slider. A click on a brush colour opens the colour chooser with an alpha channel; a click on
// a history entry takes it as the first (left button) or second (right button) colour.
#pragma once

#include <vector>

#include <QWidget>

#include "image/pixel.h"

class QLabel;
class QSlider;

namespace morvane {

class ColorSwatch;

class ColorBar : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kHistorySize = 16;
  static constexpr int kMaxPenSize = 64;

  explicit ColorBar(QWidget* parent = nullptr);

  // Setters show values without emitting signals.
  void SetColors(Pixel first, Pixel second);
  Pixel First() const { return first_; }
  Pixel Second() const { return second_; }
  void SetPenSize(int size);
  int PenSize() const;
  // A colour used for drawing goes to the front of the history (once).
  void AddToHistory(Pixel color);
  const std::vector<Pixel>& History() const { return history_; }
  QSlider* TransparencySlider(int which) const { return which == 0 ? alpha1_ : alpha2_; }
  QSlider* PenSizeSlider() const { return penSize_; }

  // Opens the colour chooser for brush 0 or 1 (Draw > Colors > "First brush color ..."): the
  // colour bytes change, the alpha stays.
  void ChooseColor(int which);

 signals:
  void ColorsChanged(Pixel first, Pixel second);
  void PenSizeChanged(int size);

 private:
  void SetColor(int which, Pixel color, bool notify);
  void Refresh();

  Pixel first_ = 0xFF80FF80;
  Pixel second_ = 0x00BFCAD2;
  std::vector<Pixel> history_;
  ColorSwatch* pair_[2] = {nullptr, nullptr};
  std::vector<ColorSwatch*> historySwatches_;
  QSlider* alpha1_ = nullptr;
  QSlider* alpha2_ = nullptr;
  QSlider* penSize_ = nullptr;
  QLabel* penLabel_ = nullptr;
};

}  // namespace morvane

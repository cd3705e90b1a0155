// The Fill panel: the gradient's colour stops on a bar (drag a stop to move it, double-click
// the bar to add one, right-click a stop to remove it), the selected stop's colour and
// transparency, the type, the direction control (angle and centre offset with the left button,
// rotation with the right), the offsets, and area or image fill, with a preview.
#pragma once

#include "ui/tool_panels.h"

class QComboBox;
class QLabel;
class QRadioButton;
class QSlider;
class QSpinBox;

namespace morvane {

class StopsBar;
class DirectionControl;

class GradientPanel : public ToolPanel {
  Q_OBJECT

 public:
  GradientPanel(Settings& settings, ToolSettings& tools, QWidget* parent);
  void Load() override;
  void Save() override;
  GradientSettings& Gradient() { return tools_.gradient; }

  // The panel's answer to a drag of the direction control at (x, y) of its 64 x 64 square.
  void DirectionDragged(int x, int y, bool rightButton, bool shift, bool ctrl);

 signals:
  void Changed();

 private:
  void Show();
  void Edited();
  void ShowSelectedStop();

  ToolSettings& tools_;
  StopsBar* stops_ = nullptr;
  DirectionControl* direction_ = nullptr;
  QComboBox* type_ = nullptr;
  QSpinBox* angle_ = nullptr;
  QSpinBox* xOffset_ = nullptr;
  QSpinBox* yOffset_ = nullptr;
  QRadioButton* areaFill_ = nullptr;
  QRadioButton* imageFill_ = nullptr;
  QLabel* stopColor_ = nullptr;
  QSlider* stopTransparency_ = nullptr;
  QLabel* preview_ = nullptr;
};

// The angle the direction control gives for a point relative to its centre, in whole degrees,
// snapped to the axes with Shift and to the diagonals with Ctrl.
int DirectionAngle(int dx, int dy, bool shift, bool ctrl);
// A stop position for a drag at x on a bar of width pixels starting at left, kept between the
// neighbours lo and hi widened by 0.005.
double StopPosition(int x, int left, int width, double lo, double hi);

}  // namespace morvane

#include "ui/color_bar.h"

#include <algorithm>

#include <QColorDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace morvane {

// One colour over a checkerboard; reports left and right clicks.
class ColorSwatch : public QWidget {
 public:
  ColorSwatch(int side, QWidget* parent) : QWidget(parent) { setFixedSize(side, side); }
  void SetColor(Pixel color) {
    color_ = color;
    update();
  }
  Pixel Color() const { return color_; }
  std::function<void(Qt::MouseButton)> clicked;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const int cell = 4;
    for (int y = 0; y < height(); y += cell)
      for (int x = 0; x < width(); x += cell)
        p.fillRect(x, y, cell, cell, ((x + y) / cell) % 2 ? QColor(204, 204, 204) : Qt::white);
    p.fillRect(rect(), QColor(static_cast<int>(RedOf(color_)), static_cast<int>(GreenOf(color_)),
                              static_cast<int>(BlueOf(color_)), static_cast<int>(AlphaOf(color_))));
    p.setPen(QColor(80, 80, 80));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (clicked) clicked(event->button());
  }

 private:
  Pixel color_ = 0;
};

namespace {

QSlider* MakeSlider(int min, int max, QWidget* parent) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  slider->setRange(min, max);
  return slider;
}

Pixel WithAlpha(Pixel color, int alpha) {
  return (color & 0x00FFFFFF) | static_cast<Pixel>(std::clamp(alpha, 0, 255)) << 24;
}

}  // namespace

ColorBar::ColorBar(QWidget* parent) : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 4, 4, 4);
  auto* pairRow = new QHBoxLayout;
  for (int i = 0; i < 2; ++i) {
    pair_[i] = new ColorSwatch(28, this);
    pair_[i]->setToolTip(i == 0 ? tr("First brush color") : tr("Second brush color"));
    pair_[i]->clicked = [this, i](Qt::MouseButton) { ChooseColor(i); };
    pairRow->addWidget(pair_[i]);
  }
  pairRow->addStretch();
  column->addLayout(pairRow);

  alpha1_ = MakeSlider(0, 255, this);
  alpha2_ = MakeSlider(0, 255, this);
  alpha1_->setToolTip(tr("Transparency"));
  alpha2_->setToolTip(tr("Transparency 2"));
  connect(alpha1_, &QSlider::valueChanged, this,
          [this](int v) { SetColor(0, WithAlpha(first_, 255 - v), true); });
  connect(alpha2_, &QSlider::valueChanged, this,
          [this](int v) { SetColor(1, WithAlpha(second_, 255 - v), true); });
  auto* alphaGrid = new QGridLayout;
  alphaGrid->addWidget(new QLabel(tr("Transparency")), 0, 0);
  alphaGrid->addWidget(alpha1_, 0, 1);
  alphaGrid->addWidget(new QLabel(tr("Transparency 2")), 1, 0);
  alphaGrid->addWidget(alpha2_, 1, 1);
  column->addLayout(alphaGrid);
  column->addWidget(new QLabel(tr("Color history")));

  auto* historyGrid = new QGridLayout;
  historyGrid->setSpacing(2);
  for (int i = 0; i < kHistorySize; ++i) {
    auto* swatch = new ColorSwatch(12, this);
    swatch->setVisible(false);
    swatch->clicked = [this, swatch](Qt::MouseButton button) {
      const Pixel c = swatch->Color();
      SetColor(button == Qt::RightButton ? 1 : 0, c, true);
    };
    historySwatches_.push_back(swatch);
    historyGrid->addWidget(swatch, i / 8, i % 8);
  }
  column->addLayout(historyGrid);

  penLabel_ = new QLabel(this);
  penSize_ = MakeSlider(1, kMaxPenSize, this);
  penSize_->setToolTip(tr("Pen size"));
  connect(penSize_, &QSlider::valueChanged, this, [this](int v) {
    penLabel_->setText(tr("Pen size: %1").arg(v));
    emit PenSizeChanged(v);
  });
  column->addWidget(penLabel_);
  column->addWidget(penSize_);
  column->addStretch();
  SetPenSize(1);
  Refresh();
}

void ColorBar::SetColors(Pixel first, Pixel second) {
  first_ = first;
  second_ = second;
  Refresh();
}

void ColorBar::SetColor(int which, Pixel color, bool notify) {
  (which == 0 ? first_ : second_) = color;
  Refresh();
  if (notify) emit ColorsChanged(first_, second_);
}

void ColorBar::Refresh() {
  pair_[0]->SetColor(first_);
  pair_[1]->SetColor(second_);
  const QSignalBlocker b1(alpha1_), b2(alpha2_);
  alpha1_->setValue(255 - static_cast<int>(AlphaOf(first_)));
  alpha2_->setValue(255 - static_cast<int>(AlphaOf(second_)));
}

void ColorBar::SetPenSize(int size) {
  const QSignalBlocker block(penSize_);
  penSize_->setValue(std::clamp(size, 1, kMaxPenSize));
  penLabel_->setText(tr("Pen size: %1").arg(penSize_->value()));
}

int ColorBar::PenSize() const {
  return penSize_->value();
}

void ColorBar::AddToHistory(Pixel color) {
  history_.erase(std::remove(history_.begin(), history_.end(), color), history_.end());
  history_.insert(history_.begin(), color);
  if (history_.size() > static_cast<std::size_t>(kHistorySize)) history_.resize(kHistorySize);
  for (std::size_t i = 0; i < historySwatches_.size(); ++i) {
    historySwatches_[i]->setVisible(i < history_.size());
    if (i < history_.size()) historySwatches_[i]->SetColor(history_[i]);
  }
}

void ColorBar::ChooseColor(int which) {
  const Pixel current = which == 0 ? first_ : second_;
  const QColor initial(static_cast<int>(RedOf(current)), static_cast<int>(GreenOf(current)),
                       static_cast<int>(BlueOf(current)), static_cast<int>(AlphaOf(current)));
  const QColor chosen = QColorDialog::getColor(
      initial, this, which == 0 ? tr("First brush color") : tr("Second brush color"),
      QColorDialog::ShowAlphaChannel);
  if (!chosen.isValid()) return;
  const Pixel color =
      MakePixel(static_cast<Pixel>(chosen.alpha()), static_cast<Pixel>(chosen.red()),
                static_cast<Pixel>(chosen.green()), static_cast<Pixel>(chosen.blue()));
  AddToHistory(color);
  SetColor(which, color, true);
}

}  // namespace morvane

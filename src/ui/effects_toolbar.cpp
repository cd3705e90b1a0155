#include "ui/effects_toolbar.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QMenu>
#include <QPainter>
#include <QToolButton>

#include "shell/effect_catalogue.h"
#include "ui/qt_image.h"

namespace morvane {
namespace {

constexpr int kButtons[5][2] = {
    {32887, 32888}, {32890, 32891}, {32892, 33046}, {32894, 32895}, {32897, 32896}};
// The "Other" pop-up; 0 is a separator.
constexpr int kOther[] = {33023, 32889, 33024, 33025, 33064, 0,     33037,
                          33049, 33022, 32893, 33069, 0,     32898, 32899};

// Values that make each effect visible on the sample; the rest keep their defaults.
struct Demo {
  const char* effect;
  const char* param;
  double value;
};
constexpr Demo kDemo[] = {{"brightness-intensity-contrast", "brightness", 25},
                          {"hue-luminance-saturation", "hue", 120},
                          {"blur", "level", 255},
                          {"sharpen", "level", 255},
                          {"posterize", "number-of-colors", 2},
                          {"opacity", "level", -60},
                          {"custom-blur", "level", 255}};

// A sample: an orange disc with a short blue bar in its upper left, on transparency, so that
// colours show and every flip and turn looks different.
CDib Sample(int size) {
  CDib dib;
  if (!dib.Create(size, size)) return dib;
  const double c = (size - 1) / 2.0;
  const double r = size * 0.36;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      Pixel p = 0;
      if ((x - c) * (x - c) + (y - c) * (y - c) <= r * r) p = 0xFFF08020;
      if (x >= size / 4 && x < size / 2 && y >= size / 8 && y < size * 9 / 16) p = 0xFF2050E0;
      dib.Row(y)[x] = p;
    }
  }
  return dib;
}

QIcon EffectIcon(int commandId) {
  const EffectCommand* command = FindEffectCommand(commandId);
  const EffectInfo* effect = command ? FindEffect(command->cliName) : nullptr;
  constexpr int kSize = 24;
  CDib dib = Sample(kSize);
  if (effect != nullptr) {
    EffectValues values = DefaultValues(*effect);
    for (const Demo& d : kDemo) {
      int index = 0;
      if (std::string_view(d.effect) == effect->cliName &&
          FindParam(*effect, d.param, &index) >= 0) {
        values[static_cast<std::size_t>(index)] = d.value;
      }
    }
    effect->run(dib, Rect::Whole(), values);
  }
  return QIcon(QPixmap::fromImage(ToQImage(dib)));
}

QString MenuText(int commandId) {
  const EffectCommand* command = FindEffectCommand(commandId);
  const EffectInfo* effect = command ? FindEffect(command->cliName) : nullptr;
  return effect ? QString::fromUtf8(effect->menuText) : QString();
}

}  // namespace

EffectsToolbar::EffectsToolbar(QWidget* parent) : QWidget(parent, Qt::Tool) {
  setWindowTitle("Effects");
  auto* grid = new QGridLayout(this);
  grid->setSpacing(2);
  for (int row = 0; row < 5; ++row) {
    for (int col = 0; col < 2; ++col) {
      const int id = kButtons[row][col];
      auto* b = new QToolButton(this);
      b->setObjectName(QString::number(id));
      b->setIcon(EffectIcon(id));
      b->setIconSize(QSize(24, 24));
      b->setToolTip(MenuText(id));
      b->setAutoRaise(true);
      connect(b, &QToolButton::clicked, this, [this, id] { emit EffectChosen(id); });
      grid->addWidget(b, row, col);
    }
  }
  other_ = new QMenu(this);
  for (int id : kOther) {
    if (id == 0) {
      other_->addSeparator();
      continue;
    }
    QAction* a = other_->addAction(EffectIcon(id), MenuText(id));
    connect(a, &QAction::triggered, this, [this, id] { emit EffectChosen(id); });
  }
  auto* more = new QToolButton(this);
  more->setText("Other");
  more->setMenu(other_);
  more->setPopupMode(QToolButton::InstantPopup);
  more->setToolButtonStyle(Qt::ToolButtonTextOnly);
  more->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  grid->addWidget(more, 5, 0, 1, 2);
}

QToolButton* EffectsToolbar::Button(int commandId) const {
  return findChild<QToolButton*>(QString::number(commandId));
}

void EffectsToolbar::closeEvent(QCloseEvent* event) {
  emit Closed();
  QWidget::closeEvent(event);
}

}  // namespace morvane

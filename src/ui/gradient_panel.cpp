#include "ui/gradient_panel.h"

#include <algorithm>
#include <cmath>

#include <QButtonGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>

#include "ui/qt_image.h"

namespace morvane {
namespace {

constexpr double kDegreesPerRadian = 57.324840764331206;  // 180 / 3.14, as stored angles expect
constexpr int kDirectionSide = 64;
constexpr int kStopMargin = 8;
constexpr std::string_view kColors = "Colors";
constexpr std::string_view kColorsPos = "Colors pos";

QColor ToQColor(Pixel p) {
  return QColor(static_cast<int>(RedOf(p)), static_cast<int>(GreenOf(p)),
                static_cast<int>(BlueOf(p)), static_cast<int>(AlphaOf(p)));
}

void PaintChecker(QPainter& p, const QRect& r) {
  const int cell = 4;
  for (int y = r.top(); y <= r.bottom(); y += cell)
    for (int x = r.left(); x <= r.right(); x += cell)
      p.fillRect(QRect(x, y, cell, cell).intersected(r),
                 ((x + y) / cell) % 2 ? QColor(204, 204, 204) : Qt::white);
}

}  // namespace

int DirectionAngle(int dx, int dy, bool shift, bool ctrl) {
  const int a = static_cast<int>(std::atan2(dx, dy) * kDegreesPerRadian);
  if (shift) return (a + 45) / 90 * 90;
  if (ctrl) return (a - 45) / 90 * 90 + 45;
  return a;
}

double StopPosition(int x, int left, int width, double lo, double hi) {
  const double span = std::max(width - 14, 1);
  const double p = std::clamp((x - left - kStopMargin) / span, 0.0, 1.0);
  // Stops stay in order: a stop dragged past its neighbour would make the stored list unusable.
  return std::clamp(p, std::max(lo, 0.0), std::min(hi, 1.0));
}

// The stop bar: the palette across, a marker under each stop.
class StopsBar : public QWidget {
 public:
  StopsBar(GradientSettings& gradient, std::function<void()> changed, QWidget* parent)
      : QWidget(parent), gradient_(gradient), changed_(std::move(changed)) {
    setMinimumSize(150, 34);
  }
  int Selected() const { return std::min<int>(selected_, static_cast<int>(Stops().size()) - 1); }
  std::function<void()> selectionChanged;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const QRect bar(kStopMargin, 2, BarWidth(), 18);
    PaintChecker(p, bar);
    const GradientPalette palette = BuildGradientPalette(Stops());
    for (int x = 0; x < bar.width(); ++x) {
      const int index = std::clamp(x * 255 / std::max(bar.width() - 1, 1), 0, 255);
      p.setPen(ToQColor(palette[static_cast<std::size_t>(index)]));
      p.drawLine(bar.left() + x, bar.top(), bar.left() + x, bar.bottom());
    }
    p.setPen(Qt::gray);
    p.drawRect(bar.adjusted(0, 0, -1, -1));
    for (int i = 0; i < static_cast<int>(Stops().size()); ++i) {
      const int x = MarkerX(i);
      const QPoint tri[] = {{x, 22}, {x - 5, 31}, {x + 5, 31}};
      p.setPen(Qt::black);
      p.setBrush(i == Selected() ? QColor(Qt::black) : ToQColor(Stops()[i].colour | 0xFF000000));
      p.drawPolygon(tri, 3);
    }
  }
  void mousePressEvent(QMouseEvent* e) override {
    const int hit = HitStop(e->position().x());
    if (hit < 0) return;
    selected_ = hit;
    if (e->button() == Qt::RightButton && Stops().size() > 2) {
      gradient_.stops.erase(gradient_.stops.begin() + hit);
      selected_ = std::max(hit - 1, 0);
      changed_();
    }
    if (selectionChanged) selectionChanged();
    update();
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (!(e->buttons() & Qt::LeftButton)) return;
    const int i = Selected();
    auto& stops = gradient_.stops;
    const double lo = i > 0 ? stops[i - 1].position : 0.0;
    const double hi = i + 1 < static_cast<int>(stops.size()) ? stops[i + 1].position : 1.0;
    stops[i].position =
        StopPosition(static_cast<int>(e->position().x()), 0, width(), i == 0 ? 0.0 : lo,
                     i + 1 == static_cast<int>(stops.size()) ? 1.0 : hi);
    changed_();
    update();
  }
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    // A new stop takes the colour the gradient has there.
    const double pos = StopPosition(static_cast<int>(e->position().x()), 0, width(), 0, 1);
    const GradientPalette palette = BuildGradientPalette(Stops());
    auto& stops = gradient_.stops;
    auto at = std::upper_bound(stops.begin(), stops.end(), pos,
                               [](double v, const GradientStop& s) { return v < s.position; });
    at = stops.insert(at, GradientStop{palette[static_cast<std::size_t>(pos * 255)], pos});
    selected_ = static_cast<int>(at - stops.begin());
    changed_();
    if (selectionChanged) selectionChanged();
    update();
  }

 private:
  const std::vector<GradientStop>& Stops() const { return gradient_.stops; }
  int BarWidth() const { return std::max(width() - 2 * kStopMargin, 1); }
  int MarkerX(int i) const {
    return kStopMargin + static_cast<int>(Stops()[i].position * (BarWidth() - 1));
  }
  int HitStop(double x) const {
    int best = -1;
    double bestDistance = 7;
    for (int i = 0; i < static_cast<int>(Stops().size()); ++i) {
      const double d = std::abs(x - MarkerX(i));
      if (d < bestDistance) {
        best = i;
        bestDistance = d;
      }
    }
    return best;
  }
  GradientSettings& gradient_;
  std::function<void()> changed_;
  int selected_ = 0;
};

// The 64 x 64 direction control: a circle with the angle's direction and the centre offset.
class DirectionControl : public QWidget {
 public:
  DirectionControl(GradientPanel* panel, GradientSettings& gradient)
      : QWidget(panel), panel_(panel), gradient_(gradient) {
    setFixedSize(kDirectionSide, kDirectionSide);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::gray);
    p.setBrush(Qt::white);
    p.drawEllipse(1, 1, kDirectionSide - 3, kDirectionSide - 3);
    const double a = gradient_.angle / kDegreesPerRadian;
    const QPointF c(32, 32);
    p.setPen(QPen(Qt::blue, 2));
    p.drawLine(c, c + QPointF(std::sin(a) * 28, std::cos(a) * 28));
    p.setPen(Qt::red);
    p.setBrush(Qt::red);
    p.drawEllipse(QPointF(32 + std::clamp(gradient_.xOffset, -30, 30),
                          32 + std::clamp(gradient_.yOffset, -30, 30)),
                  2.5, 2.5);
  }
  void mousePressEvent(QMouseEvent* e) override { Drag(e); }
  void mouseMoveEvent(QMouseEvent* e) override { Drag(e); }

 private:
  void Drag(QMouseEvent* e) {
    const bool right = (e->buttons() & Qt::RightButton) != 0;
    if (!right && !(e->buttons() & Qt::LeftButton)) return;
    panel_->DirectionDragged(
        static_cast<int>(e->position().x()), static_cast<int>(e->position().y()), right,
        (e->modifiers() & Qt::ShiftModifier) != 0, (e->modifiers() & Qt::ControlModifier) != 0);
    update();
  }
  GradientPanel* panel_;
  GradientSettings& gradient_;
};

GradientPanel::GradientPanel(Settings& settings, ToolSettings& tools, QWidget* parent)
    : ToolPanel(tr("Fill"), kFillPanelSection, settings, parent), tools_(tools) {
  auto* grid = new QGridLayout(Body());
  stops_ = new StopsBar(
      tools_.gradient, [this] { Edited(); }, this);
  stops_->selectionChanged = [this] { ShowSelectedStop(); };
  grid->addWidget(stops_, 0, 0, 1, 4);

  stopColor_ = new QLabel;
  stopColor_->setCursor(Qt::PointingHandCursor);
  stopColor_->setToolTip(tr("Click to choose the stop's colour"));
  auto* colorButton = new QPushButton(tr("Color ..."));
  stopTransparency_ = new QSlider(Qt::Horizontal);
  stopTransparency_->setRange(0, 255);
  stopTransparency_->setToolTip(tr("Transparency"));
  grid->addWidget(stopColor_, 1, 0);
  grid->addWidget(colorButton, 1, 1);
  grid->addWidget(stopTransparency_, 1, 2, 1, 2);
  connect(colorButton, &QPushButton::clicked, this, [this] {
    GradientStop& stop = Gradient().stops[static_cast<std::size_t>(stops_->Selected())];
    const QColor chosen = QColorDialog::getColor(ToQColor(stop.colour | 0xFF000000), this);
    if (!chosen.isValid()) return;
    stop.colour = (stop.colour & 0xFF000000) |
                  MakePixel(0, static_cast<Pixel>(chosen.red()), static_cast<Pixel>(chosen.green()),
                            static_cast<Pixel>(chosen.blue()));
    Edited();
  });
  connect(stopTransparency_, &QSlider::valueChanged, this, [this](int v) {
    GradientStop& stop = Gradient().stops[static_cast<std::size_t>(stops_->Selected())];
    stop.colour = (stop.colour & 0x00FFFFFF) | static_cast<Pixel>(255 - v) << 24;
    Edited();
  });

  type_ = new QComboBox;
  for (int i = 0; i < kGradientTypeCount; ++i) {
    const std::string_view name = GradientTypeName(i);
    type_->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
  }
  grid->addWidget(type_, 2, 0, 1, 2);
  connect(type_, &QComboBox::currentIndexChanged, this, [this](int i) {
    Gradient().type = i;
    Edited();
  });

  direction_ = new DirectionControl(this, tools_.gradient);
  grid->addWidget(direction_, 3, 0, 3, 1);
  auto spin = [&](int row, const QString& name, int min, int max, int GradientSettings::*field) {
    auto* box = new QSpinBox;
    box->setRange(min, max);
    grid->addWidget(new QLabel(name), row, 1);
    grid->addWidget(box, row, 2);
    connect(box, &QSpinBox::valueChanged, this, [this, field](int v) {
      Gradient().*field = v;
      Edited();
    });
    return box;
  };
  angle_ = spin(3, tr("Angle"), -180, 180, &GradientSettings::angle);
  xOffset_ = spin(4, tr("X offset"), -1000, 1000, &GradientSettings::xOffset);
  yOffset_ = spin(5, tr("Y offset"), -1000, 1000, &GradientSettings::yOffset);

  areaFill_ = new QRadioButton(tr("Area fill"));
  imageFill_ = new QRadioButton(tr("Image fill"));
  auto* fillGroup = new QButtonGroup(this);
  fillGroup->addButton(areaFill_, 0);
  fillGroup->addButton(imageFill_, 1);
  grid->addWidget(areaFill_, 6, 0, 1, 2);
  grid->addWidget(imageFill_, 6, 2, 1, 2);
  connect(fillGroup, &QButtonGroup::idClicked, this, [this](int id) {
    Gradient().areaFill = id;
    Edited();
  });

  preview_ = new QLabel;
  preview_->setFixedSize(kDirectionSide, kDirectionSide);
  grid->addWidget(preview_, 3, 3, 3, 1);
}

void GradientPanel::DirectionDragged(int x, int y, bool rightButton, bool shift, bool ctrl) {
  const int angle = DirectionAngle(x - 32, y - 32, shift, ctrl);
  if (rightButton) {
    Gradient().rotation = angle;
  } else {
    Gradient().xOffset = x - 32;
    Gradient().yOffset = y - 32;
    Gradient().angle = angle;
  }
  Show();
  Edited();
}

void GradientPanel::Load() {
  LoadMinimized();
  LoadSection(settings_, Section(), tools_);
  Gradient().stops = StopsFromBytes(settings_.read_binary(Section(), kColors),
                                    settings_.read_binary(Section(), kColorsPos));
  Gradient().Normalize();
  Show();
  emit Changed();
}

void GradientPanel::Save() {
  ToolPanel::Save();
  SaveSection(settings_, Section(), tools_);
  SettingBytes colours, positions;
  StopsToBytes(Gradient().stops, colours, positions);
  settings_.write_binary(Section(), kColors, colours);
  settings_.write_binary(Section(), kColorsPos, positions);
}

void GradientPanel::Show() {
  const GradientSettings& g = Gradient();
  const QSignalBlocker b1(type_), b2(angle_), b3(xOffset_), b4(yOffset_);
  type_->setCurrentIndex(g.type);
  angle_->setValue(g.angle);
  xOffset_->setValue(g.xOffset);
  yOffset_->setValue(g.yOffset);
  (g.areaFill == 0 ? areaFill_ : imageFill_)->setChecked(true);
  ShowSelectedStop();
  CDib image;
  RenderGradient(g, image);
  if (image.IsLive()) {
    preview_->setPixmap(
        QPixmap::fromImage(ToDisplayImage(image, 0xFFFFFF)
                               .scaled(kDirectionSide, kDirectionSide, Qt::IgnoreAspectRatio,
                                       Qt::FastTransformation)));
  }
  stops_->update();
  direction_->update();
}

void GradientPanel::ShowSelectedStop() {
  const GradientStop& stop = Gradient().stops[static_cast<std::size_t>(stops_->Selected())];
  // "RGB view format" is a printf format of the options; the panel shows decimal bytes.
  stopColor_->setText(QStringLiteral("%1 %2 %3")
                          .arg(RedOf(stop.colour))
                          .arg(GreenOf(stop.colour))
                          .arg(BlueOf(stop.colour)));
  const QSignalBlocker block(stopTransparency_);
  stopTransparency_->setValue(255 - static_cast<int>(AlphaOf(stop.colour)));
}

void GradientPanel::Edited() {
  Show();
  emit Changed();
}

}  // namespace morvane

#include "ui/tool_panels.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedLayout>
#include <QToolButton>
#include <QVBoxLayout>

#include "editing/font_record.h"
#include "editing/tool_settings.h"
#include "ui/gradient_panel.h"
#include "ui/qt_glyph_renderer.h"

namespace morvane {
namespace {

constexpr std::string_view kMinimize = "Minimize";
constexpr std::string_view kTextSection = "Text properties dialog";

}  // namespace

void LoadSection(Settings& settings, std::string_view section, ToolSettings& tools) {
  for (const ToolSettingSpec& spec : ToolSettingSpecs()) {
    if (spec.section == section) {
      spec.set(tools, settings.read_int(section, spec.name, spec.defaultValue));
    }
  }
}

void SaveSection(Settings& settings, std::string_view section, const ToolSettings& tools) {
  for (const ToolSettingSpec& spec : ToolSettingSpecs()) {
    if (spec.section == section) settings.write_int(section, spec.name, spec.get(tools));
  }
}

LabeledSlider AddSlider(QGridLayout* grid, int row, const QString& name, int min, int max) {
  auto* label = new QLabel(name);
  auto* slider = new QSlider(Qt::Horizontal);
  slider->setRange(min, max);
  auto* value = new QLabel;
  value->setMinimumWidth(28);
  slider->setProperty("valueLabel", QVariant::fromValue<QObject*>(value));
  QObject::connect(slider, &QSlider::valueChanged, value,
                   [value](int v) { value->setText(QString::number(v)); });
  grid->addWidget(label, row, 0);
  grid->addWidget(slider, row, 1);
  grid->addWidget(value, row, 2);
  return {slider, value};
}

void SetSliderQuietly(QSlider* slider, int v) {
  const QSignalBlocker block(slider);
  slider->setValue(v);
  // The value label follows even while the slider is quiet.
  if (auto* label = qobject_cast<QLabel*>(slider->property("valueLabel").value<QObject*>())) {
    label->setText(QString::number(slider->value()));
  }
}

namespace {

QIcon TipIcon(int shape) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setPen(QPen(Qt::black, 2));
  p.setBrush(Qt::black);
  switch (shape) {
    case 0:
      p.drawRect(4, 4, 8, 8);
      break;
    case 1:
      p.drawEllipse(3, 3, 10, 10);
      break;
    case 2:
      p.drawLine(8, 2, 8, 14);
      break;
    case 3:
      p.drawLine(2, 8, 14, 8);
      break;
    default:
      p.drawLine(3, 3, 13, 13);
      break;
  }
  p.end();
  return QIcon(pixmap);
}

// Pen and Eraser: one class, a flag chooses which tip it sets.
class TipPanel : public ToolPanel {
 public:
  TipPanel(bool eraser, Settings& settings, CanvasSession& session, QWidget* parent)
      : ToolPanel(eraser ? tr("Eraser") : tr("Pen"),
                  eraser ? kEraserPanelSection : kPenPanelSection, settings, parent),
        eraser_(eraser),
        session_(session) {
    auto* row = new QHBoxLayout(Body());
    group_ = new QButtonGroup(this);
    const QString names[] = {tr("Square"), tr("Circle"), tr("Vertical line"), tr("Horizontal line"),
                             tr("Diagonal line")};
    for (int shape = 0; shape < 5; ++shape) {
      auto* button = new QToolButton;
      button->setCheckable(true);
      button->setIcon(TipIcon(shape));
      button->setToolTip(names[shape]);
      group_->addButton(button, shape);
      row->addWidget(button);
    }
    row->addStretch();
    connect(group_, &QButtonGroup::idClicked, this,
            [this](int shape) { Tip() = static_cast<TipShape>(shape); });
  }
  void Load() override {
    LoadMinimized();
    group_->button(static_cast<int>(Tip()))->setChecked(true);
  }

 private:
  TipShape& Tip() {
    ToolSettings& t = session_.Canvas().tools;
    return eraser_ ? t.eraserTip : t.penTip;
  }
  bool eraser_;
  CanvasSession& session_;
  QButtonGroup* group_;
};

// A panel whose values are the tool settings stored in its section: read into the canvas and
// shown on Load, written back from the canvas on Save.
class SectionPanel : public ToolPanel {
 public:
  SectionPanel(const QString& title, std::string_view section, Settings& settings,
               CanvasSession& session, QWidget* parent)
      : ToolPanel(title, section, settings, parent), session_(session) {}
  void Load() override {
    LoadMinimized();
    LoadSection(settings_, Section(), Tools());
    Show();
  }
  void Save() override {
    ToolPanel::Save();
    SaveSection(settings_, Section(), Tools());
  }

 protected:
  ToolSettings& Tools() { return session_.Canvas().tools; }
  // Puts the canvas's values into the controls without signalling a change.
  virtual void Show() = 0;

 private:
  CanvasSession& session_;
};

class RectanglePanel : public SectionPanel {
 public:
  RectanglePanel(Settings& settings, CanvasSession& session, QWidget* parent)
      : SectionPanel(tr("Rectangle"), kRectanglePanelSection, settings, session, parent) {
    auto* grid = new QGridLayout(Body());
    width_ = AddSlider(grid, 0, tr("Round width"), 0, 64).slider;
    height_ = AddSlider(grid, 1, tr("Round height"), 0, 64).slider;
    link_ = new QCheckBox(tr("Link width and height"));
    grid->addWidget(link_, 2, 0, 1, 3);
    connect(width_, &QSlider::valueChanged, this, [this](int v) {
      Corners().SetRoundWidth(v);
      Show();
    });
    connect(height_, &QSlider::valueChanged, this, [this](int v) {
      Corners().SetRoundHeight(v);
      Show();
    });
    connect(link_, &QCheckBox::toggled, this, [this](bool on) { Corners().link = on; });
  }

 private:
  RectangleToolSettings& Corners() { return Tools().rectangle; }
  void Show() override {
    SetSliderQuietly(width_, Corners().roundWidth);
    SetSliderQuietly(height_, Corners().roundHeight);
    const QSignalBlocker block(link_);
    link_->setChecked(Corners().link);
  }
  QSlider* width_;
  QSlider* height_;
  QCheckBox* link_;
};

class PolygonPanel : public SectionPanel {
 public:
  PolygonPanel(Settings& settings, CanvasSession& session, QWidget* parent)
      : SectionPanel(tr("Polygon"), kPolygonPanelSection, settings, session, parent) {
    auto* grid = new QGridLayout(Body());
    count_ = AddSlider(grid, 0, tr("Count"), 3, 15).slider;
    proportion_ = AddSlider(grid, 1, tr("Proportion"), -100, 100).slider;
    convex_ = new QCheckBox(tr("Convex"));
    grid->addWidget(convex_, 2, 0, 1, 3);
    connect(count_, &QSlider::valueChanged, this, [this](int v) { Polygon().count = v; });
    connect(proportion_, &QSlider::valueChanged, this, [this](int v) { Polygon().proportion = v; });
    connect(convex_, &QCheckBox::toggled, this, [this](bool on) { Polygon().convex = on; });
  }

 private:
  PolygonToolSettings& Polygon() { return Tools().polygon; }
  void Show() override {
    SetSliderQuietly(count_, Polygon().count);
    SetSliderQuietly(proportion_, Polygon().proportion);
    const QSignalBlocker block(convex_);
    convex_->setChecked(Polygon().convex);
  }
  QSlider* count_;
  QSlider* proportion_;
  QCheckBox* convex_;
};

class ReplacePanel : public SectionPanel {
 public:
  ReplacePanel(Settings& settings, CanvasSession& session, QWidget* parent)
      : SectionPanel(tr("Replace colors"), kReplacePanelSection, settings, session, parent) {
    auto* grid = new QGridLayout(Body());
    hue_ = AddSlider(grid, 0, tr("Hue delta"), 1, 180).slider;
    luminance_ = AddSlider(grid, 1, tr("Luminance delta"), 1, 100).slider;
    single_ = new QCheckBox(tr("Single destination color"));
    grid->addWidget(single_, 2, 0, 1, 3);
    // The three values go into the canvas together on every change.
    auto push = [this] {
      ReplaceToolSettings& r = Tools().replace;
      r.hueDelta = hue_->value();
      r.luminanceDelta = luminance_->value();
      r.singleDestination = single_->isChecked();
    };
    connect(hue_, &QSlider::valueChanged, this, push);
    connect(luminance_, &QSlider::valueChanged, this, push);
    connect(single_, &QCheckBox::toggled, this, push);
  }

 private:
  void Show() override {
    const ReplaceToolSettings& r = Tools().replace;
    SetSliderQuietly(hue_, r.hueDelta);
    SetSliderQuietly(luminance_, r.luminanceDelta);
    const QSignalBlocker block(single_);
    single_->setChecked(r.singleDestination);
  }
  QSlider* hue_;
  QSlider* luminance_;
  QCheckBox* single_;
};

class TextPanel : public ToolPanel {
 public:
  TextPanel(Settings& settings, CanvasSession& session, QWidget* parent)
      : ToolPanel(tr("Text"), kTextSection, settings, parent), session_(session) {
    auto* column = new QVBoxLayout(Body());
    edit_ = new QPlainTextEdit;
    edit_->setMaximumHeight(80);
    auto* row = new QHBoxLayout;
    auto* fontButton = new QPushButton(tr("Font ..."));
    preview_ = new QCheckBox(tr("Preview font"));
    row->addWidget(fontButton);
    row->addWidget(preview_);
    column->addWidget(edit_);
    column->addLayout(row);
    connect(edit_, &QPlainTextEdit::textChanged, this,
            [this] { session_.Text().text = edit_->toPlainText().toStdString(); });
    connect(fontButton, &QPushButton::clicked, this, [this] { ChooseFont(); });
    connect(preview_, &QCheckBox::toggled, this, [this] { PreviewFont(); });
  }
  void Load() override {
    LoadMinimized();
    TextTool& text = session_.Text();
    text.text = settings_.read_string(Section(), "Text", "Text");
    const SettingBytes font = settings_.read_binary(Section(), "Font");
    if (!font.empty()) text.font = FontRecordOrDefault(font);
    const QSignalBlocker b1(edit_), b2(preview_);
    edit_->setPlainText(QString::fromStdString(text.text));
    preview_->setChecked(settings_.read_int(Section(), "Preview font", 1) != 0);
    PreviewFont();
  }
  void Save() override {
    ToolPanel::Save();
    settings_.write_int(Section(), "Preview font", preview_->isChecked() ? 1 : 0);
    const auto font = EncodeFontRecord(session_.Text().font);
    settings_.write_binary(Section(), "Font", SettingBytes(font.begin(), font.end()));
    settings_.write_string(Section(), "Text", session_.Text().text);
  }

 private:
  void ChooseFont() {
    bool ok = false;
    const FontRecord& current = session_.Text().font;
    const QFont chosen =
        QFontDialog::getFont(&ok, ToQFont(current, FontPixelHeight(current, 1)), this);
    if (!ok) return;
    session_.Text().font = FromQFont(chosen, current);
    PreviewFont();
  }
  void PreviewFont() {
    if (preview_->isChecked()) {
      const FontRecord& f = session_.Text().font;
      edit_->setFont(ToQFont(f, std::min(FontPixelHeight(f, 1), 32)));
    } else {
      edit_->setFont(QFont());
    }
  }
  CanvasSession& session_;
  QPlainTextEdit* edit_;
  QCheckBox* preview_;
};

}  // namespace

ToolPanel::ToolPanel(const QString& title, std::string_view section, Settings& settings,
                     QWidget* parent)
    : QWidget(parent), settings_(settings), section_(section) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(2, 2, 2, 2);
  title_ = new QToolButton;
  title_->setText(title);
  title_->setCheckable(true);
  title_->setChecked(true);
  title_->setArrowType(Qt::DownArrow);
  title_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  title_->setAutoRaise(true);
  body_ = new QWidget;
  column->addWidget(title_);
  column->addWidget(body_);
  column->addStretch();
  connect(title_, &QToolButton::toggled, this, [this](bool open) { SetMinimized(!open); });
}

bool ToolPanel::Minimized() const {
  return !body_->isVisibleTo(const_cast<ToolPanel*>(this));
}

void ToolPanel::SetMinimized(bool minimized) {
  const QSignalBlocker block(title_);
  title_->setChecked(!minimized);
  title_->setArrowType(minimized ? Qt::RightArrow : Qt::DownArrow);
  body_->setVisible(!minimized);
}

void ToolPanel::LoadMinimized() {
  SetMinimized(settings_.read_int(section_, kMinimize, 0) != 0);
}

void ToolPanel::Save() {
  settings_.write_int(section_, kMinimize, Minimized() ? 1 : 0);
}

ToolPanels::ToolPanels(QMainWindow* window, Settings& settings, CanvasSession& session)
    : QObject(window), settings_(settings), session_(session) {
  host_ = new QWidget(window);
  stack_ = new QStackedLayout(host_);
  fill_ = new GradientPanel(settings, session.Canvas().tools, window);
  fill_->Load();
  connect(fill_, &GradientPanel::Changed, this, &ToolPanels::GradientChanged);
}

ToolPanels::~ToolPanels() = default;

QWidget* ToolPanels::FillPanel() const {
  return fill_;
}

GradientSettings& ToolPanels::Gradient() {
  return session_.Canvas().tools.gradient;
}

ToolPanel* ToolPanels::Make(PanelKind kind) {
  switch (kind) {
    case PanelKind::kPen:
      return new TipPanel(false, settings_, session_, host_);
    case PanelKind::kEraser:
      return new TipPanel(true, settings_, session_, host_);
    case PanelKind::kRectangle:
      return new RectanglePanel(settings_, session_, host_);
    case PanelKind::kPolygon:
      return new PolygonPanel(settings_, session_, host_);
    case PanelKind::kReplace:
      return new ReplacePanel(settings_, session_, host_);
    case PanelKind::kText:
      return new TextPanel(settings_, session_, host_);
    case PanelKind::kNone:
      break;
  }
  return nullptr;
}

void ToolPanels::ShowFor(int tool) {
  const DrawTool* t = ToolByIndex(tool);
  const PanelKind kind = t ? t->panel : PanelKind::kNone;
  if (kind == currentKind_ && current_ != nullptr) return;
  if (current_) {
    current_->Save();
    stack_->removeWidget(current_);
    current_->deleteLater();
    current_ = nullptr;
  }
  currentKind_ = kind;
  current_ = Make(kind);
  if (current_) {
    stack_->addWidget(current_);
    stack_->setCurrentWidget(current_);
    current_->Load();
  }
}

void ToolPanels::SaveAll() {
  if (current_) current_->Save();
  fill_->Save();
}

}  // namespace morvane

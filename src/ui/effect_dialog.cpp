#include "ui/effect_dialog.h"

#include <cstdlib>

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QVBoxLayout>

#include "ui/widget_translation.h"

namespace morvane {
namespace {

QColor FromPlatform(double value) {
  const auto v = static_cast<std::uint32_t>(value);
  return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                static_cast<int>((v >> 16) & 0xFF));
}

double ToPlatform(const QColor& c) {
  return static_cast<double>(static_cast<std::uint32_t>(c.red()) |
                             (static_cast<std::uint32_t>(c.green()) << 8) |
                             (static_cast<std::uint32_t>(c.blue()) << 16));
}

QIcon Swatch(const QColor& colour) {
  QPixmap pixmap(32, 16);
  pixmap.fill(colour);
  QPainter painter(&pixmap);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, 31, 15);
  return QIcon(pixmap);
}

// The longest leading number of the text after spaces; anything else counts as 0.
double ParseWeight(const QString& text) {
  const std::string s = text.toStdString();
  return std::strtod(s.c_str(), nullptr);
}

bool IsPositionList(const EffectParam& p) {
  return std::string_view(p.cliName) == "shadow-position";
}

}  // namespace

// --- EffectDialog -------------------------------------------------------------------------------

EffectDialog::EffectDialog(std::string section, Settings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings), section_(std::move(section)) {}

void EffectDialog::showEvent(QShowEvent* event) {
  if (!placed_) {
    placed_ = true;
    const DialogPosition at = ReadDialogPosition(settings_, section_);
    if (at.x != -1) move(at.x, at.y);
  }
  QDialog::showEvent(event);
}

void EffectDialog::done(int result) {
  // Closing in any way remembers where the window was.
  if (placed_) WriteDialogPosition(settings_, section_, {pos().x(), pos().y()});
  QDialog::done(result);
}

// --- ParamEffectDialog ----------------------------------------------------------------------

ParamEffectDialog::ParamEffectDialog(EffectSession& session, const EffectCommand& command,
                                     Settings& settings, const LanguagePack& pack,
                                     std::function<void()> repaint, QWidget* parent)
    : EffectDialog(
          session.Effect().settingsSection ? session.Effect().settingsSection : "Effect dialog",
          settings, parent),
      session_(session),
      command_(command),
      repaint_(std::move(repaint)),
      schedule_(command.delayedRender) {
  setWindowTitle(QString::fromUtf8(command.title ? command.title : session.Effect().menuText));
  setupTimer_.setSingleShot(true);
  renderTimer_.setSingleShot(true);
  connect(&setupTimer_, &QTimer::timeout, this, [this] { Follow(schedule_.SetupFired()); });
  connect(&renderTimer_, &QTimer::timeout, this, [this] { Follow(schedule_.RenderFired()); });

  values_ = ReadEffectValues(settings_, session.Effect());
  BuildControls(pack);
  // The stored values are previewed as soon as the dialog appears.
  Follow(schedule_.Opened());
}

ParamEffectDialog::~ParamEffectDialog() {
  schedule_.Close();
  setupTimer_.stop();
  renderTimer_.stop();
}

void ParamEffectDialog::BuildControls(const LanguagePack& pack) {
  const EffectInfo& effect = session_.Effect();
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->setColumnStretch(1, 1);
  int valueIndex = 0;
  controls_.resize(effect.params.size());
  for (std::size_t i = 0; i < effect.params.size(); ++i) {
    Control& c = controls_[i];
    c.param = &effect.params[i];
    c.valueIndex = valueIndex;
    valueIndex += c.param->Count();
    // The position list's label names its three items; a caption reads better beside it.
    const char* caption = IsPositionList(*c.param) ? "Shadow position" : c.param->label;
    c.label = new QLabel(QString::fromUtf8(caption), this);
    set_control_id(c.label, effect_dialog_ids::kParamLabel + static_cast<int>(i));
    const int row = static_cast<int>(i);
    grid->addWidget(c.label, row, 0);
    grid->addWidget(MakeRow(c, row), row, 1, 1, 2);
    ShowValue(c);
    if (command_.labelResets && c.slider != nullptr) {
      c.label->setCursor(Qt::PointingHandCursor);
      c.label->installEventFilter(this);
    }
  }
  layout->addLayout(grid);

  auto* buttons = new QDialogButtonBox(this);
  for (std::size_t n = 0; n < command_.presets.size(); ++n) {
    const EffectPreset& preset = command_.presets[n];
    QPushButton* b = buttons->addButton(preset.label, QDialogButtonBox::ResetRole);
    b->setAutoDefault(false);
    set_control_id(b, effect_dialog_ids::kPreset + static_cast<int>(n));
    connect(b, &QPushButton::clicked, this, [this, &preset] { ApplyPreset(preset); });
    presets_.push_back(b);
  }
  QPushButton* apply = buttons->addButton("Apply", QDialogButtonBox::AcceptRole);
  apply->setDefault(true);
  set_control_id(apply, effect_dialog_ids::kApply);
  buttons->addButton(QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  if (command_.languageSection != nullptr) {
    translate_dialog(pack, command_.languageSection, this);
  }
}

QWidget* ParamEffectDialog::MakeRow(Control& c, int index) {
  const EffectParam& p = *c.param;
  auto* box = new QWidget(this);
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  const double v = values_[static_cast<std::size_t>(c.valueIndex)];
  if (p.kind == ParamKind::kInt && IsPositionList(p)) {
    c.combo = new QComboBox(box);
    c.combo->addItems({"Front", "Center", "Rear"});
    c.combo->setCurrentIndex(static_cast<int>(v));
    connect(c.combo, &QComboBox::currentIndexChanged, this, [this, index](int item) {
      values_[static_cast<std::size_t>(controls_[index].valueIndex)] = item;
      OnChanged(index, true);
    });
    row->addWidget(c.combo);
    row->addStretch();
  } else if (p.kind == ParamKind::kInt) {
    c.slider = new QSlider(Qt::Horizontal, box);
    c.slider->setRange(static_cast<int>(p.min), static_cast<int>(p.max));
    c.slider->setValue(static_cast<int>(v));
    c.slider->setMinimumWidth(220);
    c.value = new QLabel(box);
    c.value->setMinimumWidth(c.value->fontMetrics().horizontalAdvance("-1000"));
    c.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(c.slider, &QSlider::valueChanged, this, [this, index](int value) {
      values_[static_cast<std::size_t>(controls_[index].valueIndex)] = value;
      OnChanged(index, false);
    });
    row->addWidget(c.slider, 1);
    row->addWidget(c.value);
  } else if (p.kind == ParamKind::kToggle) {
    c.check = new QCheckBox(box);
    c.check->setChecked(v != 0);
    connect(c.check, &QCheckBox::toggled, this, [this, index](bool on) {
      values_[static_cast<std::size_t>(controls_[index].valueIndex)] = on ? 1 : 0;
      OnChanged(index, true);
    });
    row->addWidget(c.check);
    row->addStretch();
  } else if (p.kind == ParamKind::kColor) {
    c.colour = new QPushButton(box);
    c.colour->setAutoDefault(false);
    c.colour->setIconSize(QSize(32, 16));
    connect(c.colour, &QPushButton::clicked, this, [this, index] { ChooseColour(index); });
    row->addWidget(c.colour);
    row->addStretch();
  } else {
    auto* grid = new QGridLayout;
    for (int k = 0; k < 9; ++k) {
      auto* edit =
          new QLineEdit(QString::number(values_[static_cast<std::size_t>(c.valueIndex + k)]), box);
      edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance("0000000"));
      connect(edit, &QLineEdit::textEdited, this, [this, index, k](const QString& text) {
        values_[static_cast<std::size_t>(controls_[index].valueIndex + k)] = ParseWeight(text);
        OnChanged(index, true);
      });
      c.mask.push_back(edit);
      grid->addWidget(edit, k / 3, k % 3);
    }
    row->addLayout(grid);
    row->addStretch();
  }
  return box;
}

void ParamEffectDialog::ShowValue(Control& c) {
  const double v = values_[static_cast<std::size_t>(c.valueIndex)];
  if (c.value != nullptr) c.value->setNum(static_cast<int>(v));
  if (c.colour != nullptr) c.colour->setIcon(Swatch(FromPlatform(v)));
}

int ParamEffectDialog::ParamByName(const char* cliName) const {
  return FindParam(session_.Effect(), cliName);
}

void ParamEffectDialog::OnChanged(int param, bool now, bool preset) {
  Control& c = controls_[static_cast<std::size_t>(param)];
  ShowValue(c);
  if (loading_) return;
  // Offset link: the other offset follows silently and causes no second preview.
  const std::string_view name = c.param->cliName;
  const int link = ParamByName("link");
  if (link >= 0 && values_[static_cast<std::size_t>(controls_[link].valueIndex)] != 0 &&
      (name == "x-offset" || name == "y-offset")) {
    const int other = ParamByName(name == "x-offset" ? "y-offset" : "x-offset");
    Control& o = controls_[static_cast<std::size_t>(other)];
    const double v = values_[static_cast<std::size_t>(c.valueIndex)];
    values_[static_cast<std::size_t>(o.valueIndex)] = v;
    const QSignalBlocker block(o.slider);
    o.slider->setValue(static_cast<int>(v));
    ShowValue(o);
  }
  Follow(now ? schedule_.ChangedNow() : schedule_.Changed(preset));
}

void ParamEffectDialog::SetParam(int param, double value, int maskIndex) {
  Control& c = controls_[static_cast<std::size_t>(param)];
  if (c.slider != nullptr) {
    c.slider->setValue(static_cast<int>(value));
  } else if (c.combo != nullptr) {
    c.combo->setCurrentIndex(static_cast<int>(value));
  } else if (c.check != nullptr) {
    c.check->setChecked(value != 0);
  } else if (c.colour != nullptr) {
    values_[static_cast<std::size_t>(c.valueIndex)] = value;
    OnChanged(param, true);
  } else if (!c.mask.empty()) {
    QLineEdit* edit = c.mask[static_cast<std::size_t>(maskIndex)];
    edit->setText(QString::number(value));
    values_[static_cast<std::size_t>(c.valueIndex + maskIndex)] = value;
    OnChanged(param, true);
  }
}

void ParamEffectDialog::ApplyPreset(const EffectPreset& preset) {
  // Every value is set first; the preview then runs once for the whole preset.
  loading_ = true;
  for (const PresetValue& pv : preset.values) {
    const int param = ParamByName(pv.param);
    if (param < 0) continue;
    Control& c = controls_[static_cast<std::size_t>(param)];
    values_[static_cast<std::size_t>(c.valueIndex)] = pv.value;
    if (c.slider) c.slider->setValue(static_cast<int>(pv.value));
    if (c.combo) c.combo->setCurrentIndex(static_cast<int>(pv.value));
    if (c.check) c.check->setChecked(pv.value != 0);
    ShowValue(c);
  }
  loading_ = false;
  Follow(command_.delayedRender ? schedule_.Changed(true) : schedule_.ChangedNow());
}

void ParamEffectDialog::ChooseColour(int param) {
  Control& c = controls_[static_cast<std::size_t>(param)];
  const QColor chosen =
      QColorDialog::getColor(FromPlatform(values_[static_cast<std::size_t>(c.valueIndex)]), this);
  if (!chosen.isValid()) return;  // the chooser was cancelled
  values_[static_cast<std::size_t>(c.valueIndex)] = ToPlatform(chosen);
  OnChanged(param, true);
}

bool ParamEffectDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      Control& c = controls_[i];
      if (c.label == watched && c.slider != nullptr) {
        c.slider->setValue(static_cast<int>(c.param->def));
        return true;
      }
    }
  }
  return EffectDialog::eventFilter(watched, event);
}

void ParamEffectDialog::Follow(const RenderSchedule::Step& step) {
  if (step.setupTimerMs == 0) setupTimer_.stop();
  if (step.setupTimerMs > 0) setupTimer_.start(step.setupTimerMs);
  if (step.renderTimerMs == 0) renderTimer_.stop();
  if (step.renderTimerMs > 0) renderTimer_.start(step.renderTimerMs);
  if (step.render) Render();
}

void ParamEffectDialog::FireTimersNow() {
  if (setupTimer_.isActive()) {
    setupTimer_.stop();
    Follow(schedule_.SetupFired());
  }
  if (renderTimer_.isActive()) {
    renderTimer_.stop();
    Follow(schedule_.RenderFired());
  }
}

void ParamEffectDialog::Render() {
  session_.Preview(values_);
  if (repaint_) repaint_();
}

void ParamEffectDialog::accept() {
  // A render still waiting for its timer runs now, so the kept image matches the stored values.
  Follow(schedule_.Apply());
  WriteEffectValues(settings_, session_.Effect(), values_);
  session_.Apply();
  EffectDialog::accept();
}

void ParamEffectDialog::reject() {
  Follow(schedule_.Close());
  session_.Cancel();
  if (repaint_) repaint_();
  EffectDialog::reject();
}

QSlider* ParamEffectDialog::Slider(int param) const {
  return controls_[static_cast<std::size_t>(param)].slider;
}
QLabel* ParamEffectDialog::ValueLabel(int param) const {
  return controls_[static_cast<std::size_t>(param)].value;
}
QLabel* ParamEffectDialog::ParamLabel(int param) const {
  return controls_[static_cast<std::size_t>(param)].label;
}
QAbstractButton* ParamEffectDialog::ColourButton(int param) const {
  return controls_[static_cast<std::size_t>(param)].colour;
}
QPushButton* ParamEffectDialog::PresetButton(int index) const {
  return index < static_cast<int>(presets_.size()) ? presets_[static_cast<std::size_t>(index)]
                                                   : nullptr;
}

}  // namespace morvane

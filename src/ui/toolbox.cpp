#include "ui/toolbox.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>

#include "shell/draw_tools.h"

namespace morvane {
namespace {

constexpr int kIconSide = 20;
constexpr int kColumns = 2;

void DrawToolPicture(QPainter& p, int index) {
  const QColor ink(30, 30, 30);
  const QColor fillColor(70, 120, 200);
  p.setPen(QPen(ink, 1.5));
  p.setBrush(Qt::NoBrush);
  switch (index) {
    case tool::kSelect:
      p.setPen(QPen(ink, 1, Qt::DashLine));
      p.drawRect(3, 4, 14, 12);
      break;
    case tool::kPen:
      p.setPen(QPen(ink, 2));
      p.drawLine(4, 16, 15, 5);
      p.drawPoint(3, 17);
      break;
    case tool::kLine:
      p.drawLine(3, 17, 17, 3);
      break;
    case tool::kRectangle:
      p.drawRect(3, 5, 14, 10);
      break;
    case tool::kFilledRectangle:
      p.setBrush(fillColor);
      p.drawRect(3, 5, 14, 10);
      break;
    case tool::kEllipse:
      p.drawEllipse(2, 4, 16, 12);
      break;
    case tool::kFilledEllipse:
      p.setBrush(fillColor);
      p.drawEllipse(2, 4, 16, 12);
      break;
    case tool::kPolyline: {
      const QPoint points[] = {{2, 16}, {7, 4}, {12, 13}, {18, 3}};
      p.drawPolyline(points, 4);
      break;
    }
    case tool::kPolygon: {
      p.setBrush(fillColor);
      const QPoint points[] = {{10, 2}, {18, 9}, {14, 18}, {5, 18}, {2, 9}};
      p.drawPolygon(points, 5);
      break;
    }
    case tool::kFill: {
      p.setBrush(fillColor);
      QPainterPath bucket;
      bucket.addRect(4, 7, 10, 10);
      p.drawPath(bucket);
      p.drawEllipse(14, 12, 4, 5);
      break;
    }
    case tool::kText: {
      QFont font = p.font();
      font.setPixelSize(16);
      font.setBold(true);
      p.setFont(font);
      p.drawText(QRect(0, 0, kIconSide, kIconSide), Qt::AlignCenter, QStringLiteral("T"));
      break;
    }
    case tool::kEraser:
      p.setBrush(QColor(240, 160, 180));
      p.drawRect(4, 6, 12, 8);
      break;
    case tool::kReplace:
      p.setBrush(QColor(220, 60, 60));
      p.drawRect(2, 2, 9, 9);
      p.setBrush(fillColor);
      p.drawRect(9, 9, 9, 9);
      break;
    case tool::kBlur: {
      QRadialGradient gradient(10, 10, 8);
      gradient.setColorAt(0, ink);
      gradient.setColorAt(1, Qt::transparent);
      p.setPen(Qt::NoPen);
      p.setBrush(gradient);
      p.drawEllipse(2, 2, 16, 16);
      break;
    }
    case tool::kPickColor:
      p.setPen(QPen(ink, 2));
      p.drawLine(4, 16, 13, 7);
      p.setBrush(ink);
      p.drawEllipse(12, 3, 5, 5);
      break;
    default:
      break;
  }
}

}  // namespace

QIcon ToolIcon(int index) {
  QPixmap pixmap(kIconSide, kIconSide);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  DrawToolPicture(painter, index);
  painter.end();
  return QIcon(pixmap);
}

Toolbox::Toolbox(QWidget* parent) : QWidget(parent), group_(new QButtonGroup(this)) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(2, 2, 2, 2);
  auto* grid = new QGridLayout;
  column->addLayout(grid);
  // The buttons stay together at the top however tall the dock is.
  column->addStretch();
  grid->setSpacing(1);
  group_->setExclusive(true);
  int slot = 0;
  for (const DrawTool& t : DrawTools()) {
    auto* button = new QToolButton(this);
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setIcon(ToolIcon(t.index));
    button->setIconSize(QSize(kIconSide, kIconSide));
    QString tip = QString::fromUtf8(t.name.data(), static_cast<qsizetype>(t.name.size()));
    if (!t.shortcut.empty()) {
      tip += QStringLiteral(" (") +
             QString::fromUtf8(t.shortcut.data(), static_cast<qsizetype>(t.shortcut.size())) +
             QStringLiteral(")");
    }
    button->setToolTip(tip);
    button->setObjectName(tip);
    group_->addButton(button, t.index);
    buttons_[t.index] = button;
    grid->addWidget(button, slot / kColumns, slot % kColumns);
    ++slot;
  }
  connect(group_, &QButtonGroup::idClicked, this, &Toolbox::ToolChosen);
}

void Toolbox::SetTool(int index) {
  QToolButton* button = Button(index);
  if (button) {
    button->setChecked(true);
    return;
  }
  // Hotspot placement has no button: none is down while it runs.
  group_->setExclusive(false);
  for (auto& [i, b] : buttons_) b->setChecked(false);
  group_->setExclusive(true);
}

QToolButton* Toolbox::Button(int index) const {
  const auto it = buttons_.find(index);
  return it == buttons_.end() ? nullptr : it->second;
}

}  // namespace morvane

// The toolbox beside the canvas: one button per Draw-menu tool, with the tool's name and
// shortcut as its tip. Exactly one is down; it follows the canvas's tool.
#pragma once

#include <map>

#include <QWidget>

class QButtonGroup;
class QToolButton;

namespace morvane {

class Toolbox : public QWidget {
  Q_OBJECT

 public:
  explicit Toolbox(QWidget* parent = nullptr);
  // Shows index as the current tool (no signal). Tools without a button leave none down.
  void SetTool(int index);
  QToolButton* Button(int index) const;

 signals:
  void ToolChosen(int index);

 private:
  QButtonGroup* group_ = nullptr;
  std::map<int, QToolButton*> buttons_;
};

// A small picture of a tool for buttons and menus.
QIcon ToolIcon(int index);

}  // namespace morvane

// The effects toolbar: a floating tool window titled "Effects" with ten picture buttons in two
// columns and an "Other" button whose pop-up lists the remaining effects. Each picture is the
// effect itself run on a small sample shape, so the buttons show what they do.
#pragma once

#include <QWidget>

class QMenu;
class QToolButton;

namespace morvane {

class EffectsToolbar : public QWidget {
  Q_OBJECT

 public:
  explicit EffectsToolbar(QWidget* parent = nullptr);

  QToolButton* Button(int commandId) const;
  QMenu* OtherMenu() const { return other_; }

 signals:
  void EffectChosen(int commandId);
  // The window's close button hid it.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QMenu* other_ = nullptr;
};

}  // namespace morvane

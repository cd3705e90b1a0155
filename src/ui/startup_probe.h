// A measuring aid for the editor's start-up: with MORVANE_FIRST_PAINT_EXIT set, the first paint
// after the start-up command has run (the window showing its file) prints the monotonic clock
// and the resident memory on standard output, and the program quits. bench/editor_startup.py
// reads that line; nothing else on the screen marks the moment.
#pragma once

#include <QObject>

namespace morvane {

class StartupProbe : public QObject {
 public:
  // Installs itself on the application when the variable is set; otherwise does nothing.
  StartupProbe();

  // Called once the start-up command has run: the next paint is the one measured.
  void Arm();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool enabled_ = false;
  bool armed_ = false;
  bool reported_ = false;
};

}  // namespace morvane

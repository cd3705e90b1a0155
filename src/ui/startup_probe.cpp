#include "ui/startup_probe.h"

#include <time.h>

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace morvane {
namespace {

// The "VmRSS:" line of /proc/self/status in KiB, 0 where there is none.
long ResidentKib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return 0;
}

void Report() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  std::printf("first-paint monotonic_ns=%lld rss_kib=%ld\n",
              static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec, ResidentKib());
  std::fflush(stdout);
  QApplication::exit(0);
}

}  // namespace

StartupProbe::StartupProbe() : enabled_(std::getenv("MORVANE_FIRST_PAINT_EXIT") != nullptr) {
  if (enabled_) qApp->installEventFilter(this);
}

void StartupProbe::Arm() {
  if (!enabled_) return;
  armed_ = true;
  for (QWidget* w : QApplication::topLevelWidgets()) w->update();
}

bool StartupProbe::eventFilter(QObject* watched, QEvent* event) {
  if (armed_ && !reported_ && event->type() == QEvent::Paint) {
    reported_ = true;
    // Paints of one update run together and reach the screen before the next queued event.
    QTimer::singleShot(0, this, &Report);
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace morvane

// The one QApplication of a test program that drives widgets: made on first use, on the
// offscreen platform unless QT_QPA_PLATFORM names another, and kept until the process ends as
// an application's is.
#pragma once

#include <QApplication>

namespace morvane::testing {

inline void EnsureApplication() {
  if (QApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "test_ui";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

}  // namespace morvane::testing

// Window tests run without a display, on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/application.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  vexa::RussianSystemLocale locale;  // as the program starts
  QApplication application(argc, argv);
  locale.settle();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

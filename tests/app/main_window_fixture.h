// The main window under test: scripted dialogs, a recording report builder
// and a temporary folder for the exports it opens.
#pragma once

#include <gtest/gtest.h>

#include <QPushButton>

#include "app/tform1.h"
#include "support/recording_report_builder.h"
#include "support/scripted_dialogs.h"
#include "support/temp_files.h"

namespace vexa {

inline const std::string kClimateText =
    "Date/Time,Temperature (C),Moisture (%),Battery (Volts)\r\n"
    "2021-01-02T10:20:30+03:00,21.5,40.1,3.01\r\n"
    "2021-01-04T18:00:05+03:00,22.5,41.1,3.00\r\n";
inline const std::string kTemperatureText =
    "Date/Time,Temperature(C),Battery(Volts)\n2021-01-02 10:20:30,21.5,3.01\n";
inline const std::string kClimateLightText =
    "Date/Time,Temperature (C),Moisture (%),Brightness (lux), Battery(Volts)\n"
    "2021-01-02 10:20:30,21.5,40,120,3.01\n";
inline const std::string kPairedText = "Date,Time, T1,Time, T2\n2021-03-01,10:00:00,1,09:00:00,2\n";
inline const std::string kMotionText =
    "Date,Time,Type,Duration(seconds), Angle(degrees)\n01/02/2021,10:00:00,Moved,2.5,10\n";

class MainWindowTest : public ::testing::Test {
 protected:
  // The designed window: the preview hidden (the preview's tests show it).
  MainWindowTest() : form(dialogs) {
    form.setReportBuilder(&builder);
    form.setPreviewShown(false);
    form.show();
  }

  // Chooses `name` (written with `text`) in the dialog and presses Open.
  void open(const std::string& name, const std::string& text) {
    dialogs.answerFile(QString::fromStdString(dir.write(name, text)));
    form.Button1->click();
  }
  void openPath(const QString& path) {
    dialogs.answerFile(path);
    form.Button1->click();
  }
  QString lastMessage() const {
    return dialogs.messages.empty() ? QString() : dialogs.messages.back().text;
  }

  testing::ScriptedDialogs dialogs;
  testing::RecordingReportBuilder builder;
  testing::TempDir dir;
  TForm1 form;
};

}  // namespace vexa

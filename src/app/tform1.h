// The main window: the path box, the three buttons (Open, Start, About), the
// decimal places, the series boxes, the four date and time pickers and the
// progress bar. Its handlers drive the whole workflow.
#pragma once

#include <QWidget>
#include <exception>
#include <functional>

#include "app/open_dialog.h"
#include "input/open_export.h"
#include "input/session.h"
#include "input/start.h"
#include "report/excel_report.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimeEdit;

namespace vexa {

class TForm2;
class UserDialogs;

class TForm1 final : public QWidget,
                     private OpenObserver,
                     private StartObserver,
                     private ReportHost {
  Q_OBJECT

 public:
  explicit TForm1(UserDialogs& dialogs, QWidget* parent = nullptr);

  // The About window shown by Button3 (created hidden at start-up).
  void setAboutWindow(TForm2* about) { Form2 = about; }

  // Start hands the report input to the report builder, which drives the
  // spreadsheet application behind `server`.
  void useSpreadsheet(xl::AutomationServer& server, Clock clock = localNow);

  // Another report builder in its place (tests).
  void setReportBuilder(ReportBuilder* builder) { reportBuilder_ = builder; }

  // The automation components of every report so far, kept until the window goes.
  const std::vector<AutomationComponents>& automationComponents() const {
    return automationComponents_;
  }

  // Outer height of the window, frame included (see form_layout.h).
  int Height() const { return outerHeight_; }
  void setHeight(int outerHeight);

  void Button1Click();  // Open
  void Button2Click();  // Start
  void Button3Click();  // About

  // The series boxes and the interval as Start reads them.
  StartChoices startChoices() const;

  // Controls, under their designer names.
  QLineEdit* Edit1;
  QPushButton* Button1;
  QPushButton* Button2;
  QLabel* Label1;
  QComboBox* ComboBox1;
  QCheckBox* CheckBox1;
  QPushButton* Button3;
  QGroupBox* GroupBox1;
  QCheckBox* CheckBox2;
  QCheckBox* CheckBox3;
  QCheckBox* CheckBox4;
  QCheckBox* CheckBox5;
  QCheckBox* CheckBox6;
  QDateEdit* DateTimePicker1;
  QTimeEdit* DateTimePicker2;
  QDateEdit* DateTimePicker3;
  QTimeEdit* DateTimePicker4;
  QCheckBox* CheckBox7;
  QProgressBar* ProgressBar2;
  OpenDialog OpenDialog1;

  // The state Open leaves for Start and the report.
  Session session;

 private:
  void createControls();
  void setTabOrder();
  void resetForOpen();
  void setPickersTop(int top);
  void showPickers(bool shown);
  void fillPickers();

  // OpenObserver
  void thinningWarning(const std::string& text) override;
  void layoutRecognised(const ExportLayout& layout) override;

  // StartObserver
  void progressShown(int top) override;
  void progressMaximum(int maximum) override;
  void progressPosition(int position) override;
  void humidityCleared() override;

  // ReportHost
  ReportControls controls() override;
  void showMessage(const std::string& text) override;

  // Runs a handler; an exception is shown in the error box (or, for a stop
  // with a message, in a message box) and the window stays usable.
  void guarded(const std::function<void()>& handler);
  void showStop(const std::exception& stop);

  UserDialogs& dialogs_;
  TForm2* Form2 = nullptr;
  ReportBuilder* reportBuilder_ = nullptr;
  std::vector<AutomationComponents> automationComponents_;
  std::unique_ptr<ExcelReport> excelReport_;
  int outerHeight_ = 0;
  int shownProgress_ = 0;  // the last position drawn
};

}  // namespace vexa

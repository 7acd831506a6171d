// The main window in Qt: a thin view over the form's rules (app/form/): the
// path box, the three buttons (Open, Start, About), the decimal places, the
// series boxes, the four date and time pickers and the progress bar, shown
// as the presenter has them; what the user does goes to the presenter. Under
// the designed form the preview shows the opened export; the window grows to
// hold it.
#pragma once

#include <QString>
#include <QWidget>
#include <memory>

#include "app/form/main_form.h"
#include "input/session.h"
#include "input/start.h"
#include "report/excel_report.h"

class QAction;
class QCheckBox;
class QSettings;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimeEdit;

namespace vexa {

class PreviewChart;
class TForm2;
class UserDialogs;

class TForm1 final : public QWidget, private form::MainFormView {
  Q_OBJECT

 public:
  explicit TForm1(UserDialogs& dialogs, QWidget* parent = nullptr);
  ~TForm1() override;

  // The About window shown by Button3 (created hidden at start-up).
  void setAboutWindow(TForm2* about) { Form2 = about; }

  // Start hands the report input to the report builder, which drives the
  // spreadsheet application behind `server`; or another builder (tests).
  void useSpreadsheet(xl::AutomationServer& server, Clock clock = localNow);
  // What opens the PDF report (the desktop's viewer, unless set).
  void setPdfOpener(sheet::Opener opener) { presenter_->setPdfOpener(std::move(opener)); }
  void setReportBuilder(ReportBuilder* builder);
  const std::vector<AutomationComponents>& automationComponents() const;

  // Outer height of the designed window, frame included (see
  // app/form/geometry.h); the preview, when shown, adds its own height below.
  int Height() const;

  // Remembers the preview's state and size and the folder of the last export
  // in `settings`, from one launch to the next.
  void useSettings(QSettings& settings);

  // Opens `path` as Open would after the dialog: the command line's file and
  // a file dropped on the window. Shows what stops it as Open does.
  void openFile(const QString& path);

  // The preview under the form: shown or hidden by the user (PreviewToggle,
  // the window's context menu or Ctrl+G); in view when shown and an export
  // is open.
  void setPreviewShown(bool shown);
  bool previewShown() const;
  bool previewInView() const;

  void Button1Click();  // Open
  void Button2Click();  // Start
  void Button3Click();  // About

  // The series boxes and the interval as Start reads them.
  StartChoices startChoices() const;

  // The rules behind the window.
  form::MainForm& presenter() { return *presenter_; }

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
  PreviewChart* Preview;
  QCheckBox* PreviewToggle;
  QCheckBox* PdfBox;  // Start writes the PDF report too
  // The row of limits above the preview.
  QLabel* LimitLabel;
  QComboBox* LimitSeries;
  QLabel* LimitLowLabel;
  QLineEdit* LimitLow;
  QLabel* LimitHighLabel;
  QLineEdit* LimitHigh;
  // Under it: each limit's alarm delay and kind, the gap threshold.
  QLabel* AlarmLabel;
  QLabel* LimitLowDelayLabel;
  QLineEdit* LimitLowDelay;
  QComboBox* LimitLowKind;
  QLabel* LimitHighDelayLabel;
  QLineEdit* LimitHighDelay;
  QComboBox* LimitHighKind;
  QLabel* GapLabel;
  QLineEdit* Gap;
  // The limits in force when the preview is hidden.
  QLabel* LimitsInForce;

 private:
  class Dialogs;
  class Settings;

  void createControls();
  void connectControls();
  void setTabOrder();
  QWidget* widgetOf(form::ControlId id) const;
  void applyWindowSize(const form::FormState& state);

  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

  // form::MainFormView
  void showState(const form::FormState& state) override;
  void paintProgressNow(const form::FormState& state) override;
  void previewChanged() override;
  void showAbout() override;

  std::unique_ptr<Dialogs> dialogs_;
  std::unique_ptr<Settings> settings_;
  std::unique_ptr<form::MainForm> presenter_;
  TForm2* Form2 = nullptr;
  QAction* previewAction_ = nullptr;
  bool rendering_ = false;

 public:
  // The file-open dialog's title, filter and file, as the presenter keeps them.
  form::OpenDialogState& OpenDialog1;
  // The state Open leaves for Start and the report.
  Session& session;
};

}  // namespace vexa

// The main window: the path box, the three buttons (Open, Start, About), the
// decimal places, the series boxes, the four date and time pickers and the
// progress bar. Its handlers drive the whole workflow. Under the designed form
// the preview shows the opened export; the window grows to hold it.
#pragma once

#include <QWidget>
#include <exception>
#include <functional>

#include "app/open_dialog.h"
#include "input/open_export.h"
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

  // Outer height of the designed window, frame included (see form_layout.h);
  // the preview, when shown, adds its own height below.
  int Height() const { return outerHeight_; }
  void setHeight(int outerHeight);

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
  bool previewShown() const { return previewShown_; }
  bool previewInView() const;

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
  PreviewChart* Preview;
  QCheckBox* PreviewToggle;

  // The state Open leaves for Start and the report.
  Session session;

 private:
  void createControls();
  void setTabOrder();
  void resetForOpen();
  void setPickersTop(int top);
  void showPickers(bool shown);
  void fillPickers();
  void openNamed();
  void createPreview();
  void applyWindowSize();
  void showPreviewOfSession();
  void updatePreviewPlaces();
  void updatePreviewBand();
  void setPickers(double start, double end);

  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

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
  QSettings* settings_ = nullptr;
  QAction* previewAction_ = nullptr;
  bool previewShown_ = true;
  int previewHeight_ = 260;  // the preview's share of the window when shown
  int toggleTop_ = -1;       // where the layout has room for PreviewToggle; -1: none
};

}  // namespace vexa

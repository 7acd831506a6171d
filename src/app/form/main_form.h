// The main window's rules, without a toolkit: the designed controls and their
// states, how Open reshapes the window for each layout, what Start reads,
// the progress bar, the messages, and the preview under the form. The Qt
// window and the Win32 window are thin views over it: they show its state,
// hand it what the user does, and draw its preview.
#pragma once

#include <array>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/form/form_dialogs.h"
#include "app/form/geometry.h"
#include "app/form/preview_plot.h"
#include "input/datetime.h"
#include "input/join.h"
#include "input/open_export.h"
#include "input/session.h"
#include "input/start.h"
#include "input/statistics.h"
#include "report/excel_report.h"
#include "spreadsheet/engine.h"

namespace vexa::form {

// The controls, under their designer names, and the preview's switch.
enum class ControlId {
  Edit1,
  Button1,
  Button2,
  Label1,
  ComboBox1,
  CheckBox1,
  Button3,
  GroupBox1,
  CheckBox2,
  CheckBox3,
  CheckBox4,
  CheckBox5,
  CheckBox6,
  DateTimePicker1,
  DateTimePicker2,
  DateTimePicker3,
  DateTimePicker4,
  CheckBox7,
  ProgressBar2,
  PreviewToggle,
  // The row of limits above the preview: the series, its low and high limit.
  LimitLabel,
  LimitSeries,
  LimitLowLabel,
  LimitLow,
  LimitHighLabel,
  LimitHigh,
  // Under it: each limit's alarm delay and kind, and the gap threshold.
  AlarmLabel,
  LimitLowDelayLabel,
  LimitLowDelay,
  LimitLowKind,
  LimitHighDelayLabel,
  LimitHighDelay,
  LimitHighKind,
  GapLabel,
  Gap,
  // The limits in force, in the form when the preview is hidden.
  LimitsInForce,
  // Beside the preview's switch: Start writes the PDF report too.
  PdfBox,
};
inline constexpr int kControlCount = 37;

// The designer name of a control ("CheckBox2").
const char* nameOf(ControlId id);

// Whether a control lies in GroupBox1 (its geometry is then the group's).
bool inGroup(ControlId id);

// The controls in the designed tab order.
inline constexpr std::array<ControlId, 16> kTabOrder = {
    ControlId::Button1,         ControlId::Edit1,           ControlId::CheckBox1,
    ControlId::CheckBox2,       ControlId::CheckBox3,       ControlId::CheckBox4,
    ControlId::CheckBox5,       ControlId::CheckBox6,       ControlId::Button2,
    ControlId::DateTimePicker1, ControlId::DateTimePicker3, ControlId::DateTimePicker2,
    ControlId::DateTimePicker4, ControlId::ComboBox1,       ControlId::Button3,
    ControlId::CheckBox7};

struct ControlState {
  Rect geometry;        // in the window, or in GroupBox1 for the series boxes
  std::string caption;  // the text shown (the path box's text for Edit1)
  bool visible = true;
  bool enabled = true;
  bool checked = false;            // check boxes
  std::string hint;                // what an empty text box asks for
  std::vector<std::string> items;  // a list's items (LimitSeries)
  int selected = -1;               // the list's item chosen
  bool operator==(const ControlState&) const = default;
};

struct FormState {
  std::array<ControlState, kControlCount> controls;
  ControlState& operator[](ControlId id) { return controls[static_cast<std::size_t>(id)]; }
  const ControlState& operator[](ControlId id) const {
    return controls[static_cast<std::size_t>(id)];
  }

  int outerHeight = layout::kResetHeight;  // of the designed window, frame included
  int comboIndex = 6;                      // ComboBox1: items "0" to "8"
  // DateTimePicker1..4: the dates (of 1 and 3) and the times (of 2 and 4).
  std::array<CivilDateTime, 4> pickers;
  int progressMaximum = 3;
  int progressPosition = 1;

  bool previewShown = true;    // the user's choice: the preview under the form
  bool previewInView = false;  // shown, and an export open
  int previewHeight = layout::kPreviewDefaultHeight;  // its share of the window when in view
  int previewWidth = layout::kClientWidth;  // the window's width then, as the user made it

  // The designed window's client height.
  int designedClientHeight() const { return outerHeight - layout::kFrameHeight; }
  // Where the preview's plot begins: under the form, and under the row of
  // limits when that is in view.
  int previewTop() const {
    return designedClientHeight() +
           ((*this)[ControlId::LimitSeries].visible ? layout::kLimitsRowHeight : 0);
  }
};

// The items of ComboBox1.
inline constexpr int kDecimalItems = 9;

// The file-open dialog's state: title, filter, the file chosen last (which
// it keeps when the user cancels) and where it starts before any choice.
struct OpenDialogState {
  std::string Title;
  std::string Filter;
  std::string FileName;
  std::string InitialDir;
};

// What a view does for the presenter.
class MainFormView {
 public:
  virtual ~MainFormView() = default;
  // Shows the controls as `state` has them; called after every change.
  virtual void showState(const FormState& state) = 0;
  // The progress bar moved while Start runs: paint it before going on.
  virtual void paintProgressNow(const FormState& state) = 0;
  // The preview's picture or its band or readout changed.
  virtual void previewChanged() = 0;
  // Shows the About window modally.
  virtual void showAbout() = 0;
};

class MainForm final : private OpenObserver, private StartObserver, private ReportHost {
 public:
  MainForm(FormDialogs& dialogs, MainFormView& view);
  ~MainForm() override;

  const FormState& state() const { return state_; }
  OpenDialogState OpenDialog1;
  // The state Open leaves for Start and the report.
  Session session;
  PreviewPlot& preview() { return preview_; }
  const PreviewPlot& preview() const { return preview_; }

  // Start hands the report input to the report builder, which drives the
  // spreadsheet application behind `server`; or another builder (tests).
  // With «PDF» ticked, the PDF report is saved beside the workbook and, with
  // «Открыть файл по завершению?», opened by the PDF opener (the desktop's
  // viewer, unless set).
  void useSpreadsheet(xl::AutomationServer& server, Clock clock = localNow);
  void setReportBuilder(ReportBuilder* builder) { reportBuilder_ = builder; }
  void setPdfOpener(sheet::Opener opener) { pdfOpener_ = std::move(opener); }
  // The automation components of every report so far, kept until the window goes.
  const std::vector<AutomationComponents>& automationComponents() const {
    return automationComponents_;
  }

  // Remembers the preview's state and size and the folder of the last
  // export in `settings`, from one launch to the next.
  void useSettings(SettingsStore& settings);

  // What the user does. Each ends with the view showing the new state.
  void setPathText(const std::string& text);  // typed into Edit1
  void setChecked(ControlId box, bool checked);
  void setComboIndex(int index);
  void setPicker(int picker, const CivilDateTime& value);  // 0..3: DateTimePicker1..4
  void setPreviewShown(bool shown);                        // the switch, the menu, Ctrl+G
  // The window with the preview in view was resized: its client width, and
  // the height left for the preview under the form.
  void setPreviewSize(int width, int height);
  void setLimitSeries(int index);  // LimitSeries' item
  // Typed into LimitLow, LimitHigh, LimitLowDelay, LimitHighDelay or Gap.
  void setLimitText(ControlId edit, const std::string& text);
  void setAlarmKind(ControlId list, int index);  // LimitLowKind or LimitHighKind
  // The mouse on the preview.
  void previewPress(double x, double y);
  void previewMove(double x);
  void previewRelease(double x);
  void previewDoubleClick();
  void previewLeave();

  // The buttons as the user presses them: what stops a handler is shown in
  // a message box or the error box, and the window stays usable.
  void clickOpen() {
    guarded([this] { Button1Click(); });
  }
  void clickStart() {
    guarded([this] { Button2Click(); });
  }
  void clickAbout() {
    guarded([this] { Button3Click(); });
  }
  // Opens `path` as Open would after the dialog: the command line's file
  // and a file dropped on the window.
  void openFile(const std::string& path);
  // Several files dropped on the window: as several chosen in the dialog.
  void openFiles(const std::vector<std::string>& paths);
  // The exports a comparison opened (empty: none), and the path a joined
  // export's report is named after (empty: the path box's).
  const std::vector<std::string>& comparedExports() const { return compared_; }

  // The handlers themselves.
  void Button1Click();  // Open
  void Button2Click();  // Start
  void Button3Click();  // About

  // The series boxes and the interval as Start reads them.
  StartChoices startChoices() const;
  // Whether a dropped file is one the window takes (a .csv export).
  static bool acceptsDrop(const std::string& path);
  // The limits set for the open export, by series key, with their alarm
  // rules; the gap threshold set (none: the export's own).
  const std::map<std::string, Limits>& limits() const { return limits_; }
  std::optional<double> gapMinutes() const { return gapMinutes_; }
  // What happened in [start, end], a line each, from every reading of the
  // export: the band statistics of the preview.
  std::vector<StatisticsLine> bandStatistics(double start, double end) const;

 private:
  ControlState& control(ControlId id) { return state_[id]; }
  void changed();  // the view shows the new state
  void setHeight(int outerHeight);
  void resetForOpen();
  void setPickersTop(int top);
  void showPickers(bool shown);
  void fillPickers();
  void setPickers(double start, double end);
  void openNamed();
  // Several exports at once: the user says what they are; one tag's
  // downloads are joined and opened as one export, several tags are each
  // opened for their span and compared by Start.
  void openSeveral(const std::vector<std::string>& files);
  void openSeveralAs(const std::vector<std::string>& files, FormDialogs::Several kind);
  void forgetSeveral();
  void startComparison(StartChoices& choices);
  void showComparedPreview();
  // The limits remembered for the export `exportName` of `of`'s layout, when
  // it has its own.
  std::optional<std::map<std::string, Limits>> ownLimits(const std::string& exportName,
                                                         const Session& of) const;
  void showPreviewOfSession();
  void updatePreviewPlaces();
  void updatePreviewBand();
  void updatePreviewInView();
  void remember(const std::string& key, const std::string& value);
  // The limits row: the series it offers (the ticked ones the layout can
  // limit), the texts of the chosen one, the limits on the preview.
  void updateLimitsRow();
  void showLimitTexts();
  void updatePreviewLimits();
  void loadLimits();
  // Where a figure of the limits is remembered: for the layout (the last
  // limits set), and for the export by its file name.
  std::string layoutKey(const std::string& series, const char* figure) const;
  std::string exportKey(const std::string& series, const char* figure) const;
  void rememberLimit(const std::string& series, const char* figure, const std::string& value);
  std::string limitsInForceText() const;
  // A limit, delay or gap typed that is no number, or a low limit above the
  // high one, stops Start with a message.
  void checkLimits() const;

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
  void showInformation(const std::string& text) override;

  void guarded(const std::function<void()>& handler);
  void showStop(const std::exception& stop);

  FormDialogs& dialogs_;
  MainFormView& view_;
  FormState state_;
  PreviewPlot preview_;
  ReportBuilder* reportBuilder_ = nullptr;
  std::vector<AutomationComponents> automationComponents_;
  std::unique_ptr<ExcelReport> excelReport_;
  sheet::Opener pdfOpener_;
  SettingsStore* settings_ = nullptr;
  int shownProgress_ = 0;                 // the last position painted
  int toggleTop_ = -1;                    // where the layout has room for PreviewToggle; -1: none
  std::map<std::string, Limits> limits_;  // by series key, for the open export
  std::vector<std::string> limitKeys_;    // LimitSeries' items' keys
  // What was typed that is no number, by the series' key and the figure.
  std::map<std::string, std::string> badLimits_;
  std::optional<double> gapMinutes_;
  std::string exportName_;  // the open export's file name
  // Several exports opened together: the files and what the user said they
  // are; a join's folder (its joined export), the path its report is named
  // after and what the join found; a comparison's exports.
  std::vector<std::string> several_;
  FormDialogs::Several severalKind_ = FormDialogs::Several::OneTag;
  std::unique_ptr<TemporaryFolder> joinFolder_;
  std::string reportAs_;
  JoinFacts joinFacts_;
  std::vector<std::string> compared_;
  std::vector<PreviewData> comparedPreviews_;  // each tag's series, as Open reads them
  xl::AutomationServer* server_ = nullptr;
  Clock clock_ = localNow;
};

}  // namespace vexa::form

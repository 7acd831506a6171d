#include "app/form/main_form.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "input/formats.h"
#include "input/messages.h"
#include "input/preview.h"
#include "input/text.h"
#include "platform/files.h"
#include "report/summary.h"

namespace vexa::form {

namespace {

constexpr const char* kNames[] = {
    "Edit1",           "Button1",         "Button2",       "Label1",          "ComboBox1",
    "CheckBox1",       "Button3",         "GroupBox1",     "CheckBox2",       "CheckBox3",
    "CheckBox4",       "CheckBox5",       "CheckBox6",     "DateTimePicker1", "DateTimePicker2",
    "DateTimePicker3", "DateTimePicker4", "CheckBox7",     "ProgressBar2",    "PreviewToggle",
    "LimitLabel",      "LimitSeries",     "LimitLowLabel", "LimitLow",        "LimitHighLabel",
    "LimitHigh"};
static_assert(std::size(kNames) == kControlCount, "a name for every control");

constexpr ControlId kPickers[4] = {ControlId::DateTimePicker1, ControlId::DateTimePicker2,
                                   ControlId::DateTimePicker3, ControlId::DateTimePicker4};

// The folder of a file named by a path text, as a path text.
std::string folderOf(const std::string& file) {
  return platform::textOf(platform::pathOf(platform::absoluteText(file)).parent_path());
}

CivilDateTime dateOf(const CivilDateTime& value) {
  CivilDateTime date;
  date.year = value.year;
  date.month = value.month;
  date.day = value.day;
  return date;
}

CivilDateTime timeOf(const CivilDateTime& value) {
  CivilDateTime time;
  time.hour = value.hour;
  time.minute = value.minute;
  time.second = value.second;
  return time;
}

}  // namespace

const char* nameOf(ControlId id) {
  return kNames[static_cast<std::size_t>(id)];
}

bool inGroup(ControlId id) {
  return id >= ControlId::CheckBox2 && id <= ControlId::CheckBox6;
}

MainForm::MainForm(FormDialogs& dialogs, MainFormView& view) : dialogs_(dialogs), view_(view) {
  struct Designed {
    ControlId id;
    Rect geometry;
    const char* caption;
    bool visible;
    bool enabled;
    bool checked;
  };
  const Designed designed[] = {
      {ControlId::Edit1, layout::Edit1, "", true, true, false},
      {ControlId::Button1, layout::Button1, "Открыть", true, true, false},
      {ControlId::Button2, layout::Button2, "Пуск", true, false, false},
      {ControlId::Label1, layout::Label1, "Число десятичных знаков", true, true, false},
      {ControlId::ComboBox1, layout::ComboBox1, "", true, true, false},
      {ControlId::CheckBox1, layout::CheckBox1, "Открыть файл по завершению?", true, true, true},
      {ControlId::Button3, layout::Button3, "О программе", true, true, false},
      {ControlId::GroupBox1, layout::GroupBox1, "Добавить на график", false, true, false},
      {ControlId::CheckBox2, layout::CheckBox2, "Температура", false, true, true},
      {ControlId::CheckBox3, layout::CheckBox3, "Влажность", false, true, true},
      {ControlId::CheckBox4, layout::CheckBox4, "Батарея", false, true, false},
      {ControlId::CheckBox5, layout::CheckBox5, "Освещённость", false, true, false},
      {ControlId::CheckBox6, layout::CheckBox6, "Логарифмическая", false, true, false},
      // The time pickers are shown, below the designed client area.
      {ControlId::DateTimePicker1, layout::DateTimePicker1, "", false, true, false},
      {ControlId::DateTimePicker2, layout::DateTimePicker2, "", true, true, false},
      {ControlId::DateTimePicker3, layout::DateTimePicker3, "", false, true, false},
      {ControlId::DateTimePicker4, layout::DateTimePicker4, "", true, true, false},
      {ControlId::CheckBox7, layout::CheckBox7, "Логарифмическая шкала", false, true, false},
      {ControlId::ProgressBar2, layout::ProgressBar2, "", false, true, false},
      {ControlId::PreviewToggle, layout::PreviewToggle, "График", false, true, true},
      // The row of limits; its tops are set under the form when it shows.
      {ControlId::LimitLabel, layout::LimitLabel, "Пределы:", false, true, false},
      {ControlId::LimitSeries, layout::LimitSeries, "", false, true, false},
      {ControlId::LimitLowLabel, layout::LimitLowLabel, "от", false, true, false},
      {ControlId::LimitLow, layout::LimitLow, "", false, true, false},
      {ControlId::LimitHighLabel, layout::LimitHighLabel, "до", false, true, false},
      {ControlId::LimitHigh, layout::LimitHigh, "", false, true, false},
  };
  for (const Designed& d : designed) {
    state_[d.id].geometry = d.geometry;
    state_[d.id].caption = d.caption;
    state_[d.id].visible = d.visible;
    state_[d.id].enabled = d.enabled;
    state_[d.id].checked = d.checked;
  }
  state_[ControlId::LimitLow].hint = "нижний";
  state_[ControlId::LimitHigh].hint = "верхний";
  state_[ControlId::ComboBox1].caption = "6";
  OpenDialog1.Title = "Выбор файла";
  OpenDialog1.Filter = "Vexa|*.csv";
}

MainForm::~MainForm() = default;

void MainForm::changed() {
  updatePreviewInView();
  view_.showState(state_);
}

void MainForm::updatePreviewInView() {
  state_.previewInView = state_.previewShown && preview_.hasData();
  ControlState& toggle = control(ControlId::PreviewToggle);
  // The switch stands in the progress bar's row, which the bar takes while
  // Start runs.
  toggle.visible =
      preview_.hasData() && toggleTop_ >= 0 && !control(ControlId::ProgressBar2).visible;
  if (toggleTop_ >= 0) {
    toggle.geometry.top = toggleTop_;
  }
  toggle.checked = state_.previewShown;
  // The row of limits stands at the top of the preview's area.
  const bool limitsShown = state_.previewInView && !limitKeys_.empty();
  const struct {
    ControlId id;
    Rect designed;
  } row[] = {{ControlId::LimitLabel, layout::LimitLabel},
             {ControlId::LimitSeries, layout::LimitSeries},
             {ControlId::LimitLowLabel, layout::LimitLowLabel},
             {ControlId::LimitLow, layout::LimitLow},
             {ControlId::LimitHighLabel, layout::LimitHighLabel},
             {ControlId::LimitHigh, layout::LimitHigh}};
  for (const auto& [id, designed] : row) {
    control(id).visible = limitsShown;
    control(id).geometry = designed;
    control(id).geometry.top = state_.designedClientHeight() + designed.top;
  }
}

namespace {

// The key a limitable series of the preview goes by: the batch program's
// name for the climate family's, the heading of a paired column.
std::string keyOf(const PreviewSeries& series) {
  return series.box != 0 ? climateSeriesKey(series.box)
                         : std::string(trimSpaces(decimalComma(series.name)));
}

}  // namespace

std::string MainForm::limitKey(const std::string& series, bool high) const {
  return "limits/" + std::to_string(session.count) + "/" + series + (high ? "/high" : "/low");
}

void MainForm::updateLimitsRow() {
  ControlState& list = control(ControlId::LimitSeries);
  const std::string chosen =
      list.selected >= 0 && list.selected < static_cast<int>(limitKeys_.size())
          ? limitKeys_[static_cast<std::size_t>(list.selected)]
          : std::string();
  limitKeys_.clear();
  list.items.clear();
  const PreviewData& data = preview_.data();
  const bool measured = data.count == kClimate || data.count == kTemperature ||
                        data.count == kClimateLight || data.count == kPairedNumeric;
  for (std::size_t i = 0; measured && i < data.series.size(); ++i) {
    const PreviewSeries& series = data.series[i];
    if (series.box != 0 &&
        !control(static_cast<ControlId>(static_cast<int>(ControlId::CheckBox2) + series.box - 2))
             .checked) {
      continue;  // the report shows only the ticked series
    }
    limitKeys_.push_back(keyOf(series));
    list.items.emplace_back(trimSpaces(series.name));
  }
  const auto found = std::find(limitKeys_.begin(), limitKeys_.end(), chosen);
  list.selected = limitKeys_.empty()          ? -1
                  : found != limitKeys_.end() ? static_cast<int>(found - limitKeys_.begin())
                                              : 0;
  showLimitTexts();
}

void MainForm::showLimitTexts() {
  const ControlState& list = control(ControlId::LimitSeries);
  const std::string key =
      list.selected >= 0 ? limitKeys_[static_cast<std::size_t>(list.selected)] : std::string();
  const auto found = limits_.find(key);
  for (const bool high : {false, true}) {
    const auto bad = badLimits_.find(limitKey(key, high));
    std::string text;
    if (bad != badLimits_.end()) {
      text = bad->second;
    } else if (found != limits_.end()) {
      const std::optional<double>& value = high ? found->second.high : found->second.low;
      text = value ? previewNumber(*value) : std::string();
    }
    control(high ? ControlId::LimitHigh : ControlId::LimitLow).caption = text;
  }
}

void MainForm::setLimitSeries(int index) {
  ControlState& list = control(ControlId::LimitSeries);
  if (index < 0 || index >= static_cast<int>(limitKeys_.size()) || index == list.selected) {
    return;
  }
  list.selected = index;
  showLimitTexts();
  changed();
}

void MainForm::setLimitText(ControlId edit, const std::string& text) {
  const ControlState& list = control(ControlId::LimitSeries);
  if (list.selected < 0 || (edit != ControlId::LimitLow && edit != ControlId::LimitHigh)) {
    return;
  }
  const bool high = edit == ControlId::LimitHigh;
  const std::string key = limitKeys_[static_cast<std::size_t>(list.selected)];
  control(edit).caption = text;
  const auto value = limitFromText(text);
  if (!value) {
    badLimits_[limitKey(key, high)] = text;
  } else {
    badLimits_.erase(limitKey(key, high));
    Limits& limits = limits_[key];
    (high ? limits.high : limits.low) = *value;
    if (limits.empty()) {
      limits_.erase(key);
    }
    remember(limitKey(key, high), *value ? previewNumber(**value) : std::string());
  }
  updatePreviewLimits();
  changed();
}

void MainForm::loadLimits() {
  limits_.clear();
  badLimits_.clear();
  if (settings_ == nullptr) {
    return;
  }
  for (const SummarySeries& series : seriesOffered(session.count, session)) {
    for (const bool high : {false, true}) {
      const auto stored = settings_->value(limitKey(series.key, high));
      const auto value = stored ? limitFromText(*stored) : std::nullopt;
      if (value && *value) {
        (high ? limits_[series.key].high : limits_[series.key].low) = **value;
      }
    }
  }
}

void MainForm::updatePreviewLimits() {
  std::vector<Limits> perSeries;
  for (const PreviewSeries& series : preview_.data().series) {
    const auto found = limits_.find(keyOf(series));
    perSeries.push_back(found == limits_.end() ? Limits() : found->second);
  }
  preview_.setLimits(std::move(perSeries));
  view_.previewChanged();
}

void MainForm::checkLimits() const {
  const ControlState& list = state_[ControlId::LimitSeries];
  for (std::size_t i = 0; i < limitKeys_.size(); ++i) {
    const std::string& name = list.items[i];
    for (const bool high : {false, true}) {
      const auto bad = badLimits_.find(limitKey(limitKeys_[i], high));
      if (bad != badLimits_.end()) {
        throw StopWithMessage(std::string(high ? "Верхний" : "Нижний") + " предел «" + bad->second +
                              "» ряда «" + name + "» — не число.");
      }
    }
    const auto found = limits_.find(limitKeys_[i]);
    if (found != limits_.end() && found->second.low && found->second.high &&
        *found->second.low > *found->second.high) {
      throw StopWithMessage("Нижний предел ряда «" + name + "» выше верхнего.");
    }
  }
}

void MainForm::remember(const std::string& key, const std::string& value) {
  if (settings_ != nullptr) {
    settings_->setValue(key, value);
  }
}

void MainForm::useSettings(SettingsStore& settings) {
  settings_ = &settings;
  if (const auto height = settings.value("preview/height")) {
    const int value = std::atoi(height->c_str());
    if (value > 0) {
      state_.previewHeight = value;
    }
  }
  OpenDialog1.InitialDir = settings.value("open/folder").value_or("");
  setPreviewShown(settings.value("preview/shown").value_or("true") != "false");
}

void MainForm::setPathText(const std::string& text) {
  control(ControlId::Edit1).caption = text;
}

void MainForm::setChecked(ControlId box, bool checked) {
  if (control(box).checked == checked) {
    return;
  }
  if (box == ControlId::PreviewToggle) {
    setPreviewShown(checked);
    return;
  }
  control(box).checked = checked;
  if (inGroup(box) || box == ControlId::CheckBox7) {
    updatePreviewPlaces();  // a series shown or hidden, or an axis's scale
    updateLimitsRow();
  }
  changed();
}

void MainForm::setComboIndex(int index) {
  state_.comboIndex = std::clamp(index, 0, kDecimalItems - 1);
  control(ControlId::ComboBox1).caption = std::to_string(state_.comboIndex);
  changed();
}

void MainForm::setPicker(int picker, const CivilDateTime& value) {
  if (picker < 0 || picker > 3) {
    return;
  }
  state_.pickers[static_cast<std::size_t>(picker)] =
      picker % 2 == 0 ? dateOf(value) : timeOf(value);
  updatePreviewBand();
  changed();
}

void MainForm::setPreviewShown(bool shown) {
  state_.previewShown = shown;
  remember("preview/shown", shown ? "true" : "false");
  changed();
}

void MainForm::setPreviewHeight(int height) {
  if (!state_.previewInView || height == state_.previewHeight) {
    return;
  }
  state_.previewHeight = std::max(height, layout::kPreviewMinimumHeight);
  remember("preview/height", std::to_string(state_.previewHeight));
}

void MainForm::previewPress(double x, double y) {
  if (preview_.press(x, y)) {
    view_.previewChanged();
  }
}

void MainForm::previewMove(double x) {
  preview_.move(x);
  view_.previewChanged();
}

void MainForm::previewRelease(double x) {
  const bool wasDragging = preview_.dragging();
  if (const auto chosen = preview_.release(x)) {
    setPickers(chosen->first, chosen->second);
  }
  if (wasDragging) {
    view_.previewChanged();
  }
}

void MainForm::previewDoubleClick() {
  if (const auto whole = preview_.doubleClick()) {
    setPickers(whole->first, whole->second);
    view_.previewChanged();
  }
}

void MainForm::previewLeave() {
  preview_.leave();
  view_.previewChanged();
}

void MainForm::setPickers(double start, double end) {
  const CivilDateTime from = decodeDateTime(start);
  const CivilDateTime to = decodeDateTime(end);
  state_.pickers = {dateOf(from), timeOf(from), dateOf(to), timeOf(to)};
  updatePreviewBand();
  changed();
}

void MainForm::showPreviewOfSession() {
  preview_.setData(previewOf(session));
  loadLimits();
  updatePreviewPlaces();
  updatePreviewBand();
  updateLimitsRow();
  updatePreviewLimits();
  view_.previewChanged();
  changed();
}

void MainForm::updatePreviewPlaces() {
  if (!preview_.hasData()) {
    return;
  }
  const PreviewBoxes boxes{
      control(ControlId::CheckBox2).checked, control(ControlId::CheckBox3).checked,
      control(ControlId::CheckBox4).checked, control(ControlId::CheckBox5).checked,
      control(ControlId::CheckBox6).checked, control(ControlId::CheckBox7).checked};
  preview_.setPlaces(placesOf(preview_.data(), boxes));
  view_.previewChanged();
}

void MainForm::updatePreviewBand() {
  if (!preview_.hasData()) {
    return;
  }
  const StartChoices chosen = startChoices();
  if (isValidCivil(chosen.start) && isValidCivil(chosen.end)) {
    preview_.setBand(encodeDateTime(chosen.start), encodeDateTime(chosen.end));
    view_.previewChanged();
  }
}

void MainForm::setHeight(int outerHeight) {
  state_.outerHeight = outerHeight;
}

void MainForm::setPickersTop(int top) {
  for (const ControlId picker : kPickers) {
    control(picker).geometry.top = top;
  }
}

void MainForm::showPickers(bool shown) {
  for (const ControlId picker : kPickers) {
    control(picker).visible = shown;
  }
}

void MainForm::resetForOpen() {
  // Nothing of the previous export stays in view.
  preview_.clear();
  limitKeys_.clear();
  control(ControlId::LimitSeries).items.clear();
  control(ControlId::LimitSeries).selected = -1;
  view_.previewChanged();
  toggleTop_ = -1;
  session.ref = "all";
  setPickersTop(layout::kPickersResetTop);
  control(ControlId::Button2).enabled = false;
  setHeight(layout::kResetHeight);
  control(ControlId::GroupBox1).geometry.height = layout::kGroupResetHeight;
  control(ControlId::GroupBox1).visible = false;
  control(ControlId::CheckBox2).geometry = layout::CheckBox2;
  control(ControlId::CheckBox3).geometry = layout::CheckBox3;
  control(ControlId::CheckBox4).geometry = layout::CheckBox4;
  for (const ControlId box : {ControlId::CheckBox2, ControlId::CheckBox3, ControlId::CheckBox4,
                              ControlId::CheckBox5, ControlId::CheckBox6, ControlId::CheckBox7}) {
    control(box).visible = false;
  }
  showPickers(false);
}

void MainForm::Button1Click() {
  resetForOpen();
  changed();
  const std::string folder =
      OpenDialog1.FileName.empty() ? OpenDialog1.InitialDir : folderOf(OpenDialog1.FileName);
  if (const auto chosen = dialogs_.chooseFile(OpenDialog1.Title, OpenDialog1.Filter, folder)) {
    OpenDialog1.FileName = *chosen;
    control(ControlId::Edit1).caption = *chosen;
  }
  openNamed();
}

void MainForm::openFile(const std::string& path) {
  guarded([&] {
    resetForOpen();
    OpenDialog1.FileName = path;
    control(ControlId::Edit1).caption = path;
    openNamed();
  });
}

bool MainForm::acceptsDrop(const std::string& path) {
  if (path.size() < 4) {
    return false;
  }
  std::string extension = path.substr(path.size() - 4);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".csv";
}

void MainForm::openNamed() {
  const std::string nam = control(ControlId::Edit1).caption;
  if (nam.empty()) {
    changed();
    return;
  }
  if (isRefusedName(nam)) {
    changed();
    dialogs_.showMessage(std::string(kRefusedNameMessage));
    control(ControlId::Edit1).caption.clear();
    changed();
    return;
  }
  openExport(OpenDialog1.FileName, session, *this);
  fillPickers();
  control(ControlId::Button2).enabled = true;
  remember("open/folder", folderOf(OpenDialog1.FileName));
  showPreviewOfSession();
}

void MainForm::thinningWarning(const std::string& text) {
  changed();
  dialogs_.showMessage(text);
}

void MainForm::layoutRecognised(const ExportLayout& layout) {
  const auto showSeries = [&](ControlId box, const char* caption) {
    control(box).caption = caption;
    control(box).visible = true;
  };
  switch (layout.count) {
    case kClimate:
    case kTemperature:
      toggleTop_ = layout::kProgressTop;
      setHeight(layout::kClimateHeight);
      setPickersTop(layout::kPickersClimateTop);
      showPickers(true);
      control(ControlId::GroupBox1).visible = true;
      showSeries(ControlId::CheckBox2, "Температура");
      if (layout.count == kClimate) {
        showSeries(ControlId::CheckBox3, "Влажность");
      }
      showSeries(ControlId::CheckBox4, "Батарея");
      if (layout.twoProbe) {
        control(ControlId::CheckBox2).geometry.width = layout::kTwoProbeCheckBox2Width;
        control(ControlId::CheckBox2).caption = "Температура зонда";
        control(ControlId::CheckBox3).geometry.left = layout::kTwoProbeCheckBox3Left;
        control(ControlId::CheckBox3).geometry.width = layout::kTwoProbeCheckBox3Width;
        showSeries(ControlId::CheckBox3, "Температура корпуса");
        control(ControlId::CheckBox4).geometry.left = layout::kTwoProbeCheckBox4Left;
      }
      break;
    case kClimateLight:
      toggleTop_ = layout::kProgressClimateLightTop;
      setHeight(layout::kClimateLightHeight);
      setPickersTop(layout::kPickersClimateLightTop);
      showPickers(true);
      control(ControlId::GroupBox1).geometry.height = layout::kGroupClimateLightHeight;
      control(ControlId::GroupBox1).visible = true;
      showSeries(ControlId::CheckBox2, "Температура");
      showSeries(ControlId::CheckBox3, "Влажность");
      showSeries(ControlId::CheckBox4, "Батарея");
      showSeries(ControlId::CheckBox5, "Освещённость");
      showSeries(ControlId::CheckBox6, "Логарифмическая");
      break;
    case kPairedNumeric:
    case kPairedState:
      control(ControlId::CheckBox7).visible = layout.lightOption;
      toggleTop_ = layout::kProgressTop;
      setHeight(layout::kClimateHeight);
      setPickersTop(layout::kPickersResetTop);
      showPickers(true);
      break;
    default:  // motion events keep the reset shape
      break;
  }
  changed();
}

void MainForm::fillPickers() {
  setPickers(session.OsMin1, session.OsMax1);
}

StartChoices MainForm::startChoices() const {
  const auto civil = [](const CivilDateTime& date, const CivilDateTime& time) {
    CivilDateTime value = date;
    value.hour = time.hour;
    value.minute = time.minute;
    value.second = time.second;
    return value;
  };
  StartChoices choices;
  choices.CheckBox2 = state_[ControlId::CheckBox2].checked;
  choices.CheckBox3 = state_[ControlId::CheckBox3].checked;
  choices.CheckBox4 = state_[ControlId::CheckBox4].checked;
  choices.CheckBox5 = state_[ControlId::CheckBox5].checked;
  choices.start = civil(state_.pickers[0], state_.pickers[1]);
  choices.end = civil(state_.pickers[2], state_.pickers[3]);
  return choices;
}

void MainForm::Button2Click() {
  control(ControlId::Button2).enabled = false;
  changed();
  if (reportBuilder_ == nullptr) {
    throw std::logic_error("Start has no report builder");
  }
  StartChoices choices = startChoices();
  try {
    checkLimits();
    runStart(session, choices, *this, *reportBuilder_);
  } catch (const StopWithMessage& stop) {
    // A refused interval or no ticked series ends the run normally; any other
    // error leaves Start disabled until the next successful Open.
    showStop(stop);
  }
  control(ControlId::Button2).enabled = true;
  control(ControlId::ProgressBar2).visible = false;
  changed();
}

void MainForm::progressShown(int top) {
  ControlState& bar = control(ControlId::ProgressBar2);
  bar.geometry.top = top;
  bar.visible = true;
  state_.progressMaximum = 3;
  state_.progressPosition = 1;
  shownProgress_ = 1;
  updatePreviewInView();
  view_.paintProgressNow(state_);
}

void MainForm::progressMaximum(int maximum) {
  state_.progressMaximum = maximum;
}

void MainForm::progressPosition(int position) {
  // The bar is painted only when it moves visibly: the paired-column
  // extraction reports hundreds of thousands of steps.
  const int maximum = state_.progressMaximum;
  position = std::min(position, maximum);
  state_.progressPosition = position;
  if (static_cast<long long>(std::abs(position - shownProgress_)) * 100 >= maximum ||
      position == maximum || position < shownProgress_) {
    shownProgress_ = position;
    view_.paintProgressNow(state_);
  }
}

void MainForm::humidityCleared() {
  control(ControlId::CheckBox3).checked = false;
  updatePreviewPlaces();
  changed();
}

void MainForm::useSpreadsheet(xl::AutomationServer& server, Clock clock) {
  ReportHost& host = *this;
  excelReport_ =
      std::make_unique<ExcelReport>(server, host, session, automationComponents_, std::move(clock));
  reportBuilder_ = excelReport_.get();
}

ReportControls MainForm::controls() {
  ReportControls c;
  c.Edit1 = state_[ControlId::Edit1].caption;
  c.CheckBox1 = state_[ControlId::CheckBox1].checked;
  c.ComboBox1 = std::to_string(state_.comboIndex);
  c.CheckBox2 = state_[ControlId::CheckBox2].checked;
  c.CheckBox3 = state_[ControlId::CheckBox3].checked;
  c.CheckBox4 = state_[ControlId::CheckBox4].checked;
  c.CheckBox5 = state_[ControlId::CheckBox5].checked;
  c.CheckBox6 = state_[ControlId::CheckBox6].checked;
  c.CheckBox7 = state_[ControlId::CheckBox7].checked;
  c.CheckBox5Caption = state_[ControlId::CheckBox5].caption;
  c.OpenDialog1FileName = OpenDialog1.FileName;
  c.limits = limits_;
  return c;
}

void MainForm::showMessage(const std::string& text) {
  changed();
  dialogs_.showMessage(text);
}

void MainForm::Button3Click() {
  view_.showAbout();
}

void MainForm::showStop(const std::exception& stop) {
  changed();
  const auto* message = dynamic_cast<const StopWithMessage*>(&stop);
  if (message != nullptr && !message->caption().empty()) {
    dialogs_.messageBox(message->what(), message->caption());
  } else if (message != nullptr) {
    dialogs_.showMessage(message->what());
  } else {
    dialogs_.errorBox(messageOf(stop));
  }
}

void MainForm::guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    showStop(error);
  } catch (...) {
    changed();
    dialogs_.errorBox("Неизвестная ошибка.");
  }
  changed();
}

}  // namespace vexa::form

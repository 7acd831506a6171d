#include "app/form/main_form.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <stdexcept>

#include "input/formats.h"
#include "input/messages.h"
#include "input/preview.h"
#include "input/text.h"
#include "pdf/workbook_pdf.h"
#include "platform/files.h"
#include "report/summary.h"
#include "spreadsheet/comparison.h"
#include "spreadsheet/engine.h"
#include "spreadsheet/ooxml_writer.h"
#include "spreadsheet/package.h"

namespace vexa::form {

namespace {

constexpr const char* kNames[] = {"Edit1",
                                  "Button1",
                                  "Button2",
                                  "Label1",
                                  "ComboBox1",
                                  "CheckBox1",
                                  "Button3",
                                  "GroupBox1",
                                  "CheckBox2",
                                  "CheckBox3",
                                  "CheckBox4",
                                  "CheckBox5",
                                  "CheckBox6",
                                  "DateTimePicker1",
                                  "DateTimePicker2",
                                  "DateTimePicker3",
                                  "DateTimePicker4",
                                  "CheckBox7",
                                  "ProgressBar2",
                                  "PreviewToggle",
                                  "LimitLabel",
                                  "LimitSeries",
                                  "LimitLowLabel",
                                  "LimitLow",
                                  "LimitHighLabel",
                                  "LimitHigh",
                                  "AlarmLabel",
                                  "LimitLowDelayLabel",
                                  "LimitLowDelay",
                                  "LimitLowKind",
                                  "LimitHighDelayLabel",
                                  "LimitHighDelay",
                                  "LimitHighKind",
                                  "GapLabel",
                                  "Gap",
                                  "LimitsInForce",
                                  "PdfBox"};
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
      {ControlId::AlarmLabel, layout::AlarmLabel, "Тревога:", false, true, false},
      {ControlId::LimitLowDelayLabel, layout::LimitLowDelayLabel, "ниже", false, true, false},
      {ControlId::LimitLowDelay, layout::LimitLowDelay, "", false, true, false},
      {ControlId::LimitLowKind, layout::LimitLowKind, "", false, true, false},
      {ControlId::LimitHighDelayLabel, layout::LimitHighDelayLabel, "выше", false, true, false},
      {ControlId::LimitHighDelay, layout::LimitHighDelay, "", false, true, false},
      {ControlId::LimitHighKind, layout::LimitHighKind, "", false, true, false},
      {ControlId::GapLabel, layout::GapLabel, "Пропуск:", false, true, false},
      {ControlId::Gap, layout::Gap, "", false, true, false},
      {ControlId::LimitsInForce, layout::LimitsInForce, "", false, true, false},
      {ControlId::PdfBox, layout::PdfBox, "PDF", false, true, false},
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
  state_[ControlId::LimitLowDelay].hint = "мин";
  state_[ControlId::LimitHighDelay].hint = "мин";
  state_[ControlId::Gap].hint = "мин";
  for (const ControlId kind : {ControlId::LimitLowKind, ControlId::LimitHighKind}) {
    state_[kind].items = {std::string(alarmKindText(AlarmKind::Single)),
                          std::string(alarmKindText(AlarmKind::Cumulative))};
    state_[kind].selected = 0;
  }
  state_[ControlId::ComboBox1].caption = "6";
  OpenDialog1.Title = "Выбор файла";
  OpenDialog1.Filter = "Vexa|*.csv";
  preview_.setBandStatistics(
      [this](double start, double end) { return bandStatistics(start, end); });
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
  // «PDF» stands beside it, in the same row.
  ControlState& pdf = control(ControlId::PdfBox);
  pdf.visible = toggle.visible;
  pdf.geometry.top = toggle.geometry.top;
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
             {ControlId::LimitHigh, layout::LimitHigh},
             {ControlId::AlarmLabel, layout::AlarmLabel},
             {ControlId::LimitLowDelayLabel, layout::LimitLowDelayLabel},
             {ControlId::LimitLowDelay, layout::LimitLowDelay},
             {ControlId::LimitLowKind, layout::LimitLowKind},
             {ControlId::LimitHighDelayLabel, layout::LimitHighDelayLabel},
             {ControlId::LimitHighDelay, layout::LimitHighDelay},
             {ControlId::LimitHighKind, layout::LimitHighKind},
             {ControlId::GapLabel, layout::GapLabel},
             {ControlId::Gap, layout::Gap}};
  for (const auto& [id, designed] : row) {
    control(id).visible = limitsShown;
    control(id).geometry = designed;
    control(id).geometry.top = state_.designedClientHeight() + designed.top;
  }
  // With the preview hidden, the limits in force stay in view beside its switch.
  ControlState& inForce = control(ControlId::LimitsInForce);
  inForce.visible = toggle.visible && !state_.previewShown && !limitKeys_.empty();
  inForce.geometry = layout::LimitsInForce;
  if (toggleTop_ >= 0) {
    inForce.geometry.top = toggleTop_;
  }
  inForce.caption = limitsInForceText();
}

namespace {

// The key a limitable series of the preview goes by: the batch program's
// name for the climate family's, the heading of a paired column.
// Open of an export the form does not take the shape of (one of several
// compared): its thinning and its layout said to no one.
class QuietOpen final : public OpenObserver {
 public:
  void thinningWarning(const std::string&) override {}
  void layoutRecognised(const ExportLayout&) override {}
};

std::string keyOf(const PreviewSeries& series) {
  return series.box != 0 ? climateSeriesKey(series.box)
                         : std::string(trimSpaces(decimalComma(series.name)));
}

}  // namespace

namespace {

// A part of a settings key: the file's or the series' own name, its "/"
// and "\\" written so that they part nothing.
std::string keyPart(const std::string& text) {
  std::string part;
  for (const char c : text) {
    switch (c) {
      case '%':
        part += "%25";
        break;
      case '/':
        part += "%2F";
        break;
      case '\\':
        part += "%5C";
        break;
      default:
        part += c;
    }
  }
  return part;
}

// The figures of a limit as the settings name them.
constexpr const char* kLowFigure = "low";
constexpr const char* kHighFigure = "high";
constexpr const char* kLowDelayFigure = "lowDelay";
constexpr const char* kHighDelayFigure = "highDelay";
constexpr const char* kLowKindFigure = "lowKind";
constexpr const char* kHighKindFigure = "highKind";

// "21,5 ч", "2 раза", "5 раз": figures as the window writes them.
std::string hoursText(Seconds seconds) {
  return previewNumber(std::round(hoursOfSeconds(seconds) * 100) / 100) + " ч";
}

std::string timesText(int count) {
  const int tens = count % 100;
  const int last = count % 10;
  const char* word = last >= 2 && last <= 4 && !(tens >= 12 && tens <= 14) ? "раза" : "раз";
  return std::to_string(count) + " " + word;
}

// A verdict's mark in the window: the colours of the third sheet's fills.
std::optional<Colour> markOf(Verdict verdict) {
  switch (verdict) {
    case Verdict::Normal:
      return Colour{198, 239, 206};
    case Verdict::Alarm:
      return Colour{255, 199, 206};
    case Verdict::NoData:
      return Colour{217, 217, 217};
    case Verdict::NoLimits:
      break;
  }
  return std::nullopt;
}

}  // namespace

std::string MainForm::layoutKey(const std::string& series, const char* figure) const {
  return "limits/" + std::to_string(session.count) + "/" + keyPart(series) + "/" + figure;
}

std::string MainForm::exportKey(const std::string& series, const char* figure) const {
  return "exports/" + keyPart(exportName_) + "/limits/" + keyPart(series) + "/" + figure;
}

void MainForm::rememberLimit(const std::string& series, const char* figure,
                             const std::string& value) {
  remember(layoutKey(series, figure), value);
  remember(exportKey(series, figure), value);
  remember("exports/" + keyPart(exportName_) + "/own", "true");
}

std::string MainForm::limitsInForceText() const {
  std::string text;
  const ControlState& list = state_[ControlId::LimitSeries];
  for (std::size_t i = 0; i < limitKeys_.size() && i < list.items.size(); ++i) {
    const auto found = limits_.find(limitKeys_[i]);
    if (found == limits_.end() || found->second.empty()) {
      continue;
    }
    text += (text.empty() ? "" : "; ") + list.items[i];
    if (found->second.low) {
      text += " от " + previewNumber(*found->second.low);
    }
    if (found->second.high) {
      text += " до " + previewNumber(*found->second.high);
    }
  }
  return "Пределы: " + (text.empty() ? std::string("не заданы") : text);
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
  const Limits limits = found != limits_.end() ? found->second : Limits();
  const auto show = [&](ControlId edit, const char* figure, const std::optional<double>& value) {
    const auto bad = badLimits_.find(key + "/" + figure);
    control(edit).caption = bad != badLimits_.end() ? bad->second
                            : value                 ? previewNumber(*value)
                                                    : std::string();
  };
  show(ControlId::LimitLow, kLowFigure, limits.low);
  show(ControlId::LimitHigh, kHighFigure, limits.high);
  show(ControlId::LimitLowDelay, kLowDelayFigure, limits.lowAlarm.delayMinutes);
  show(ControlId::LimitHighDelay, kHighDelayFigure, limits.highAlarm.delayMinutes);
  control(ControlId::LimitLowKind).selected = limits.lowAlarm.kind == AlarmKind::Cumulative;
  control(ControlId::LimitHighKind).selected = limits.highAlarm.kind == AlarmKind::Cumulative;
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
  control(edit).caption = text;
  if (edit == ControlId::Gap) {
    const auto minutes = minutesFromText(text);
    if (!minutes || (*minutes && **minutes <= 0)) {
      badLimits_["gap"] = text;
    } else {
      badLimits_.erase("gap");
      gapMinutes_ = *minutes;
      remember("exports/" + keyPart(exportName_) + "/gap",
               gapMinutes_ ? previewNumber(*gapMinutes_) : std::string());
    }
    preview_.refreshStatistics();
    view_.previewChanged();
    changed();
    return;
  }
  const ControlState& list = control(ControlId::LimitSeries);
  const bool delay = edit == ControlId::LimitLowDelay || edit == ControlId::LimitHighDelay;
  const bool high = edit == ControlId::LimitHigh || edit == ControlId::LimitHighDelay;
  if (list.selected < 0 ||
      (!delay && edit != ControlId::LimitLow && edit != ControlId::LimitHigh)) {
    return;
  }
  const char* figure =
      delay ? (high ? kHighDelayFigure : kLowDelayFigure) : (high ? kHighFigure : kLowFigure);
  const std::string key = limitKeys_[static_cast<std::size_t>(list.selected)];
  const auto value = delay ? minutesFromText(text) : limitFromText(text);
  if (!value) {
    badLimits_[key + "/" + figure] = text;
  } else {
    badLimits_.erase(key + "/" + figure);
    Limits& limits = limits_[key];
    if (delay) {
      (high ? limits.highAlarm : limits.lowAlarm).delayMinutes = *value;
    } else {
      (high ? limits.high : limits.low) = *value;
    }
    rememberLimit(key, figure, *value ? previewNumber(**value) : std::string());
  }
  updatePreviewLimits();
  changed();
}

void MainForm::setAlarmKind(ControlId list, int index) {
  const ControlState& series = control(ControlId::LimitSeries);
  if (series.selected < 0 ||
      (list != ControlId::LimitLowKind && list != ControlId::LimitHighKind) || index < 0 ||
      index > 1 || control(list).selected == index) {
    return;
  }
  control(list).selected = index;
  const bool high = list == ControlId::LimitHighKind;
  const std::string key = limitKeys_[static_cast<std::size_t>(series.selected)];
  const AlarmKind kind = index == 1 ? AlarmKind::Cumulative : AlarmKind::Single;
  (high ? limits_[key].highAlarm : limits_[key].lowAlarm).kind = kind;
  rememberLimit(key, high ? kHighKindFigure : kLowKindFigure,
                kind == AlarmKind::Cumulative ? "cumulative" : "single");
  updatePreviewLimits();
  changed();
}

namespace {

// The limits of the series of `of`'s layout as `stored` gives their
// figures (a text, or nothing), by series key.
std::map<std::string, Limits> storedLimits(
    const Session& of,
    const std::function<std::optional<std::string>(const std::string&, const char*)>& stored) {
  std::map<std::string, Limits> read;
  for (const SummarySeries& series : seriesOffered(of.count, of)) {
    Limits limits;
    for (const bool high : {false, true}) {
      const auto value = stored(series.key, high ? kHighFigure : kLowFigure);
      if (const auto number = value ? limitFromText(*value) : std::nullopt; number && *number) {
        (high ? limits.high : limits.low) = **number;
      }
      AlarmRule& rule = high ? limits.highAlarm : limits.lowAlarm;
      const auto delay = stored(series.key, high ? kHighDelayFigure : kLowDelayFigure);
      if (const auto minutes = delay ? minutesFromText(*delay) : std::nullopt; minutes) {
        rule.delayMinutes = *minutes;
      }
      if (stored(series.key, high ? kHighKindFigure : kLowKindFigure).value_or("") ==
          "cumulative") {
        rule.kind = AlarmKind::Cumulative;
      }
    }
    if (limits != Limits()) {
      read[series.key] = limits;
    }
  }
  return read;
}

}  // namespace

std::optional<std::map<std::string, Limits>> MainForm::ownLimits(const std::string& exportName,
                                                                 const Session& of) const {
  if (settings_ == nullptr ||
      settings_->value("exports/" + keyPart(exportName) + "/own").value_or("") != "true") {
    return std::nullopt;
  }
  return storedLimits(of, [&](const std::string& series, const char* figure) {
    return settings_->value("exports/" + keyPart(exportName) + "/limits/" + keyPart(series) + "/" +
                            figure);
  });
}

void MainForm::loadLimits() {
  limits_.clear();
  badLimits_.clear();
  gapMinutes_.reset();
  control(ControlId::Gap).caption.clear();
  if (settings_ == nullptr) {
    return;
  }
  // The export's own limits, or, when it has none yet, the layout's last.
  const std::string exportFolder = "exports/" + keyPart(exportName_);
  const bool own = settings_->value(exportFolder + "/own").value_or("") == "true";
  limits_ = storedLimits(session, [&](const std::string& series, const char* figure) {
    return settings_->value(own ? exportKey(series, figure) : layoutKey(series, figure));
  });
  if (const auto gap = settings_->value(exportFolder + "/gap")) {
    if (const auto minutes = minutesFromText(*gap); minutes && *minutes && **minutes > 0) {
      gapMinutes_ = *minutes;
      control(ControlId::Gap).caption = *gap;
    }
  }
}

std::vector<StatisticsLine> MainForm::bandStatistics(double start, double end) const {
  const PreviewData& data = preview_.data();
  const std::vector<SeriesPlace>& places = preview_.places();
  std::vector<StatisticsLine> lines;
  if (session.List.empty() || places.size() != data.series.size()) {
    return lines;
  }
  if (!compared_.empty()) {
    // The lines are the tags', the statistics of one export would be
    // another's: each tag's figures are the comparison's («Пуск»).
    lines.push_back(
        {"Сравнение тегов: минимум, максимум и время за пределами каждого тега — в "
         "сводке сравнения («Пуск»).",
         std::nullopt});
    return lines;
  }
  if (session.readings && !session.readings->held) {
    // Read again for every band, it would hold the window for seconds.
    lines.push_back(
        {"Выгрузка слишком велика для статистики под графиком: её сводка — в отчёте "
         "(«Пуск»).",
         std::nullopt});
    return lines;
  }
  // The measured series shown, summed up as the report sums them up.
  std::vector<SummarySeries> measured;
  for (std::size_t i = 0; i < data.series.size(); ++i) {
    if (places[i].shown && !data.series[i].states) {
      SummarySeries series;
      series.key = keyOf(data.series[i]);
      series.name = std::string(trimSpaces(data.series[i].name));
      series.column = i;
      measured.push_back(std::move(series));
    }
  }
  const ReportSummary summary =
      summarizeSeries(session, measured, start, end, limits_, gapMinutes_, SummaryDetail{false, 0});
  if (!measured.empty()) {
    lines.push_back(
        {"Итог: " + std::string(verdictText(summary.verdict)), markOf(summary.verdict)});
  }
  const auto figure = [&](const char* name, std::size_t s) -> std::optional<double> {
    const SummaryRow* row = findRow(summary, name);
    return row != nullptr ? row->values[s] : std::nullopt;
  };
  const auto text = [&](const std::string& name, std::size_t s) -> std::string {
    const SummaryRow* row = findRow(summary, name);
    return row != nullptr ? row->texts[s].value_or("") : std::string();
  };
  const Seconds w0 = secondsOfSerial(start);
  const Seconds w1 = secondsOfSerial(end);
  std::size_t s = 0;
  for (std::size_t i = 0; i < data.series.size(); ++i) {
    const PreviewSeries& series = data.series[i];
    if (!places[i].shown) {
      continue;
    }
    std::string line = std::string(trimSpaces(series.name)) + ": ";
    if (series.states) {
      const std::vector<StateReading> readings = stateReadingsOf(
          *session.readings, session.snapshot, i, w0, w1, data.count == kMotionEvents);
      if (data.count == kMotionEvents) {
        const EventCounts counts = countEvents(readings);
        line += "событий " + std::to_string(counts.events);
        for (const auto& [type, count] : counts.byType) {
          line += " · " + type + " " + std::to_string(count);
        }
      } else {
        const StateStatistics times = stateStatistics(readings, end);
        line += "показаний " + std::to_string(times.readings);
        for (const StateTime& time : times.states) {
          line += " · " + time.state + " " + timesText(time.entries) + ", " +
                  previewNumber(hoursOf(time.total)) + " ч";
        }
      }
      lines.push_back({line, std::nullopt});
      continue;
    }
    if (figure("Показаний", s).value_or(0) == 0) {
      line += "нет показаний";
    } else {
      line += "мин " + previewNumber(*figure("Минимум", s)) + " · макс " +
              previewNumber(*figure("Максимум", s)) + " · среднее " +
              previewNumber(std::round(*figure("Среднее по показаниям", s) * 100) / 100);
    }
    const int gaps = static_cast<int>(figure("Пропусков", s).value_or(0));
    if (gaps > 0) {
      line += " · пропусков " + std::to_string(gaps) + ", без данных " +
              previewNumber(std::round(*figure("Без данных, ч", s) * 100) / 100) + " ч";
    }
    // Each limit: how many times the series went beyond it, for how long in
    // all, and its verdict.
    for (const bool high : {true, false}) {
      const std::string side = high ? "Выше верхнего предела" : "Ниже нижнего предела";
      const auto limit = figure(high ? "Верхний предел" : "Нижний предел", s);
      if (!limit) {
        continue;
      }
      const int count = static_cast<int>(figure((side + ": выходов").c_str(), s).value_or(0));
      line += std::string(" · ") + (high ? "выше " : "ниже ") + previewNumber(*limit) + ": " +
              timesText(count);
      if (count > 0) {
        line += ", " + hoursText(std::llround(*figure((side + ": всего, ч").c_str(), s) * 3600));
      }
      line += ", " + text(side + ": итог", s);
    }
    lines.push_back({line, std::nullopt});
    ++s;
  }
  return lines;
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
  if (const auto gap = badLimits_.find("gap"); gap != badLimits_.end()) {
    throw StopWithMessage("Порог пропуска «" + gap->second + "» — не число минут больше нуля.");
  }
  for (std::size_t i = 0; i < limitKeys_.size(); ++i) {
    const std::string& name = list.items[i];
    const struct {
      const char* figure;
      const char* what;
    } figures[] = {{kLowFigure, "Нижний предел"},
                   {kHighFigure, "Верхний предел"},
                   {kLowDelayFigure, "Задержка тревоги нижнего предела"},
                   {kHighDelayFigure, "Задержка тревоги верхнего предела"}};
    for (const auto& [figure, what] : figures) {
      const auto bad = badLimits_.find(limitKeys_[i] + "/" + figure);
      if (bad != badLimits_.end()) {
        throw StopWithMessage(std::string(what) + " «" + bad->second + "» ряда «" + name +
                              "» — не число" +
                              (figure == kLowFigure || figure == kHighFigure ? "." : " минут."));
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
  if (const auto width = settings.value("preview/width")) {
    state_.previewWidth = std::max(std::atoi(width->c_str()), layout::kClientWidth);
  }
  OpenDialog1.InitialDir = settings.value("open/folder").value_or("");
  control(ControlId::PdfBox).checked = settings.value("report/pdf").value_or("false") == "true";
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
  if (box == ControlId::PdfBox) {
    remember("report/pdf", checked ? "true" : "false");
  }
  if (inGroup(box) || box == ControlId::CheckBox7) {
    if (!compared_.empty()) {
      showComparedPreview();  // the quantity shown, a line per tag
    }
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

void MainForm::setPreviewSize(int width, int height) {
  if (!state_.previewInView) {
    return;  // the designed window has its designed size
  }
  height = std::max(height, layout::kPreviewMinimumHeight);
  if (height != state_.previewHeight) {
    state_.previewHeight = height;
    remember("preview/height", std::to_string(height));
  }
  width = std::max(width, layout::kClientWidth);
  if (width != state_.previewWidth) {
    state_.previewWidth = width;
    remember("preview/width", std::to_string(width));
  }
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
  const std::string folder = !several_.empty()              ? folderOf(several_.front())
                             : OpenDialog1.FileName.empty() ? OpenDialog1.InitialDir
                                                            : folderOf(OpenDialog1.FileName);
  const std::vector<std::string> chosen =
      dialogs_.chooseFiles(OpenDialog1.Title, OpenDialog1.Filter, folder);
  if (chosen.size() > 1) {
    openSeveral(chosen);
    return;
  }
  if (chosen.empty() && !several_.empty()) {
    openSeveralAs(std::vector<std::string>(several_), severalKind_);  // as they were
    return;
  }
  if (!chosen.empty()) {
    forgetSeveral();
    OpenDialog1.FileName = chosen.front();
    control(ControlId::Edit1).caption = chosen.front();
  }
  openNamed();
}

void MainForm::openFile(const std::string& path) {
  guarded([&] {
    resetForOpen();
    forgetSeveral();
    OpenDialog1.FileName = path;
    control(ControlId::Edit1).caption = path;
    openNamed();
  });
}

void MainForm::openFiles(const std::vector<std::string>& paths) {
  if (paths.size() == 1) {
    openFile(paths.front());
    return;
  }
  guarded([&] {
    resetForOpen();
    changed();
    openSeveral(paths);
  });
}

void MainForm::forgetSeveral() {
  several_.clear();
  comparedPreviews_.clear();
  joinFolder_.reset();
  reportAs_.clear();
  joinFacts_ = {};
  compared_.clear();
}

void MainForm::openSeveral(const std::vector<std::string>& files) {
  const auto kind = dialogs_.askSeveral(
      "Выбрано выгрузок: " + std::to_string(files.size()) +
      ".\nЭто выгрузки одного тега (их показания объединятся в один отчёт) или разных тегов "
      "(отчёт сравнит их)?");
  if (!kind) {
    changed();
    return;
  }
  openSeveralAs(files, *kind);
}

void MainForm::openSeveralAs(const std::vector<std::string>& files, FormDialogs::Several kind) {
  forgetSeveral();
  several_ = files;
  severalKind_ = kind;
  const std::string first = files.front();
  std::string left;  // what each file left out says, with its name in front
  if (kind == FormDialogs::Several::OneTag) {
    joinFolder_ = std::make_unique<TemporaryFolder>();
    const std::string name = joinedExportName(first);
    JoinedExport joined;
    try {
      joined = joinExports(files, joinFolder_->path(), name);
    } catch (const JoinRefused& refused) {
      forgetSeveral();
      changed();
      dialogs_.showMessage(refused.what());
      return;
    }
    for (const std::string& line : joined.leftOut) {
      left += (left.empty() ? "" : "\n") + line;
    }
    if (!left.empty()) {
      changed();
      dialogs_.showMessage(left);
    }
    reportAs_ = platform::textOf(platform::pathOf(folderOf(first)) / platform::pathOf(name));
    joinFacts_ = {static_cast<int>(joined.joined.size()), joined.repeatedStamps,
                  joined.differingStamps};
    OpenDialog1.FileName = joined.path;
    control(ControlId::Edit1).caption = first + " +" + std::to_string(joined.joined.size() - 1);
    openNamed();
    return;
  }

  // Several tags: each opened as Open opens it, quietly; what stops one is
  // said with its name, and it is left out.
  QuietOpen quiet;
  std::vector<std::string> opened;
  std::vector<PreviewData> previews;
  double from = 0;
  double to = 0;
  for (const std::string& file : files) {
    Session probe;
    try {
      if (isRefusedName(platform::absoluteText(file))) {
        throw StopWithMessage(kRefusedNameMessage);
      }
      openExport(file, probe, quiet);
    } catch (const std::exception& error) {
      left += (left.empty() ? "" : "\n") + std::string(platform::fileNameOf(file)) + ": " +
              messageOf(error);
      continue;
    }
    from = opened.empty() ? probe.OsMin1 : std::min(from, probe.OsMin1);
    to = opened.empty() ? probe.OsMax1 : std::max(to, probe.OsMax1);
    opened.push_back(file);
    previews.push_back(previewOf(probe));
  }
  if (!left.empty()) {
    changed();
    dialogs_.showMessage(left);
  }
  if (opened.empty()) {
    forgetSeveral();
    changed();
    return;
  }
  // The form takes the first export's shape and preview; the pickers, the
  // span of them all.
  OpenDialog1.FileName = opened.front();
  control(ControlId::Edit1).caption =
      opened.front() + (opened.size() > 1 ? " +" + std::to_string(opened.size() - 1) : "");
  openNamed();
  compared_ = opened;
  comparedPreviews_ = std::move(previews);
  setPickers(from, to);
  showComparedPreview();
}

void MainForm::showComparedPreview() {
  // One quantity at a time: the first series box ticked (temperature when
  // none is); each tag's series of it, under the tag's name, on one axis.
  int box = 2;
  for (const auto& [id, number] :
       {std::pair{ControlId::CheckBox2, 2}, std::pair{ControlId::CheckBox3, 3},
        std::pair{ControlId::CheckBox4, 4}, std::pair{ControlId::CheckBox5, 5}}) {
    if (control(id).visible && control(id).checked) {
      box = number;
      break;
    }
  }
  PreviewData data;
  for (std::size_t t = 0; t < comparedPreviews_.size(); ++t) {
    const PreviewData& tag = comparedPreviews_[t];
    const auto series = std::find_if(
        tag.series.begin(), tag.series.end(),
        [&](const PreviewSeries& s) { return !s.states && (s.box == box || s.box == 0); });
    if (series != tag.series.end()) {
      PreviewSeries line = *series;
      line.name = std::string(platform::fileNameOf(compared_[t]));
      data.series.push_back(std::move(line));
    }
    data.first = t == 0 ? tag.first : std::min(data.first, tag.first);
    data.last = t == 0 ? tag.last : std::max(data.last, tag.last);
    data.stamps.insert(data.stamps.end(), tag.stamps.begin(), tag.stamps.end());
  }
  std::sort(data.stamps.begin(), data.stamps.end());
  data.stamps.erase(std::unique(data.stamps.begin(), data.stamps.end()), data.stamps.end());
  preview_.setData(std::move(data));
  updatePreviewPlaces();
  updatePreviewBand();
  view_.previewChanged();
  changed();
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
  session.joined = joinFacts_;
  exportName_ = std::string(platform::fileNameOf(OpenDialog1.FileName));
  fillPickers();
  control(ControlId::Button2).enabled = true;
  // A failed Start left its bar in view; the export opened is ready for a new one.
  control(ControlId::ProgressBar2).visible = false;
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
    if (!compared_.empty()) {
      startComparison(choices);
    } else {
      runStart(session, choices, *this, *reportBuilder_);
    }
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

void MainForm::startComparison(StartChoices& choices) {
  if (server_ == nullptr) {
    throw std::logic_error("a comparison needs the spreadsheet application");
  }
  // Each tag's report as Start makes it, its own name on it, built in
  // memory and taken into the comparison.
  // Its own name on it, and its own limits where it has them (set when it
  // was open alone); the window's otherwise.
  class TagHost final : public ReportHost {
   public:
    TagHost(ReportHost& form, std::string file, std::optional<std::map<std::string, Limits>> limits)
        : form_(form), file_(std::move(file)), limits_(std::move(limits)) {}
    ReportControls controls() override {
      ReportControls c = form_.controls();
      c.Edit1 = c.OpenDialog1FileName = file_;
      if (limits_) {
        c.limits = *limits_;
      }
      return c;
    }
    void showMessage(const std::string& text) override { form_.showMessage(text); }

   private:
    ReportHost& form_;
    std::string file_;
    std::optional<std::map<std::string, Limits>> limits_;
  };
  QuietOpen quiet;
  const ReportControls controls = this->controls();
  sheet::ComparisonBook book(controls.pdf);
  for (std::size_t i = 0; i < compared_.size(); ++i) {
    Session tag;
    openExport(compared_[i], tag, quiet);
    TagHost host(
        *this, compared_[i],
        i == 0 ? std::nullopt : ownLimits(std::string(platform::fileNameOf(compared_[i])), tag));
    sheet::ComparedReport report(*server_, tag, host,
                                 [&](const sheet::WorkbookModel& model, ReportSummary summary) {
                                   book.add(i, compared_[i], tag.count, std::move(summary), model);
                                 });
    StartChoices own = choices;
    runStart(tag, own, *this, report);
  }
  // Saved beside the first export, as a report is; its PDF beside it.
  const CivilDateTime now = clock_();
  sheet::DocumentProperties properties;
  properties.creator = platform::userName();
  properties.created = properties.modified = static_cast<std::int64_t>(std::time(nullptr));
  const sheet::WorkbookModel& model = book.finish(properties);
  const std::string base = platform::textOf(platform::pathOf(folderOf(compared_.front())) /
                                            platform::pathOf(sheet::comparisonBaseName("", now)));
  std::string path = base + ".xlsx";
  for (int n = 2; platform::exists(path); ++n) {
    path = base + "-" + std::to_string(n) + ".xlsx";
  }
  sheet::writeFileAtomically(path, sheet::zipPackage(sheet::workbookParts(model), 1));
  std::vector<std::string> saved{path};
  if (controls.pdf) {
    const std::string pdfPath = pdf::pdfPathFor(path);
    const int places = controls.ComboBox1.size() == 1 ? controls.ComboBox1[0] - '0' : 6;
    sheet::writeFileAtomically(
        pdfPath, pdf::comparisonPdf(pdf::comparisonInputOf(book, model, places, now)));
    saved.push_back(pdfPath);
  }
  if (!controls.CheckBox1) {
    showMessage(std::string(kSavedMessage));
    return;
  }
  for (const std::string& file : saved) {
    try {
      pdfOpener_(file);
    } catch (const xl::WorkbookNotShown& notShown) {
      showInformation(notShown.what());
    }
  }
}

void MainForm::useSpreadsheet(xl::AutomationServer& server, Clock clock) {
  server_ = &server;
  clock_ = clock;
  ReportHost& host = *this;
  excelReport_ =
      std::make_unique<ExcelReport>(server, host, session, automationComponents_, std::move(clock));
  reportBuilder_ = excelReport_.get();
  if (!pdfOpener_) {
    pdfOpener_ = sheet::openWithDesktop;
  }
  // The PDF beside the saved workbook, saved as safely; a PDF that nothing
  // shows is saved all the same, and said so.
  excelReport_->setFinisher([this](const xl::Workbook& workbook, const ReportSummary& summary,
                                   const ReportControls& controls, const CivilDateTime& madeAt) {
    auto bytes = std::make_shared<std::string>(
        pdf::pdfReport(pdf::pdfInputOf(workbook, summary, controls, madeAt)));
    return [this, &workbook, bytes, open = controls.CheckBox1] {
      const std::string path = pdf::pdfPathFor(sheet::savedPathOf(workbook));
      sheet::writeFileAtomically(path, *bytes);
      if (open) {
        try {
          pdfOpener_(path);
        } catch (const xl::WorkbookNotShown& notShown) {
          showInformation(notShown.what());
        }
      }
    };
  });
}

ReportControls MainForm::controls() {
  ReportControls c;
  // A joined export's report is named after it, not after the path box's
  // «first file +N».
  c.Edit1 = reportAs_.empty() ? state_[ControlId::Edit1].caption : reportAs_;
  c.CheckBox1 = state_[ControlId::CheckBox1].checked;
  c.ComboBox1 = std::to_string(state_.comboIndex);
  c.CheckBox2 = state_[ControlId::CheckBox2].checked;
  c.CheckBox3 = state_[ControlId::CheckBox3].checked;
  c.CheckBox4 = state_[ControlId::CheckBox4].checked;
  c.CheckBox5 = state_[ControlId::CheckBox5].checked;
  c.CheckBox6 = state_[ControlId::CheckBox6].checked;
  c.CheckBox7 = state_[ControlId::CheckBox7].checked;
  c.CheckBox5Caption = state_[ControlId::CheckBox5].caption;
  c.OpenDialog1FileName = reportAs_.empty() ? OpenDialog1.FileName : reportAs_;
  c.limits = limits_;
  c.gapMinutes = gapMinutes_;
  c.pdf = state_[ControlId::PdfBox].checked;
  return c;
}

void MainForm::showMessage(const std::string& text) {
  changed();
  dialogs_.showMessage(text);
}

void MainForm::showInformation(const std::string& text) {
  changed();
  dialogs_.informationBox(text);
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

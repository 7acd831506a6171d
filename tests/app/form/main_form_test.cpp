// The main window's rules, once, without a toolkit: what the presenter shows
// and reads, through a recording view and scripted dialogs.
#include "app/form/main_form.h"

#include <gtest/gtest.h>

#include "input/datetime.h"
#include "input/formats.h"
#include "report/summary.h"
#include "support/form_doubles.h"
#include "support/recording_report_builder.h"
#include "support/temp_files.h"

namespace vexa::form {
namespace {

using testing::FormMessage;

const std::string kClimate =
    "Date/Time,Temperature (C),Moisture (%),Battery (Volts)\r\n"
    "2021-01-02T10:20:30+03:00,21.5,40.1,3.01\r\n"
    "2021-01-04T18:00:05+03:00,22.5,41.1,3.00\r\n";
const std::string kTemperature =
    "Date/Time,Temperature(C),Battery(Volts)\n2021-01-02 10:20:30,21.5,3.01\n";
const std::string kClimateLight =
    "Date/Time,Temperature (C),Moisture (%),Brightness (lux), Battery(Volts)\n"
    "2021-01-02 10:20:30,21.5,40,120,3.01\n2021-01-02 12:20:30,22.5,41,130,3.00\n";
const std::string kPaired = "Date,Time, T1,Time, T2\n2021-03-01,10:00:00,1,09:00:00,2\n";
const std::string kDoors =
    "Date,Time, Door\n2021-03-01,10:00:00,Opened\n2021-03-01,11:00:00,Closed\n";
const std::string kMotion =
    "Date,Time,Type,Duration(seconds), Angle(degrees)\n01/02/2021,10:00:00,Moved,2.5,10\n";

class MainFormTest : public ::testing::Test {
 protected:
  MainFormTest() : form(dialogs, view) { form.setReportBuilder(&builder); }

  void open(const std::string& name, const std::string& text) {
    dialogs.answerFile(dir.write(name, text));
    form.clickOpen();
  }
  const ControlState& control(ControlId id) const { return view.shown[id]; }
  std::string lastMessage() const {
    return dialogs.messages.empty() ? std::string() : dialogs.messages.back().text;
  }

  testing::ScriptedFormDialogs dialogs;
  testing::RecordingFormView view;
  testing::RecordingReportBuilder builder;
  testing::TempDir dir;
  MainForm form;
};

TEST_F(MainFormTest, DesignedWindow) {
  struct Designed {
    ControlId id;
    Rect geometry;
    const char* caption;
    bool visible;
  };
  const Designed designed[] = {
      {ControlId::Edit1, {8, 8, 350, 21}, "", true},
      {ControlId::Button1, {364, 8, 61, 25}, "Открыть", true},
      {ControlId::Button2, {431, 8, 47, 25}, "Пуск", true},
      {ControlId::Label1, {8, 35, 133, 13}, "Число десятичных знаков", true},
      {ControlId::ComboBox1, {147, 32, 44, 21}, "6", true},
      {ControlId::CheckBox1, {208, 35, 183, 17}, "Открыть файл по завершению?", true},
      {ControlId::Button3, {402, 35, 77, 19}, "О программе", true},
      {ControlId::GroupBox1, {8, 54, 470, 60}, "Добавить на график", false},
      {ControlId::CheckBox2, {16, 18, 91, 17}, "Температура", false},
      {ControlId::CheckBox3, {113, 18, 97, 17}, "Влажность", false},
      {ControlId::CheckBox4, {200, 18, 89, 17}, "Батарея", false},
      {ControlId::CheckBox5, {272, 18, 97, 17}, "Освещённость", false},
      {ControlId::CheckBox6, {272, 41, 113, 17}, "Логарифмическая", false},
      {ControlId::DateTimePicker1, {8, 62, 97, 21}, "", false},
      {ControlId::DateTimePicker2, {111, 62, 72, 21}, "", true},
      {ControlId::DateTimePicker3, {294, 62, 102, 21}, "", false},
      {ControlId::DateTimePicker4, {402, 62, 77, 21}, "", true},
      {ControlId::CheckBox7, {8, 89, 161, 17}, "Логарифмическая шкала", false},
      {ControlId::ProgressBar2, {8, 155, 471, 17}, "", false},
  };
  const FormState& state = form.state();
  for (const Designed& d : designed) {
    SCOPED_TRACE(nameOf(d.id));
    EXPECT_EQ(state[d.id].geometry, d.geometry);
    EXPECT_EQ(state[d.id].caption, d.caption);
    EXPECT_EQ(state[d.id].visible, d.visible);
  }
  EXPECT_FALSE(state[ControlId::Button2].enabled);
  for (const ControlId ticked :
       {ControlId::CheckBox1, ControlId::CheckBox2, ControlId::CheckBox3}) {
    EXPECT_TRUE(state[ticked].checked) << nameOf(ticked);
  }
  for (const ControlId unticked :
       {ControlId::CheckBox4, ControlId::CheckBox5, ControlId::CheckBox6, ControlId::CheckBox7}) {
    EXPECT_FALSE(state[unticked].checked) << nameOf(unticked);
  }
  EXPECT_EQ(state.outerHeight, 99);
  EXPECT_EQ(state.designedClientHeight(), 58);
  EXPECT_EQ(state.comboIndex, 6);
  // The time pickers lie below the designed client area.
  EXPECT_GE(state[ControlId::DateTimePicker2].geometry.top, state.designedClientHeight());
  EXPECT_EQ(form.OpenDialog1.Title, "Выбор файла");
  EXPECT_EQ(form.OpenDialog1.Filter, "Vexa|*.csv");
  EXPECT_EQ(kTabOrder.front(), ControlId::Button1);
  EXPECT_EQ(kTabOrder.back(), ControlId::CheckBox7);
}

// Open reshapes the window for each layout, as the designed table has it.
TEST_F(MainFormTest, OpenReshapesTheWindowForEachLayout) {
  struct Shape {
    const char* name;
    const std::string* text;
    int height;
    int pickersTop;                                        // 0: pickers hidden
    int groupHeight;                                       // 0: the group hidden
    std::vector<std::pair<ControlId, const char*>> boxes;  // shown, with captions
    bool logarithmicScale;                                 // CheckBox7
  };
  const Shape shapes[] = {
      {"climate.csv",
       &kClimate,
       195,
       105,
       60,
       {{ControlId::CheckBox2, "Температура"},
        {ControlId::CheckBox3, "Влажность"},
        {ControlId::CheckBox4, "Батарея"}},
       false},
      {"tag#2.csv",
       &kClimate,
       195,
       105,
       60,
       {{ControlId::CheckBox2, "Температура зонда"},
        {ControlId::CheckBox3, "Температура корпуса"},
        {ControlId::CheckBox4, "Батарея"}},
       false},
      {"temperature.csv",
       &kTemperature,
       195,
       105,
       60,
       {{ControlId::CheckBox2, "Температура"}, {ControlId::CheckBox4, "Батарея"}},
       false},
      {"light.csv",
       &kClimateLight,
       220,
       126,
       66,
       {{ControlId::CheckBox2, "Температура"},
        {ControlId::CheckBox3, "Влажность"},
        {ControlId::CheckBox4, "Батарея"},
        {ControlId::CheckBox5, "Освещённость"},
        {ControlId::CheckBox6, "Логарифмическая"}},
       false},
      {"boiler.csv", &kPaired, 195, 62, 0, {}, false},
      {"light_sensor.csv", &kPaired, 195, 62, 0, {}, true},
      {"doors.csv", &kDoors, 195, 62, 0, {}, false},
      {"events.csv", &kMotion, 99, 0, 0, {}, false},
  };
  for (const Shape& shape : shapes) {
    SCOPED_TRACE(shape.name);
    open(shape.name, *shape.text);
    const FormState& state = view.shown;
    EXPECT_EQ(state.outerHeight, shape.height);
    EXPECT_TRUE(state[ControlId::Button2].enabled);
    for (const ControlId picker : {ControlId::DateTimePicker1, ControlId::DateTimePicker2,
                                   ControlId::DateTimePicker3, ControlId::DateTimePicker4}) {
      EXPECT_EQ(state[picker].visible, shape.pickersTop != 0) << nameOf(picker);
      EXPECT_EQ(state[picker].geometry.top, shape.pickersTop != 0 ? shape.pickersTop : 62);
    }
    EXPECT_EQ(state[ControlId::GroupBox1].visible, shape.groupHeight != 0);
    if (shape.groupHeight != 0) {
      EXPECT_EQ(state[ControlId::GroupBox1].geometry.height, shape.groupHeight == 66 ? 66 : 43);
    }
    for (int i = static_cast<int>(ControlId::CheckBox2);
         i <= static_cast<int>(ControlId::CheckBox6); ++i) {
      const auto box = static_cast<ControlId>(i);
      const auto shown = std::find_if(shape.boxes.begin(), shape.boxes.end(),
                                      [&](const auto& b) { return b.first == box; });
      EXPECT_EQ(state[box].visible, shown != shape.boxes.end()) << nameOf(box);
      if (shown != shape.boxes.end()) {
        EXPECT_EQ(state[box].caption, shown->second);
      }
    }
    EXPECT_EQ(state[ControlId::CheckBox7].visible, shape.logarithmicScale);
  }
  EXPECT_TRUE(dialogs.messages.empty()) << lastMessage();
}

// Every Open starts from the reset: the two-probe geometry does not outlive
// its export, and an export that is not recognised disables Start.
TEST_F(MainFormTest, EveryOpenStartsFromTheReset) {
  open("tag#2.csv", kClimate);
  EXPECT_EQ(view.shown[ControlId::CheckBox2].geometry.width, 120);
  EXPECT_EQ(view.shown[ControlId::CheckBox3].geometry.left, 150);
  EXPECT_EQ(view.shown[ControlId::CheckBox4].geometry.left, 300);
  EXPECT_EQ(form.session.ref, "#");
  form.setChecked(ControlId::CheckBox4, true);  // the user's ticks survive Opens

  open("climate.csv", kClimate);
  EXPECT_EQ(view.shown[ControlId::CheckBox2].geometry, layout::CheckBox2);
  EXPECT_EQ(view.shown[ControlId::CheckBox3].geometry, layout::CheckBox3);
  EXPECT_EQ(view.shown[ControlId::CheckBox3].caption, "Влажность");
  EXPECT_EQ(form.session.ref, "all");
  EXPECT_TRUE(view.shown[ControlId::CheckBox4].checked);

  // A file the window cannot take, for its format or for having no data lines,
  // leaves the window reset, with nothing of the export before it in view.
  for (const auto& [name, text] : {std::pair{"unknown.csv", "Time,Value\n1,2\n"},
                                   std::pair{"header.csv",
                                             "Date/Time,Temperature (C),Moisture "
                                             "(%),Battery (Volts)\r\n"}}) {
    SCOPED_TRACE(name);
    open("climate.csv", kClimate);
    open(name, text);
    EXPECT_FALSE(view.shown[ControlId::Button2].enabled);
    EXPECT_EQ(view.shown.outerHeight, 99);
    EXPECT_FALSE(view.shown[ControlId::GroupBox1].visible);
    EXPECT_FALSE(view.shown[ControlId::CheckBox2].visible);
    EXPECT_FALSE(view.shown[ControlId::DateTimePicker1].visible);
    EXPECT_FALSE(view.shown[ControlId::PreviewToggle].visible);
    EXPECT_EQ(view.shown[ControlId::Edit1].caption, dir.file(name));  // the path stays
  }
  EXPECT_EQ(dialogs.messages.front().text, "Не известный формат данных.");
  EXPECT_NE(lastMessage().find("только строка заголовка"), std::string::npos) << lastMessage();
}

TEST_F(MainFormTest, NamesAndDialogOutcomes) {
  // Cancelled with an empty path box: nothing happens.
  dialogs.answerCancel();
  form.clickOpen();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_FALSE(view.shown[ControlId::Button2].enabled);

  // Motion logs are refused by name, the path box cleared.
  open("MotionLog_3.csv", kClimate);
  EXPECT_EQ(lastMessage(), "Файл данных этого формата не поддерживается программой Vexa_Сhart");
  EXPECT_EQ(view.shown[ControlId::Edit1].caption, "");
  EXPECT_FALSE(view.shown[ControlId::Button2].enabled);

  // A cancel after an Open reads the same file again, from its folder.
  open("climate.csv", kClimate);
  dialogs.answerCancel();
  form.clickOpen();
  EXPECT_EQ(dialogs.lastFolder, platform::textOf(dir.path()));
  EXPECT_TRUE(view.shown[ControlId::Button2].enabled);
  EXPECT_EQ(view.shown.outerHeight, 195);

  // A file that cannot be read: the error box, and the window usable.
  dialogs.answerFile(dir.file("gone.csv"));
  form.clickOpen();
  ASSERT_EQ(dialogs.messages.back().kind, FormMessage::Error);
  EXPECT_NE(lastMessage().find("файл не найден"), std::string::npos) << lastMessage();
  EXPECT_FALSE(view.shown[ControlId::Button2].enabled);
  open("climate.csv", kClimate);
  EXPECT_TRUE(view.shown[ControlId::Button2].enabled);
}

// Start: the bar in its place while the report is built, Start disabled, and
// afterwards the other way round; what ends it early is said.
TEST_F(MainFormTest, StartShowsItsProgressAndItsStops) {
  struct Seen {
    bool startEnabled = true;
    bool barVisible = false;
    int barTop = 0;
    bool toggleVisible = true;
  } seen;
  builder.onCall = [&] {
    seen = {view.shown[ControlId::Button2].enabled, view.shown[ControlId::ProgressBar2].visible,
            view.shown[ControlId::ProgressBar2].geometry.top,
            view.shown[ControlId::PreviewToggle].visible};
  };
  struct Case {
    const char* name;
    const std::string* text;
    int barTop;
  };
  for (const Case& c : {Case{"climate.csv", &kClimate, 132}, Case{"light.csv", &kClimateLight, 155},
                        Case{"boiler.csv", &kPaired, 132}}) {
    SCOPED_TRACE(c.name);
    open(c.name, *c.text);
    const std::size_t calls = builder.calls.size();
    form.clickStart();
    ASSERT_EQ(builder.calls.size(), calls + 1);
    EXPECT_FALSE(seen.startEnabled);
    EXPECT_TRUE(seen.barVisible);
    EXPECT_EQ(seen.barTop, c.barTop);
    EXPECT_FALSE(seen.toggleVisible);  // the bar takes the switch's row
    EXPECT_TRUE(view.shown[ControlId::Button2].enabled);
    EXPECT_FALSE(view.shown[ControlId::ProgressBar2].visible);
    EXPECT_TRUE(view.shown[ControlId::PreviewToggle].visible);
    EXPECT_FALSE(view.progressPainted.empty());
  }
  EXPECT_TRUE(dialogs.messages.empty()) << lastMessage();

  // The temperature layout has no humidity: Start unticks it.
  open("temperature.csv", kTemperature);
  form.clickStart();
  EXPECT_FALSE(view.shown[ControlId::CheckBox3].checked);
  EXPECT_EQ(builder.calls.back().s, 2);

  // No series ticked.
  open("climate.csv", kClimate);
  form.setChecked(ControlId::CheckBox2, false);
  form.clickStart();
  EXPECT_EQ(dialogs.messages.back().kind, FormMessage::Plain);
  EXPECT_EQ(lastMessage(), "Нет данных.");
  EXPECT_TRUE(view.shown[ControlId::Button2].enabled);
  form.setChecked(ControlId::CheckBox2, true);

  // A window that ends before it begins.
  CivilDateTime early;
  early.year = 2020;
  early.month = 1;
  early.day = 1;
  form.setPicker(2, early);
  form.clickStart();
  EXPECT_EQ(dialogs.messages.back().kind, FormMessage::Captioned);
  EXPECT_EQ(dialogs.messages.back().caption, "Внимание!");
  EXPECT_EQ(lastMessage(), "Неверный интервал времени.");
  EXPECT_TRUE(view.shown[ControlId::Button2].enabled);
  EXPECT_FALSE(view.shown[ControlId::ProgressBar2].visible);

  // A time stamp that does not convert: the error box; Start stays disabled
  // and the bar in view until the next Open.
  open("broken.csv", kClimate + "yesterday,1,2,3\r\n2021-01-05 10:00:00,1,2,3\r\n");
  form.clickStart();
  EXPECT_EQ(dialogs.messages.back().kind, FormMessage::Error);
  EXPECT_EQ(lastMessage(), "'yesterday' is not a valid date and time");
  EXPECT_FALSE(view.shown[ControlId::Button2].enabled);
  EXPECT_TRUE(view.shown[ControlId::ProgressBar2].visible);
  open("climate.csv", kClimate);
  EXPECT_TRUE(view.shown[ControlId::Button2].enabled);
  EXPECT_FALSE(view.shown[ControlId::ProgressBar2].visible);  // not over the pickers
}

// What the report reads of the window: the boxes, the places, the path box
// (also when edited by hand) and the dialog's file.
TEST_F(MainFormTest, TheReportReadsTheControlsAsTheyAre) {
  open("light.csv", kClimateLight);
  form.setComboIndex(2);
  form.setChecked(ControlId::CheckBox1, false);
  form.setChecked(ControlId::CheckBox5, true);
  form.setChecked(ControlId::CheckBox6, true);
  form.setPathText(dir.file("elsewhere.csv"));
  const StartChoices choices = form.startChoices();
  EXPECT_TRUE(choices.CheckBox5);
  EXPECT_EQ(formatDateTime(encodeDateTime(choices.start)), "2021-01-02 10:20:30");
  EXPECT_EQ(formatDateTime(encodeDateTime(choices.end)), "2021-01-02 12:20:30");
  form.clickStart();
  ASSERT_EQ(builder.calls.size(), 1u);
  EXPECT_EQ(builder.calls[0].s, 4);  // time, temperature, humidity, light
  EXPECT_EQ(view.shown[ControlId::ComboBox1].caption, "2");
  EXPECT_EQ(form.OpenDialog1.FileName, dir.file("light.csv"));
  EXPECT_EQ(view.shown[ControlId::Edit1].caption, dir.file("elsewhere.csv"));
}

// The preview follows the boxes and the pickers, and a window dragged out on
// it goes into the pickers, rounded to the nearest line's time stamp.
TEST_F(MainFormTest, PreviewFollowsTheWindowAndChoosesItsWindow) {
  open("light.csv", kClimateLight);
  PreviewPlot& preview = form.preview();
  ASSERT_TRUE(preview.hasData());
  EXPECT_TRUE(view.shown.previewInView);
  EXPECT_TRUE(view.shown[ControlId::PreviewToggle].visible);
  EXPECT_EQ(view.shown[ControlId::PreviewToggle].geometry.top, 155);
  EXPECT_EQ(preview.drawnSeries(), 2);  // temperature and humidity, as ticked
  form.setChecked(ControlId::CheckBox5, true);
  EXPECT_EQ(preview.drawnSeries(), 3);
  EXPECT_EQ(preview.places()[2], (SeriesPlace{true, 2, false}));  // light on the right
  form.setChecked(ControlId::CheckBox6, true);
  EXPECT_EQ(preview.places()[2], (SeriesPlace{true, 2, true}));

  CivilDateTime noon;
  noon.hour = 11;
  form.setPicker(1, noon);
  EXPECT_EQ(preview.band(), std::make_pair(parseDateTime("2021-01-02 11:00:00"),
                                           parseDateTime("2021-01-02 12:20:30")));

  preview.setSize(600, 300);
  const double from = preview.xOf(parseDateTime("2021-01-02 10:25:00"));
  const double to = preview.xOf(parseDateTime("2021-01-02 12:00:00"));
  const double y = preview.plotBox().top + 10;
  form.previewPress(to, y);
  form.previewMove(from);
  EXPECT_TRUE(preview.dragging());
  form.previewRelease(from);
  EXPECT_EQ(formatDateTime(encodeDateTime(form.startChoices().start)), "2021-01-02 10:20:30");
  EXPECT_EQ(formatDateTime(encodeDateTime(form.startChoices().end)), "2021-01-02 12:20:30");
  EXPECT_EQ(view.shown.pickers[1].hour, 10);

  form.setPicker(1, noon);
  form.previewDoubleClick();
  EXPECT_EQ(formatDateTime(encodeDateTime(form.startChoices().start)), "2021-01-02 10:20:30");

  form.previewMove(preview.xOf(parseDateTime("2021-01-02 10:21:00")));
  EXPECT_EQ(preview.readout(),
            "02.01.2021 10:20:30   Температура (ºС): 21,5   Влажность (%): 40   "
            "Освещённость (Лк): 120");
  form.previewLeave();
  EXPECT_EQ(preview.readout(), "");

  // Hidden, the window is the designed one; an Open that fails leaves no
  // preview of the export before.
  form.setPreviewShown(false);
  EXPECT_FALSE(view.shown.previewInView);
  EXPECT_TRUE(view.shown[ControlId::PreviewToggle].visible);
  form.setPreviewShown(true);
  open("unknown.csv", "Time,Value\n1,2\n");
  EXPECT_FALSE(preview.hasData());
  EXPECT_FALSE(view.shown.previewInView);
  EXPECT_FALSE(view.shown[ControlId::PreviewToggle].visible);

  // The motion layout has no room for the switch.
  open("events.csv", kMotion);
  EXPECT_TRUE(view.shown.previewInView);
  EXPECT_FALSE(view.shown[ControlId::PreviewToggle].visible);
}

// Open thins a long export for the table and the chart; the window's band
// statistics and the report's summary still see the one warm reading
// between two kept lines, and say the same of it.
TEST_F(MainFormTest, EveryReadingCountsWhateverOpenThins) {
  std::string text = "Date/Time,Temperature (C),Moisture (%),Battery (Volts)\n";
  for (int minute = 0; minute < 40000; ++minute) {
    // Line minute + 1 of the file: an odd line, which thinning by 2 drops.
    text += formatDateTime(parseDateTime("2021-01-01 00:00:00") + minute / 1440.0) +
            (minute == 1000 ? ",-8.0,21,3.01\n" : ",-20.0,21,3.01\n");
  }
  open("freezer.csv", text);
  ASSERT_EQ(form.session.thinning, 2);
  form.setLimitText(ControlId::LimitHigh, "-15");
  const std::vector<std::string>& lines = form.preview().statistics();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Итог: Тревога");
  EXPECT_NE(lines[1].find("мин -20 · макс -8"), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find("выше -15: 1 раз, 0,02 ч, Тревога"), std::string::npos) << lines[1];

  form.clickStart();
  const testing::ExcelCall& call = builder.calls.at(0);
  ReportControls controls;
  controls.OpenDialog1FileName = form.OpenDialog1.FileName;
  const ReportSummary report = summarize(call.count, call.Arr, form.session, controls, call.OsMin1,
                                         call.OsMax1, form.limits());
  EXPECT_EQ(report.verdict, Verdict::Alarm);
  EXPECT_EQ(report.readings, 80000);  // every reading of both series
  EXPECT_EQ(findRow(report, "Максимум")->values[0], -8);
  EXPECT_EQ(findRow(report, "Выше верхнего предела: выходов")->values[0], 1);
  ASSERT_EQ(report.excursions.size(), 1u);
  EXPECT_EQ(serialOf(report.excursions[0].excursion.start), parseDateTime("2021-01-01 16:40:00"));

  // A single excursion's delay longer than it: within limits, both places.
  form.setLimitText(ControlId::LimitHighDelay, "2");
  EXPECT_EQ(form.preview().statistics()[0], "Итог: В норме");
  EXPECT_EQ(summarize(call.count, call.Arr, form.session, controls, call.OsMin1, call.OsMax1,
                      form.limits())
                .verdict,
            Verdict::Normal);
}

// The row of limits offers the ticked series the layout can limit; what is
// typed reaches the preview, the report and the settings of the layout.
TEST_F(MainFormTest, LimitsOfTheTickedSeries) {
  testing::MemorySettings settings;
  form.useSettings(settings);
  open("tag#2.csv", kClimate);
  const ControlState& list = view.shown[ControlId::LimitSeries];
  EXPECT_TRUE(list.visible);
  EXPECT_EQ(list.items,
            (std::vector<std::string>{"Температура зонда (°C)", "Температура корпуса (°C)"}));
  EXPECT_EQ(list.selected, 0);
  EXPECT_EQ(view.shown[ControlId::LimitLow].hint, "нижний");
  EXPECT_EQ(view.shown.previewTop(), 154 + layout::kLimitsRowHeight);
  EXPECT_EQ(view.shown[ControlId::LimitSeries].geometry.top, 154 + 2);
  form.setChecked(ControlId::CheckBox4, true);
  EXPECT_EQ(view.shown[ControlId::LimitSeries].items.size(), 3u);  // the battery too

  form.setLimitText(ControlId::LimitLow, "-25");
  form.setLimitText(ControlId::LimitHigh, "−15,5");  // a typographic minus, a decimal comma
  EXPECT_EQ(form.limits().at("temperature"), (Limits{-25.0, -15.5}));
  EXPECT_EQ(form.preview().limits()[0], (Limits{-25.0, -15.5}));
  EXPECT_EQ(settings.values.at("limits/3/temperature/high"), "-15,5");
  ASSERT_GE(form.preview().statistics().size(), 2u);
  EXPECT_EQ(form.preview().statistics()[0], "Итог: Тревога");
  EXPECT_NE(form.preview().statistics()[1].find("выше -15,5: 1 раз"), std::string::npos)
      << form.preview().statistics()[1];

  // Another series keeps its own; the first's come back when it is chosen.
  form.setLimitSeries(1);
  EXPECT_EQ(view.shown[ControlId::LimitHigh].caption, "");
  form.setLimitSeries(0);
  EXPECT_EQ(view.shown[ControlId::LimitHigh].caption, "-15,5");

  // What is no limit stops Start with a message, and so does a low limit
  // above the high one; nothing is reported.
  form.setLimitText(ControlId::LimitLow, "abc");
  EXPECT_EQ(form.limits().at("temperature").low, -25.0);  // the last good one stays
  form.clickStart();
  EXPECT_EQ(lastMessage(), "Нижний предел «abc» ряда «Температура зонда (°C)» — не число.");
  EXPECT_TRUE(builder.calls.empty());
  form.setLimitText(ControlId::LimitLow, "-10");
  form.clickStart();
  EXPECT_EQ(lastMessage(), "Нижний предел ряда «Температура зонда (°C)» выше верхнего.");
  EXPECT_TRUE(builder.calls.empty());
  EXPECT_TRUE(view.shown[ControlId::Button2].enabled);
  form.setLimitText(ControlId::LimitLow, "");
  form.clickStart();
  EXPECT_EQ(builder.calls.size(), 1u);

  // The next Open of the layout takes the limits back; another layout has
  // its own, and door states none.
  testing::ScriptedFormDialogs otherDialogs;
  testing::RecordingFormView otherView;
  MainForm next(otherDialogs, otherView);
  next.useSettings(settings);
  next.openFile(dir.write("again.csv", kClimate));
  EXPECT_EQ(next.limits().at("temperature"), (Limits{std::nullopt, -15.5}));

  // Limits belong to an export: what is set for one stays its own, a new
  // export takes the layout's last. Alarm rules and the gap go with them.
  next.setLimitText(ControlId::LimitHigh, "-10");
  next.setLimitText(ControlId::LimitHighDelay, "30");
  next.setAlarmKind(ControlId::LimitHighKind, 1);
  next.setLimitText(ControlId::Gap, "5");
  Limits rules{std::nullopt, -10.0};
  rules.highAlarm = {30.0, AlarmKind::Cumulative};
  EXPECT_EQ(next.limits().at("temperature"), rules);
  open("tag#2.csv", kClimate);
  EXPECT_EQ(form.limits().at("temperature"), (Limits{std::nullopt, -15.5}));
  EXPECT_FALSE(form.gapMinutes().has_value());
  next.openFile(dir.write("again.csv", kClimate));
  EXPECT_EQ(next.limits().at("temperature"), rules);
  EXPECT_EQ(next.gapMinutes(), 5.0);
  EXPECT_EQ(otherView.shown[ControlId::LimitHighKind].selected, 1);
  EXPECT_EQ(otherView.shown[ControlId::LimitHighDelay].caption, "30");
  next.openFile(dir.write("new.csv", kClimate));
  EXPECT_EQ(next.limits().at("temperature"), rules);
  EXPECT_FALSE(next.gapMinutes().has_value());
  // A gap of no minutes stops Start; the limits in force stay in view with
  // the preview hidden.
  next.setLimitText(ControlId::Gap, "0");
  next.setReportBuilder(&builder);
  next.clickStart();
  EXPECT_EQ(otherDialogs.messages.back().text, "Порог пропуска «0» — не число минут больше нуля.");
  next.setPreviewShown(false);
  EXPECT_TRUE(otherView.shown[ControlId::LimitsInForce].visible);
  EXPECT_EQ(otherView.shown[ControlId::LimitsInForce].caption, "Пределы: Температура (ºС) до -10");
  EXPECT_FALSE(view.shown[ControlId::LimitsInForce].visible);

  open("light.csv", kClimateLight);
  EXPECT_TRUE(form.limits().empty());
  open("doors.csv", kDoors);
  EXPECT_FALSE(view.shown[ControlId::LimitSeries].visible);
  open("boiler.csv", kPaired);
  EXPECT_EQ(view.shown[ControlId::LimitSeries].items, (std::vector<std::string>{"T1", "T2"}));
}

TEST_F(MainFormTest, SettingsOutliveTheWindow) {
  testing::MemorySettings settings;
  form.useSettings(settings);
  open("climate.csv", kClimate);
  form.setPreviewShown(false);
  form.setPreviewShown(true);
  form.setPreviewSize(900, 333);
  form.setChecked(ControlId::PdfBox, true);
  EXPECT_TRUE(view.shown[ControlId::PdfBox].visible);  // beside the switch
  EXPECT_EQ(view.shown[ControlId::PdfBox].geometry.top,
            view.shown[ControlId::PreviewToggle].geometry.top);
  open("climate.csv", kClimate);  // Open keeps the size the user gave the window
  EXPECT_EQ(view.shown.previewWidth, 900);
  EXPECT_EQ(view.shown.previewHeight, 333);
  form.setPreviewShown(false);
  EXPECT_EQ(settings.values.at("preview/shown"), "false");
  EXPECT_EQ(settings.values.at("preview/height"), "333");
  EXPECT_EQ(settings.values.at("preview/width"), "900");
  EXPECT_EQ(settings.values.at("report/pdf"), "true");
  EXPECT_EQ(settings.values.at("open/folder"), platform::textOf(dir.path()));

  testing::ScriptedFormDialogs otherDialogs;
  testing::RecordingFormView otherView;
  MainForm next(otherDialogs, otherView);
  next.useSettings(settings);
  EXPECT_FALSE(next.state().previewShown);
  EXPECT_EQ(next.state().previewHeight, 333);
  EXPECT_EQ(next.state().previewWidth, 900);
  EXPECT_TRUE(next.state()[ControlId::PdfBox].checked);
  otherDialogs.answerCancel();
  next.clickOpen();
  EXPECT_EQ(otherDialogs.lastFolder, platform::textOf(dir.path()));
  EXPECT_EQ(otherDialogs.lastTitle, "Выбор файла");
  EXPECT_EQ(otherDialogs.lastFilter, "Vexa|*.csv");
}

TEST_F(MainFormTest, CommandLineDroppedFilesAndAbout) {
  form.openFile(dir.write("given.csv", kPaired));
  EXPECT_EQ(form.session.count, kPairedNumeric);
  EXPECT_EQ(view.shown[ControlId::Edit1].caption, dir.file("given.csv"));
  EXPECT_TRUE(view.shown[ControlId::Button2].enabled);
  for (const auto& [name, accepted] :
       std::vector<std::pair<std::string, bool>>{{"/data/tag.csv", true},
                                                 {"C:\\Данные\\TAG.CSV", true},
                                                 {"/data/notes.txt", false},
                                                 {"csv", false},
                                                 {"/data/tag.csv.xlsx", false}}) {
    EXPECT_EQ(MainForm::acceptsDrop(name), accepted) << name;
  }
  form.clickAbout();
  EXPECT_EQ(view.aboutShown, 1);
}

}  // namespace
}  // namespace vexa::form

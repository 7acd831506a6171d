#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QProgressBar>
#include <QTimeEdit>

#include "app/main_window_fixture.h"
#include "input/formats.h"

namespace vexa {
namespace {

using testing::ShownMessage;

struct DuringReport {
  bool startEnabled = true;
  bool barVisible = false;
  int barTop = 0;
  int barValue = 0;
  int barMaximum = 0;
};

class StartButtonTest : public MainWindowTest {
 protected:
  StartButtonTest() {
    builder.onCall = [this] {
      seen.startEnabled = form.Button2->isEnabled();
      seen.barVisible = form.ProgressBar2->isVisible();
      seen.barTop = form.ProgressBar2->y();
      seen.barValue = form.ProgressBar2->value();
      seen.barMaximum = form.ProgressBar2->maximum();
    };
  }
  DuringReport seen;
};

TEST_F(StartButtonTest, StartsTheReportOnceWithStartDisabled) {
  open("climate.csv", kClimateText);
  form.Button2->click();
  ASSERT_EQ(builder.calls.size(), 1u);
  EXPECT_EQ(builder.calls[0].count, kClimate);
  EXPECT_EQ(builder.calls[0].s, 3);
  EXPECT_EQ(form.session.countsttr, 3);  // the pickers show the whole file
  EXPECT_FALSE(seen.startEnabled);
  EXPECT_TRUE(seen.barVisible);
  EXPECT_EQ(seen.barTop, 132);
  EXPECT_EQ(seen.barValue, 2);
  EXPECT_EQ(seen.barMaximum, 3);
  EXPECT_TRUE(form.Button2->isEnabled());
  EXPECT_FALSE(form.ProgressBar2->isVisible());
  EXPECT_TRUE(dialogs.messages.empty());

  form.Button2->click();  // again, same file
  EXPECT_EQ(builder.calls.size(), 2u);
}

TEST_F(StartButtonTest, ClimateAndLightShowsTheBarLower) {
  open("light.csv", kClimateLightText);
  form.Button2->click();
  ASSERT_EQ(builder.calls.size(), 1u);
  EXPECT_EQ(seen.barTop, 155);
  // The bar lies inside the taller window.
  EXPECT_LE(seen.barTop + form.ProgressBar2->height(), form.height());
}

TEST_F(StartButtonTest, TemperatureLayoutUnticksHumidity) {
  open("temperature.csv", kTemperatureText);
  ASSERT_TRUE(form.CheckBox3->isChecked());
  form.Button2->click();
  EXPECT_FALSE(form.CheckBox3->isChecked());
  EXPECT_EQ(builder.calls.at(0).s, 2);
}

TEST_F(StartButtonTest, PickersChooseTheWindow) {
  open("climate.csv", kClimateText);
  form.DateTimePicker1->setDate(QDate(2021, 1, 3));
  form.DateTimePicker2->setTime(QTime(0, 0, 0));
  form.Button2->click();
  EXPECT_EQ(form.session.countsttr, 2);  // heading and the line of 4 January
  EXPECT_EQ(builder.calls.at(0).Arr.at(2, 1), "2021-01-04 18:00:05");
}

TEST_F(StartButtonTest, RefusedIntervalAndNoSeriesEndWithAMessage) {
  open("climate.csv", kClimateText);
  form.DateTimePicker1->setDate(QDate(2021, 1, 5));
  form.Button2->click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, ShownMessage::Captioned);
  EXPECT_EQ(dialogs.messages[0].text, QString("Неверный интервал времени."));
  EXPECT_EQ(dialogs.messages[0].caption, QString("Внимание!"));
  EXPECT_TRUE(form.Button2->isEnabled());
  EXPECT_FALSE(form.ProgressBar2->isVisible());

  dialogs.messages.clear();
  form.CheckBox2->setChecked(false);
  form.CheckBox3->setChecked(false);
  form.Button2->click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, ShownMessage::Plain);
  EXPECT_EQ(dialogs.messages[0].text, QString("Нет данных."));
  EXPECT_TRUE(form.Button2->isEnabled());
  EXPECT_TRUE(builder.calls.empty());
}

TEST_F(StartButtonTest, ConversionErrorLeavesStartDisabledUntilTheNextOpen) {
  // Open reads only the first and the last line; the middle one is bad.
  open("climate.csv",
       "Date/Time,Temperature (C),Moisture (%),Battery (Volts)\n"
       "2021-01-02T10:20:30+03:00,21.5,40.1,3.01\n"
       "2021-01-03T10:20:30+02:00,21.5,40.1,3.01\n"
       "2021-01-04T10:20:30+03:00,21.5,40.1,3.01\n");
  form.Button2->click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, ShownMessage::Error);
  EXPECT_EQ(dialogs.messages[0].text,
            QString("'2021-01-03 10:20:30+02:00' is not a valid date and time"));
  EXPECT_TRUE(builder.calls.empty());
  EXPECT_FALSE(form.Button2->isEnabled());
  EXPECT_TRUE(form.ProgressBar2->isVisible());

  open("good.csv", kClimateText);
  EXPECT_TRUE(form.Button2->isEnabled());
  EXPECT_FALSE(form.ProgressBar2->isVisible());  // Open hides the bar a failed Start left
  form.Button2->click();
  EXPECT_EQ(builder.calls.size(), 1u);
  EXPECT_FALSE(form.ProgressBar2->isVisible());
}

TEST_F(StartButtonTest, ReportErrorIsShownAndTheWindowStaysUsable) {
  builder.onCall = [] { throw std::runtime_error("the report could not be saved"); };
  open("climate.csv", kClimateText);
  form.Button2->click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, ShownMessage::Error);
  EXPECT_EQ(dialogs.messages[0].text, QString("the report could not be saved"));
  open("climate.csv", kClimateText);
  EXPECT_TRUE(form.Button2->isEnabled());
}

TEST_F(StartButtonTest, PairedProgressRunsToItsMaximum) {
  open("paired.csv", kPairedText);
  form.Button2->click();
  ASSERT_EQ(builder.calls.size(), 1u);
  EXPECT_EQ(builder.calls[0].s, 0);
  EXPECT_EQ(seen.barMaximum, 2 + 2 * 2 * 2);
  EXPECT_EQ(seen.barValue, seen.barMaximum);
  EXPECT_FALSE(form.ProgressBar2->isVisible());
}

TEST_F(StartButtonTest, MotionEventsReportTheWholeFile) {
  open("motion.csv", kMotionText);
  form.Button2->click();
  ASSERT_EQ(builder.calls.size(), 1u);
  EXPECT_EQ(builder.calls[0].s, 5);
  EXPECT_EQ(builder.calls[0].Arr.at(2, 3), "Сдвиг");
}

}  // namespace
}  // namespace vexa

#include "app/tform1.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimeEdit>

#include "app/main_window_fixture.h"
#include "app/open_dialog.h"
#include "input/formats.h"

namespace vexa {
namespace {

using testing::ShownMessage;

TEST_F(MainWindowTest, DesignedWindow) {
  EXPECT_EQ(form.windowTitle(), QString("Vexa_Сhart"));
  EXPECT_EQ(form.Height(), 99);
  EXPECT_EQ(form.size(), QSize(487, 58));
  EXPECT_EQ(form.font().pixelSize(), 11);

  struct Control {
    QWidget* widget;
    const char* name;
    QRect geometry;
    QString caption;
    bool visible;
  };
  const Control controls[] = {
      {form.Edit1, "Edit1", {8, 8, 350, 21}, "", true},
      {form.Button1, "Button1", {364, 8, 61, 25}, "Открыть", true},
      {form.Button2, "Button2", {431, 8, 47, 25}, "Пуск", true},
      {form.Label1, "Label1", {8, 35, 133, 13}, "Число десятичных знаков", true},
      {form.ComboBox1, "ComboBox1", {147, 32, 44, 21}, "6", true},
      {form.CheckBox1, "CheckBox1", {208, 35, 183, 17}, "Открыть файл по завершению?", true},
      {form.Button3, "Button3", {402, 35, 77, 19}, "О программе", true},
      {form.GroupBox1, "GroupBox1", {8, 54, 470, 60}, "Добавить на график", false},
      {form.CheckBox2, "CheckBox2", {16, 18, 91, 17}, "Температура", false},
      {form.CheckBox3, "CheckBox3", {113, 18, 97, 17}, "Влажность", false},
      {form.CheckBox4, "CheckBox4", {200, 18, 89, 17}, "Батарея", false},
      {form.CheckBox5, "CheckBox5", {272, 18, 97, 17}, "Освещённость", false},
      {form.CheckBox6, "CheckBox6", {272, 41, 113, 17}, "Логарифмическая", false},
      {form.DateTimePicker1, "DateTimePicker1", {8, 62, 97, 21}, "", false},
      {form.DateTimePicker2, "DateTimePicker2", {111, 62, 72, 21}, "", true},
      {form.DateTimePicker3, "DateTimePicker3", {294, 62, 102, 21}, "", false},
      {form.DateTimePicker4, "DateTimePicker4", {402, 62, 77, 21}, "", true},
      {form.CheckBox7, "CheckBox7", {8, 89, 161, 17}, "Логарифмическая шкала", false},
      {form.ProgressBar2, "ProgressBar2", {8, 155, 471, 17}, "", false},
  };
  for (const Control& c : controls) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.widget->objectName(), QString(c.name));
    EXPECT_EQ(c.widget->geometry(), c.geometry);
    EXPECT_EQ(c.widget->isVisible(), c.visible);
    QString caption;
    if (auto* button = qobject_cast<QAbstractButton*>(c.widget)) {
      caption = button->text();
    } else if (auto* label = qobject_cast<QLabel*>(c.widget)) {
      caption = label->text();
    } else if (auto* group = qobject_cast<QGroupBox*>(c.widget)) {
      caption = group->title();
    } else if (auto* combo = qobject_cast<QComboBox*>(c.widget)) {
      caption = combo->currentText();
    } else if (auto* edit = qobject_cast<QLineEdit*>(c.widget)) {
      caption = edit->text();
    }
    EXPECT_EQ(caption, c.caption);
  }
  // The time pickers lie below the designed client area.
  EXPECT_GE(form.DateTimePicker2->y(), form.height());

  EXPECT_FALSE(form.Button2->isEnabled());
  EXPECT_TRUE(form.CheckBox1->isChecked());
  EXPECT_TRUE(form.CheckBox2->isChecked());
  EXPECT_TRUE(form.CheckBox3->isChecked());
  EXPECT_FALSE(form.CheckBox4->isChecked());
  EXPECT_FALSE(form.CheckBox5->isChecked());
  EXPECT_FALSE(form.CheckBox6->isChecked());
  EXPECT_FALSE(form.CheckBox7->isChecked());

  ASSERT_EQ(form.ComboBox1->count(), 9);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(form.ComboBox1->itemText(i), QString::number(i));
  }
  EXPECT_FALSE(form.ComboBox1->isEditable());
  EXPECT_TRUE(form.DateTimePicker1->calendarPopup());
  EXPECT_EQ(form.DateTimePicker2->displayFormat(), QString("HH:mm:ss"));

  EXPECT_EQ(form.OpenDialog1.Title, "Выбор файла");
  EXPECT_EQ(form.OpenDialog1.Filter, "Vexa|*.csv");
  EXPECT_EQ(qtFilter(form.OpenDialog1.Filter), QString("Vexa (*.csv)"));
}

TEST_F(MainWindowTest, TabOrder) {
  const QWidget* expected[] = {
      form.Button1,         form.Edit1,           form.CheckBox1,       form.CheckBox2,
      form.CheckBox3,       form.CheckBox4,       form.CheckBox5,       form.CheckBox6,
      form.Button2,         form.DateTimePicker1, form.DateTimePicker3, form.DateTimePicker2,
      form.DateTimePicker4, form.ComboBox1,       form.Button3,         form.CheckBox7};
  // Walk the focus chain once round and keep the named controls, in order.
  std::vector<const QWidget*> chain;
  QWidget* w = form.Button1;
  do {
    if (std::find(std::begin(expected), std::end(expected), w) != std::end(expected) &&
        std::find(chain.begin(), chain.end(), w) == chain.end()) {
      chain.push_back(w);
    }
    w = w->nextInFocusChain();
  } while (w != form.Button1);
  EXPECT_EQ(chain, std::vector<const QWidget*>(std::begin(expected), std::end(expected)));
  EXPECT_EQ(form.ProgressBar2->focusPolicy(), Qt::NoFocus);
}

struct Shape {
  const char* name;
  std::string text;
  int height;
  bool pickers;
  int pickersTop;
  bool group;
  int groupHeight;
  const char* visibleBoxes;  // digits of the shown CheckBox2..7
};

TEST_F(MainWindowTest, ReshapesForEveryLayout) {
  const Shape shapes[] = {
      {"climate.csv", kClimateText, 195, true, 105, true, 43, "234"},
      {"temperature.csv", kTemperatureText, 195, true, 105, true, 43, "24"},
      {"light.csv", kClimateLightText, 220, true, 126, true, 66, "23456"},
      {"paired.csv", kPairedText, 195, true, 62, false, 43, ""},
      {"paired_light.csv", kPairedText, 195, true, 62, false, 43, "7"},
      {"motion.csv", kMotionText, 99, false, 62, false, 43, ""},
  };
  QCheckBox* boxes[] = {form.CheckBox2, form.CheckBox3, form.CheckBox4,
                        form.CheckBox5, form.CheckBox6, form.CheckBox7};
  for (const Shape& s : shapes) {
    SCOPED_TRACE(s.name);
    open(s.name, s.text);
    EXPECT_TRUE(dialogs.messages.empty()) << lastMessage().toStdString();
    EXPECT_TRUE(form.Button2->isEnabled());
    EXPECT_EQ(form.Height(), s.height);
    EXPECT_EQ(form.height(), s.height - 41);
    for (QWidget* picker :
         {static_cast<QWidget*>(form.DateTimePicker1), static_cast<QWidget*>(form.DateTimePicker2),
          static_cast<QWidget*>(form.DateTimePicker3),
          static_cast<QWidget*>(form.DateTimePicker4)}) {
      EXPECT_EQ(picker->isVisible(), s.pickers);
      EXPECT_EQ(picker->y(), s.pickersTop);
    }
    EXPECT_EQ(form.GroupBox1->isVisible(), s.group);
    EXPECT_EQ(form.GroupBox1->height(), s.groupHeight);
    for (int i = 0; i < 6; ++i) {
      const bool shown = std::string(s.visibleBoxes).find(char('2' + i)) != std::string::npos;
      EXPECT_EQ(boxes[i]->isVisible(), shown) << "CheckBox" << 2 + i;
    }
    if (s.group) {
      EXPECT_EQ(form.CheckBox2->text(), QString("Температура"));
      EXPECT_EQ(form.CheckBox4->text(), QString("Батарея"));
      EXPECT_EQ(form.CheckBox2->geometry(), QRect(16, 18, 91, 17));
      EXPECT_EQ(form.CheckBox3->geometry(), QRect(113, 18, 97, 17));
      EXPECT_EQ(form.CheckBox4->geometry(), QRect(200, 18, 89, 17));
    }
    // Every control stays inside the client area.
    for (QWidget* child : form.findChildren<QWidget*>()) {
      if (child->isVisible() && child->parentWidget() == &form) {
        EXPECT_LE(child->geometry().bottom(), form.height()) << child->objectName().toStdString();
      }
    }
  }
  EXPECT_EQ(form.CheckBox3->text(), QString("Влажность"));
  EXPECT_EQ(form.CheckBox5->text(), QString("Освещённость"));
  EXPECT_EQ(form.CheckBox6->text(), QString("Логарифмическая"));
}

TEST_F(MainWindowTest, TwoProbeExportThenAPlainOne) {
  open("tag#2.csv", kTemperatureText);
  EXPECT_EQ(form.session.ref, "#");
  EXPECT_EQ(form.CheckBox2->text(), QString("Температура зонда"));
  EXPECT_EQ(form.CheckBox2->width(), 120);
  EXPECT_EQ(form.CheckBox3->text(), QString("Температура корпуса"));
  EXPECT_EQ(form.CheckBox3->geometry(), QRect(150, 18, 140, 17));
  EXPECT_TRUE(form.CheckBox3->isVisible());
  EXPECT_EQ(form.CheckBox4->x(), 300);

  open("tag.csv", kClimateText);
  EXPECT_EQ(form.session.ref, "all");
  EXPECT_EQ(form.CheckBox2->text(), QString("Температура"));
  EXPECT_EQ(form.CheckBox2->geometry(), QRect(16, 18, 91, 17));
  EXPECT_EQ(form.CheckBox3->text(), QString("Влажность"));
  EXPECT_EQ(form.CheckBox3->geometry(), QRect(113, 18, 97, 17));
  EXPECT_EQ(form.CheckBox4->geometry(), QRect(200, 18, 89, 17));
}

TEST_F(MainWindowTest, PickersShowTheFileSpan) {
  open("climate.csv", kClimateText);
  EXPECT_EQ(form.DateTimePicker1->date(), QDate(2021, 1, 2));
  EXPECT_EQ(form.DateTimePicker2->time(), QTime(10, 20, 30));
  EXPECT_EQ(form.DateTimePicker3->date(), QDate(2021, 1, 4));
  EXPECT_EQ(form.DateTimePicker4->time(), QTime(18, 0, 5));
  // A header-only paired file keeps the previous span.
  open("empty.csv", "Date,Time, T1\n");
  EXPECT_TRUE(form.Button2->isEnabled());
  EXPECT_EQ(form.DateTimePicker1->date(), QDate(2021, 1, 2));
  EXPECT_EQ(form.DateTimePicker4->time(), QTime(18, 0, 5));
}

TEST_F(MainWindowTest, HeaderOnlyPairedFileRightAfterStartShowsTheOrigin) {
  open("empty.csv", "Date,Time, T1\n");
  EXPECT_TRUE(form.Button2->isEnabled());
  EXPECT_EQ(form.DateTimePicker1->date(), QDate(1899, 12, 30));
  EXPECT_EQ(form.DateTimePicker2->time(), QTime(0, 0, 0));
}

TEST_F(MainWindowTest, StartEnabledOnlyAfterARecognisedFile) {
  open("climate.csv", kClimateText);
  EXPECT_TRUE(form.Button2->isEnabled());
  open("unknown.csv", "Something else\n1\n");
  EXPECT_FALSE(form.Button2->isEnabled());
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, ShownMessage::Plain);
  EXPECT_EQ(lastMessage(), QString("Не известный формат данных."));
  EXPECT_FALSE(form.Edit1->text().isEmpty());  // the path box keeps the path
  EXPECT_EQ(form.Height(), 99);
}

TEST_F(MainWindowTest, RefusedNamesClearThePathBox) {
  open("climate.csv", kClimateText);
  for (const char* name : {"MotionLog_1.csv", "motion_Logs/climate.csv", "MotionLog_x/c.csv"}) {
    dialogs.messages.clear();
    const std::string before = form.session.List.front();
    open(name, kClimateText);
    ASSERT_EQ(dialogs.messages.size(), 1u) << name;
    EXPECT_EQ(lastMessage(),
              QString("Файл данных этого формата не поддерживается программой Vexa_Сhart"));
    EXPECT_TRUE(form.Edit1->text().isEmpty());
    EXPECT_FALSE(form.Button2->isEnabled());
    EXPECT_EQ(form.session.List.front(), before);  // the lines are not replaced
  }
}

TEST_F(MainWindowTest, CancellingTheDialog) {
  // With an empty path box: the window stays reset, no message.
  dialogs.answerCancel();
  form.Button1->click();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_FALSE(form.Button2->isEnabled());

  // After a successful Open: the same file is read and scanned again.
  const std::string path = dir.write("climate.csv", kClimateText);
  openPath(QString::fromStdString(path));
  dir.write("climate.csv", kTemperatureText);  // the file changed meanwhile
  dialogs.answerCancel();
  form.Button1->click();
  EXPECT_TRUE(form.Button2->isEnabled());
  EXPECT_EQ(form.session.count, vexa::kTemperature);
  EXPECT_EQ(form.Edit1->text(), QString::fromStdString(path));
}

TEST_F(MainWindowTest, TicksSurviveLaterOpens) {
  open("light.csv", kClimateLightText);
  form.CheckBox2->setChecked(false);
  form.CheckBox5->setChecked(true);
  form.CheckBox6->setChecked(true);
  form.ComboBox1->setCurrentIndex(2);
  open("climate.csv", kClimateText);
  open("unknown.csv", "x\n");
  open("light.csv", kClimateLightText);
  EXPECT_FALSE(form.CheckBox2->isChecked());
  EXPECT_TRUE(form.CheckBox5->isChecked());
  EXPECT_TRUE(form.CheckBox6->isChecked());
  EXPECT_EQ(form.ComboBox1->currentText(), QString("2"));
}

TEST_F(MainWindowTest, ThinningWarningIsAPlainMessage) {
  std::string text = "Date/Time,Temperature(C),Battery(Volts)\n";
  for (int i = 0; i < 32000; ++i) {
    text += "2021-01-02 10:20:30,21.5,3.01\n";
  }
  open("big.csv", text);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, ShownMessage::Plain);
  EXPECT_EQ(lastMessage(), QString("Внимание! Число измерений больше 32000. Данные будут сжаты. "
                                   "Коэффициент сжатия - 2"));
  EXPECT_TRUE(form.Button2->isEnabled());
  EXPECT_EQ(form.session.List.size(), 16001u);
}

// Bad input ends in a clear message and leaves the window usable: the next
// good file opens as usual.
TEST_F(MainWindowTest, BadInputEndsInAMessageAndTheWindowStaysUsable) {
  struct Case {
    const char* name;
    std::string text;
    ShownMessage::Kind kind;
    const char* contains;
  };
  const std::string climateHeader = "Date/Time,Temperature (C),Moisture (%),Battery (Volts)\n";
  const Case cases[] = {
      {"empty.csv", "", ShownMessage::Error, "файл пуст"},
      {"climate-header.csv", climateHeader, ShownMessage::Error, "нет строк данных"},
      {"temperature-header.csv", "Date/Time,Temperature(C),Battery(Volts)", ShownMessage::Error,
       "нет строк данных"},
      {"light-header.csv",
       "Date/Time,Temperature (C),Moisture (%),Brightness (lux), Battery(Volts)\r\n",
       ShownMessage::Error, "нет строк данных"},
      {"garbage.csv", std::string("\x00\xFF\xFE\x12\x80\x81garbage\x00\x01", 13),
       ShownMessage::Plain, "Не известный формат данных."},
      {"nul.csv", climateHeader + std::string("2021-01-02 10:20:30\0,1,2,3\n", 27),
       ShownMessage::Error, "is not a valid date and time"},
      {"long-line.csv", climateHeader + std::string(10'000'000, '5') + "\n", ShownMessage::Error,
       "'' is not a valid date and time"},
      {"odd-utf16.csv", std::string("\xFF\xFE\x44\x00\x61", 5), ShownMessage::Error, "UTF-16"},
      {"blank-last.csv", kClimateText + "\r\n", ShownMessage::Error,
       "'' is not a valid date and time"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    open("good.csv", kClimateText);
    ASSERT_TRUE(form.Button2->isEnabled());
    dialogs.messages.clear();
    open(c.name, c.text);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].kind, c.kind);
    EXPECT_TRUE(lastMessage().contains(QString::fromUtf8(c.contains)))
        << lastMessage().left(200).toStdString();
    EXPECT_LT(lastMessage().size(), 1000);
    EXPECT_FALSE(form.Button2->isEnabled());
  }
  dialogs.messages.clear();
  open("good.csv", kClimateText);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(form.Button2->isEnabled());
}

TEST_F(MainWindowTest, UnreadablePathsEndInAnErrorBoxNamingTheFile) {
  std::filesystem::create_directories(dir.path() / "folder.csv");
  const QString folder = QString::fromStdString((dir.path() / "folder.csv").string());
  const QString deleted = QString::fromStdString(dir.write("deleted.csv", kClimateText));
  std::filesystem::remove(deleted.toStdString());
  for (const QString& path : {folder, deleted}) {
    dialogs.messages.clear();
    openPath(path);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].kind, ShownMessage::Error);
    EXPECT_TRUE(lastMessage().contains(path));
    EXPECT_FALSE(form.Button2->isEnabled());
  }
}

TEST_F(MainWindowTest, PathWithBlanksAndCyrillicLetters) {
  const std::string path = dir.write("Отчёты за январь/датчик №1 (склад).csv", kClimateText);
  openPath(QString::fromStdString(path));
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(form.Button2->isEnabled());
  EXPECT_EQ(form.Edit1->text(), QString::fromStdString(path));
}

TEST_F(MainWindowTest, HeaderOnlyMotionFileIsAccepted) {
  open("motion.csv", "Date,Time,Type,Duration(seconds), Angle(degrees)\n");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(form.Button2->isEnabled());
  EXPECT_EQ(form.Height(), 99);
}

}  // namespace
}  // namespace vexa

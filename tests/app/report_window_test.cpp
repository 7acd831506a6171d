// Start in the window with the program's own spreadsheet engine behind it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QSettings>

#include "app/main_window_fixture.h"
#include "spreadsheet/engine.h"
#include "support/xlsx_reader.h"

namespace vexa {
namespace {

using testing::ShownMessage;

class ReportWindowTest : public MainWindowTest {
 protected:
  ReportWindowTest()
      : engine(sheet::EngineOptions{.opener = [this](const std::string& path) {
          if (noApplication) {
            throw xl::WorkbookNotShown("Книга сохранена в файл \"" + path +
                                       "\", но открыть её не удалось: на компьютере не найдено "
                                       "приложение для файлов .xlsx.");
          }
          opened.push_back(path);
        }}) {
    form.useSpreadsheet(engine,
                        [] { return decodeDateTime(parseDateTime("2021-01-07 15:30:45")); });
    form.setPdfOpener([this](const std::string& path) {
      if (noApplication) {
        throw xl::WorkbookNotShown("Отчёт PDF сохранён в файл \"" + path + "\".");
      }
      opened.push_back(path);
    });
  }
  std::vector<std::string> opened;
  bool noApplication = false;
  sheet::Engine engine;
};

TEST_F(ReportWindowTest, StartSavesTheWorkbookNextToTheExportAndOpensIt) {
  open("tag.csv", kClimateText);
  form.Button2->click();
  EXPECT_TRUE(dialogs.messages.empty()) << lastMessage().toStdString();
  const std::string workbook = (dir.path() / "tag-070121_153045.xlsx").string();
  EXPECT_EQ(opened, std::vector<std::string>{workbook});
  const auto parts = testing::readPackage(workbook);
  EXPECT_EQ(parts.count("xl/workbook.xml"), 1u);
  EXPECT_TRUE(form.Button2->isEnabled());
  EXPECT_EQ(form.automationComponents().size(), 1u);
}

// No application opens .xlsx files: the workbook is saved, an information
// box says where, and the window is ready for the next Start.
TEST_F(ReportWindowTest, ASavedWorkbookNothingOpensIsASuccess) {
  noApplication = true;
  open("tag.csv", kClimateText);
  form.Button2->click();
  const std::string workbook = (dir.path() / "tag-070121_153045.xlsx").string();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, ShownMessage::Information);
  EXPECT_EQ(lastMessage().toStdString(),
            "Книга сохранена в файл \"" + workbook +
                "\", но открыть её не удалось: на компьютере не найдено приложение для файлов "
                ".xlsx.");
  EXPECT_TRUE(std::filesystem::exists(workbook));
  EXPECT_TRUE(form.Button2->isEnabled());
  EXPECT_FALSE(form.ProgressBar2->isVisible());
}

// «PDF» ticked: the PDF report beside the workbook, opened after it as the
// workbook is; one that nothing opens is saved all the same.
TEST_F(ReportWindowTest, ThePdfReportBesideTheWorkbook) {
  form.setPreviewShown(true);
  open("tag.csv", kClimateText);
  ASSERT_TRUE(form.PdfBox->isVisible());
  form.PdfBox->setChecked(true);
  form.Button2->click();
  EXPECT_TRUE(dialogs.messages.empty()) << lastMessage().toStdString();
  const std::string workbook = (dir.path() / "tag-070121_153045.xlsx").string();
  const std::string pdf = (dir.path() / "tag-070121_153045.pdf").string();
  EXPECT_EQ(opened, (std::vector<std::string>{pdf, workbook}));
  EXPECT_EQ(testing::bytesOf(pdf).substr(0, 5), "%PDF-");

  noApplication = true;
  form.Button2->click();
  ASSERT_EQ(dialogs.messages.size(), 2u);  // the PDF's and the workbook's
  EXPECT_EQ(dialogs.messages[0].kind, ShownMessage::Information);
  EXPECT_EQ(dialogs.messages[0].text.toStdString(), "Отчёт PDF сохранён в файл \"" + pdf + "\".");
  EXPECT_TRUE(form.Button2->isEnabled());
}

TEST_F(ReportWindowTest, WithoutOpeningItSaysSaved) {
  form.CheckBox1->setChecked(false);
  open("tag.csv", kClimateText);
  form.Button2->click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, ShownMessage::Plain);
  EXPECT_EQ(lastMessage(), QString("Файл сохранен."));
  EXPECT_TRUE(opened.empty());
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "tag-070121_153045.xlsx"));
}

TEST_F(ReportWindowTest, UnwritableTargetEndsInAnErrorAndLeavesNothing) {
  open("tag.csv", kClimateText);
  const std::string target = (dir.path() / "no such folder" / "tag.csv").string();
  form.Edit1->setText(QString::fromStdString(target));  // edited by hand
  form.Button2->click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, ShownMessage::Error);
  EXPECT_EQ(lastMessage().toStdString(), "Не удалось сохранить книгу \"" +
                                             (dir.path() / "no such folder").string() +
                                             "/tag-070121_153045.xlsx\": такой папки нет.");
  // Only the export itself is in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
  // The window stays usable: a new Open, then Start, works.
  open("tag.csv", kClimateText);
  form.Button2->click();
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "tag-070121_153045.xlsx"));
}

// Limits typed in the window reach the workbook: the summary on the third
// sheet counts the excursion, the chart draws the limit as a dashed line.
TEST_F(ReportWindowTest, LimitsTypedInTheWindowReachTheWorkbook) {
  form.CheckBox1->setChecked(false);
  form.setPreviewShown(true);
  open("tag.csv", kClimateText);
  ASSERT_TRUE(form.LimitHigh->isVisible());
  form.LimitHigh->setText("22");
  form.Button2->click();
  EXPECT_EQ(lastMessage(), QString("Файл сохранен."));
  const auto parts = testing::readPackage((dir.path() / "tag-070121_153045.xlsx").string());
  EXPECT_EQ(testing::occurrences(parts.at("xl/charts/chart1.xml"), "<a:prstDash val=\"dash\"/>"),
            1);
  EXPECT_NE(parts.at("xl/sharedStrings.xml").find("Верхний предел: 22"), std::string::npos);
  EXPECT_NE(parts.at("xl/sharedStrings.xml").find("Выше верхнего предела: выходов"),
            std::string::npos);

  // A limit that is no number stops Start with a message and saves nothing.
  form.LimitHigh->setText("22 градуса");
  form.Button2->click();
  EXPECT_EQ(lastMessage().toStdString(),
            "Верхний предел «22 градуса» ряда «Температура (ºС)» — не число.");
  EXPECT_TRUE(form.Button2->isEnabled());
}

// Several exports chosen at once. As one tag's downloads they are joined:
// the path box shows the first and «+N», and Start reports them as one
// export named after the first. As several tags, each is opened (one that
// cannot be is named and left out) and Start writes the comparison beside
// the first. Cancelling the question opens nothing.
TEST_F(ReportWindowTest, SeveralExportsJoinedOrCompared) {
  const std::string header = "Date/Time,Temperature (C),Moisture (%),Battery (Volts)\n";
  const auto hours = [&](int from, int to, const char* value) {
    std::string text = header;
    for (int h = from; h <= to; ++h) {
      text += "2021-01-02T" + std::string(h < 10 ? "0" : "") + std::to_string(h) + ":00:00+03:00," +
              value + ",40.0,3.01\n";
    }
    return text;
  };
  const QString first = QString::fromStdString(dir.write("tag.csv", hours(0, 8, "20.5")));
  const QString second = QString::fromStdString(dir.write("tag-2.csv", hours(6, 12, "21.5")));
  const QString room = QString::fromStdString(dir.write("room.csv", hours(3, 20, "23")));
  const QString missing = QString::fromStdString((dir.path() / "gone.csv").string());

  dialogs.answerFiles({first, second});
  dialogs.answerSeveral(-1);
  form.Button1->click();
  EXPECT_EQ(dialogs.questions.size(), 1);
  EXPECT_FALSE(form.Button2->isEnabled());

  dialogs.answerFiles({first, second});
  dialogs.answerSeveral(0);
  form.Button1->click();
  EXPECT_EQ(form.Edit1->text(), first + " +1");
  form.Button2->click();
  EXPECT_TRUE(dialogs.messages.empty()) << lastMessage().toStdString();
  const std::string joined =
      platform::textOf(dir.path() / platform::pathOf("tag-объединение-070121_153045.xlsx"));
  ASSERT_EQ(opened, std::vector<std::string>{joined});
  const auto parts = testing::readPackage(joined);
  EXPECT_NE(parts.at("xl/sharedStrings.xml").find("Объединено выгрузок"), std::string::npos);

  dialogs.answerFiles({first, missing, room});
  dialogs.answerSeveral(1);
  form.Button1->click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_TRUE(lastMessage().startsWith("gone.csv: ")) << lastMessage().toStdString();
  EXPECT_EQ(form.Edit1->text(), first + " +1");
  EXPECT_EQ(form.presenter().comparedExports().size(), 2u);
  // The preview: the temperature of each tag, under its name.
  const PreviewData& shown = form.presenter().preview().data();
  ASSERT_EQ(shown.series.size(), 2u);
  EXPECT_EQ(shown.series[0].name, "tag.csv");
  EXPECT_EQ(shown.series[1].name, "room.csv");
  EXPECT_EQ(shown.series[1].value.front(), 23);
  form.CheckBox2->setChecked(false);  // humidity now
  EXPECT_EQ(form.presenter().preview().data().series[0].value.front(), 40);
  form.Button2->click();
  const std::string comparison =
      platform::textOf(dir.path() / platform::pathOf("Сравнение-070121_153045.xlsx"));
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened.back(), comparison);
  const std::string book = testing::readPackage(comparison).at("xl/workbook.xml");
  EXPECT_NE(book.find("name=\"Сводка\""), std::string::npos);
  EXPECT_NE(book.find("name=\"tag\""), std::string::npos);
  EXPECT_NE(book.find("name=\"room\""), std::string::npos);
  EXPECT_TRUE(form.Button2->isEnabled());
}

// Compared tags keep the limits set for each when it was open alone; the
// first takes the window's.
TEST_F(ReportWindowTest, ComparedTagsKeepTheirOwnLimits) {
  QSettings settings(QString::fromStdString((dir.path() / "settings.ini").string()),
                     QSettings::IniFormat);
  form.useSettings(settings);
  form.setPreviewShown(true);
  form.CheckBox1->setChecked(false);
  const auto tag = [&](const char* name, const char* value) {
    std::string text = "Date/Time,Temperature (C),Moisture (%),Battery (Volts)\n";
    for (int h = 10; h < 14; ++h) {
      text += "2021-01-02T" + std::to_string(h) + ":00:00+03:00," + value + ",40.0,3.01\n";
    }
    return QString::fromStdString(dir.write(name, text));
  };
  const QString warm = tag("warm.csv", "25");
  const QString cold = tag("cold.csv", "-20");
  openPath(cold);
  form.LimitHigh->setText("-25");  // the cold room's own: it is beyond it
  openPath(warm);
  form.LimitHigh->setText("30");  // the warm room's, and the window's

  dialogs.answerFiles({warm, cold});
  dialogs.answerSeveral(1);
  form.Button1->click();
  form.Button2->click();
  EXPECT_EQ(lastMessage(), QString("Файл сохранен."));
  const auto parts = testing::readPackage(
      platform::textOf(dir.path() / platform::pathOf("Сравнение-070121_153045.xlsx")));
  // «Тревога» only from the cold room's own limit (the window's 30 leaves both within).
  EXPECT_NE(parts.at("xl/sharedStrings.xml").find("Тревога"), std::string::npos);
  EXPECT_NE(parts.at("xl/sharedStrings.xml").find("В норме"), std::string::npos);
}

}  // namespace
}  // namespace vexa

#include "app/tform2.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/tform1.h"
#include "support/scripted_dialogs.h"

namespace vexa {
namespace {

TEST(AboutWindow, DesignedTextsAndGeometry) {
  testing::ScriptedDialogs dialogs;
  TForm2 about(dialogs);
  EXPECT_EQ(about.windowTitle(), QString("О программе"));
  EXPECT_EQ(about.size(), QSize(447, 208));
  EXPECT_TRUE(about.Label1->text().startsWith("Vexa_Сhart ("));
  EXPECT_TRUE(about.Label1->text().endsWith(" Сhart)"));
  EXPECT_TRUE(about.Label2->text().contains(QChar(0x2011)));  // the non-breaking hyphen
  EXPECT_TRUE(about.Label2->wordWrap());
  EXPECT_EQ(about.Label2->geometry(), QRect(23, 33, 394, 64));
  EXPECT_EQ(about.Label3->text(), QString("Январь 2021 года."));
  EXPECT_EQ(about.Label6->toolTip(), about.Label6->text());
  EXPECT_EQ(about.Button1->text(), QString("ОК"));
  EXPECT_EQ(about.Button1->geometry(), QRect(171, 169, 75, 25));
  EXPECT_TRUE(about.Label1->font().bold());
  EXPECT_EQ(about.Label1->font().pixelSize(), 16);
  EXPECT_EQ(about.Label5->font().pixelSize(), 13);
}

TEST(AboutWindow, LinksOpenThroughTheDesktop) {
  testing::ScriptedDialogs dialogs;
  TForm2 about(dialogs);
  about.show();
  QTest::mouseClick(about.Label5, Qt::LeftButton);
  QTest::mouseClick(about.Label6, Qt::LeftButton);
  ASSERT_EQ(dialogs.openedUrls.size(), 2);
  EXPECT_EQ(dialogs.openedUrls[0], about.Label5->text());
  EXPECT_EQ(dialogs.openedUrls[1], "mailto:" + about.Label6->text());
}

TEST(AboutWindow, ShownModallyByTheAboutButtonAndClosedByOk) {
  testing::ScriptedDialogs dialogs;
  TForm1 form(dialogs);
  TForm2 about(dialogs);
  form.setAboutWindow(&about);
  form.show();
  bool wasModal = false;
  QTimer::singleShot(0, [&] {
    wasModal = QApplication::activeModalWidget() == &about;
    QTest::mouseClick(about.Button1, Qt::LeftButton);
  });
  QTest::mouseClick(form.Button3, Qt::LeftButton);  // returns when About closes
  EXPECT_TRUE(wasModal);
  EXPECT_FALSE(about.isVisible());
  EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace vexa

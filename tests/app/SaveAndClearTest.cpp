// "Save to File" and "Clear" on the real window, with the save dialog and the
// clock answered by the test.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app/MyProgressBar.h"
#include "platform/Clock.h"
#include "support/AppFixture.h"

namespace {

QByteArray readFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return "<unreadable>";
  return f.readAll();
}

class SaveAndClear : public testsupport::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    ASSERT_TRUE(out_.isValid());
    platform::SetClockForTesting([] { return QDateTime(QDate(2017, 2, 1), QTime(8, 5, 9)); });
    setPorts({});
    openWindow();
    messages.clear();
    beeps = 0;
    window->ADIFData() = "Log<EOH>\r\n<CALL:4>W1AW<EOR>";
    window->PushButton1()->setEnabled(true);
    window->PushButton2()->setEnabled(true);
  }
  QString target(const QString& name) const { return QDir(out_.path()).filePath(name); }
  QTemporaryDir out_;
};

TEST_F(SaveAndClear, firstSaveOffersDateTimeNameAndWritesHeaderLineThenBufferExactly) {
  saveAnswer = target("ZVK20170201T080509.ADI");
  QTest::mouseClick(window->PushButton1(), Qt::LeftButton);
  EXPECT_EQ(offeredNames, QStringList{"ZVK20170201T080509.ADI"});
  EXPECT_EQ(readFile(*saveAnswer), "Generated on 2017-02-01 at 08:05:09\nLog<EOH>\r\n<CALL:4>W1AW<EOR>");
  EXPECT_EQ(window->m_Filename, "ZVK20170201T080509.ADI");
  EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SaveAndClear, secondSaveOffersTheNameChosenBeforeAndAddsNoExtension) {
  saveAnswer = target("mylog");
  window->PushButton1_Action();
  window->PushButton1_Action();
  EXPECT_EQ(offeredNames, QStringList({"ZVK20170201T080509.ADI", "mylog"}));
  EXPECT_TRUE(QFile::exists(target("mylog")));
  EXPECT_FALSE(QFile::exists(target("mylog.ADI")));
}

TEST_F(SaveAndClear, cancelWritesNothingAndKeepsTheRememberedName) {
  window->m_Filename = "before.ADI";
  saveAnswer.reset();
  window->PushButton1_Action();
  EXPECT_EQ(offeredNames, QStringList{"before.ADI"});
  EXPECT_EQ(window->m_Filename, "before.ADI");
  EXPECT_TRUE(QDir(out_.path()).isEmpty());
}

TEST_F(SaveAndClear, clearEmptiesBufferResetsDisplayAndDisablesButtons) {
  window->StatusField()->setPlainText("Beginning Export...\nExport Complete!");
  window->MyProgressBar1()->Maximum = 480;
  window->MyProgressBar1()->Value = 200;
  window->m_Filename = "kept.ADI";
  QTest::mouseClick(window->PushButton2(), Qt::LeftButton);
  EXPECT_EQ(window->StatusField()->toPlainText(), "Waiting for ADIF data...\n");
  EXPECT_FALSE(window->PushButton1()->isEnabled());
  EXPECT_FALSE(window->PushButton2()->isEnabled());
  EXPECT_EQ(window->MyProgressBar1()->Maximum, 100);
  EXPECT_EQ(window->MyProgressBar1()->Value, 0);
  EXPECT_TRUE(window->ADIFData().isEmpty());
  EXPECT_EQ(window->m_Filename, "kept.ADI");
}

TEST_F(SaveAndClear, disabledButtonsDoNothingWhenClicked) {
  window->PushButton1()->setEnabled(false);
  window->PushButton2()->setEnabled(false);
  saveAnswer = target("never.ADI");
  QTest::mouseClick(window->PushButton1(), Qt::LeftButton);
  QTest::mouseClick(window->PushButton2(), Qt::LeftButton);
  EXPECT_TRUE(offeredNames.isEmpty());
  EXPECT_FALSE(window->ADIFData().isEmpty());
}

}  // namespace

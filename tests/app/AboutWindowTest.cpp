// The About window: one at a time, its design, the picture cache and closing by click.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <cmath>

#include "app/AboutWindow.h"
#include "app/App.h"

namespace {

class AboutWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app::SetPictureResourceForTesting(QString());
    app::ResetPictureCacheForTesting();
  }
  void TearDown() override {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (qobject_cast<app::AboutWindow*>(w)) w->close();
    flushDeletes();
    app::SetPictureResourceForTesting(QString());
    app::ResetPictureCacheForTesting();
  }
  static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
  static QPixmap canvasPicture(app::AboutWindow* w) { return static_cast<QLabel*>(w->Canvas1())->pixmap(); }
  static double scaleOf(app::AboutWindow* w) { return w->width() / 306.0; }
  static QRect designRect(double s, int left, int top, int width, int height) {
    auto px = [s](int v) { return int(std::lround(v * s)); };
    return QRect(px(left), px(top), px(width), px(height));
  }
};

TEST_F(AboutWindowTest, isAFixedSizeWindowTitledAboutWithItsControlsInPlace) {
  app::AboutWindow* w = app::AboutWindow::Instance();
  const double s = scaleOf(w);
  EXPECT_GE(s, 1.0);
  EXPECT_EQ(w->size(), QSize(int(std::lround(306 * s)), int(std::lround(150 * s))));
  EXPECT_EQ(w->minimumSize(), w->size());
  EXPECT_EQ(w->maximumSize(), w->size());
  EXPECT_EQ(w->windowTitle(), "About");
  const Qt::WindowFlags flags = w->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(w->testAttribute(Qt::WA_DeleteOnClose));

  EXPECT_EQ(w->Canvas1()->geometry(), designRect(s, 20, 14, 100, 76));
  EXPECT_EQ(w->Label1()->geometry(), designRect(s, 122, 14, 184, 18));
  EXPECT_EQ(w->VersionLabel()->geometry(), designRect(s, 122, 33, 184, 18));
  EXPECT_EQ(w->Label2()->geometry(), designRect(s, 122, 60, 184, 30));
  EXPECT_EQ(w->Label3()->geometry(), designRect(s, 122, 91, 184, 18));
  EXPECT_EQ(w->Label4()->geometry(), designRect(s, 122, 112, 184, 18));
  EXPECT_EQ(w->Label1()->text(), "Kestrune ADIF Utility");
  EXPECT_EQ(w->VersionLabel()->text(), "Version 1.0.0");
  EXPECT_EQ(w->Label1()->font(), w->font());
  for (QLabel* small : {w->Label2(), w->Label3(), w->Label4(), w->VersionLabel()})
    EXPECT_EQ(small->font().pixelSize(), int(std::lround(12 * s))) << small->objectName().toStdString();
}

TEST_F(AboutWindowTest, everyLabelShowsItsWholeText) {
  app::AboutWindow* w = app::AboutWindow::Instance();
  for (QLabel* label : {w->Label1(), w->VersionLabel(), w->Label2(), w->Label3(), w->Label4()}) {
    SCOPED_TRACE(label->objectName().toStdString());
    EXPECT_FALSE(label->text().isEmpty());
    const QRect box = label->contentsRect();
    const QRect used = QFontMetrics(label->font())
                           .boundingRect(QRect(0, 0, box.width(), 100000),
                                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, label->text());
    EXPECT_LE(used.width(), box.width());
    EXPECT_LE(used.height(), box.height());
  }
}

TEST_F(AboutWindowTest, pressDoesNotCloseButReleaseDoes) {
  QPointer<app::AboutWindow> w = app::AboutWindow::Instance();
  w->show();
  QTest::mousePress(w, Qt::LeftButton, {}, QPoint(200, 140));
  ASSERT_TRUE(w);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(app::AboutWindow::Instance(), w.data());
  QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(200, 140));
  EXPECT_TRUE(!w || !w->isVisible());
  flushDeletes();
  EXPECT_FALSE(w);

  // A click on a label or on the picture closes it too.
  for (int target = 0; target < 2; ++target) {
    w = app::AboutWindow::Instance();
    w->show();
    QTest::mouseClick(target == 0 ? static_cast<QWidget*>(w->Label2()) : w->Canvas1(), Qt::LeftButton);
    EXPECT_TRUE(!w || !w->isVisible()) << target;
    flushDeletes();
  }
}

TEST_F(AboutWindowTest, isRebuiltAfterCloseWithTheSameCachedPicture) {
  QPointer<app::AboutWindow> first = app::AboutWindow::Instance();
  const QPixmap picture = canvasPicture(first);
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.size(), QSize(100, 76));
  EXPECT_EQ(app::PictureLoadCountForTesting(), 1);
  first->show();
  first->close();
  // Gone at once for the accessor, even before the deferred deletion.
  app::AboutWindow* second = app::AboutWindow::Instance();
  EXPECT_NE(second, first.data());
  EXPECT_EQ(second->VersionLabel()->text(), "Version 1.0.0");
  EXPECT_EQ(canvasPicture(second).cacheKey(), picture.cacheKey());
  EXPECT_EQ(app::PictureLoadCountForTesting(), 1);
}

TEST_F(AboutWindowTest, canvasShowsThePictureAtItsDesignedPlace) {
  app::AboutWindow* w = app::AboutWindow::Instance();
  if (scaleOf(w) != 1.0) GTEST_SKIP() << "pixels compared at the design scale only";
  const QImage shot = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QImage picture = app::x_zvk().toImage().convertToFormat(QImage::Format_ARGB32);
  int compared = 0;
  for (int y = 0; y < 76; ++y)
    for (int x = 0; x < 100; ++x)
      if (qAlpha(picture.pixel(x, y)) == 255) {
        EXPECT_EQ(shot.pixel(20 + x, 14 + y), picture.pixel(x, y)) << x << "," << y;
        ++compared;
      }
  EXPECT_GT(compared, 1000);
}

TEST_F(AboutWindowTest, missingPictureLeavesTheWindowWorkingAndIsTriedAgain) {
  app::SetPictureResourceForTesting(QStringLiteral(":/no-such-picture.png"));
  QPointer<app::AboutWindow> w = app::AboutWindow::Instance();
  EXPECT_TRUE(canvasPicture(w).isNull());
  EXPECT_EQ(app::PictureLoadCountForTesting(), 1);
  w->show();
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->VersionLabel()->text(), "Version 1.0.0");
  QTest::mouseClick(w, Qt::LeftButton);
  EXPECT_TRUE(!w || !w->isVisible());

  app::AboutWindow* again = app::AboutWindow::Instance();
  EXPECT_EQ(app::PictureLoadCountForTesting(), 2);
  EXPECT_TRUE(canvasPicture(again).isNull());
  again->close();

  // Once the picture is there, it is loaded and then kept.
  app::SetPictureResourceForTesting(QString());
  app::AboutWindow* found = app::AboutWindow::Instance();
  EXPECT_FALSE(canvasPicture(found).isNull());
  EXPECT_EQ(app::PictureLoadCountForTesting(), 3);
  found->close();
  app::AboutWindow::Instance();
  EXPECT_EQ(app::PictureLoadCountForTesting(), 3);
}

}  // namespace

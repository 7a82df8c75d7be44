// The main window as built: controls, places, tab order, starting values.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <iterator>
#include <limits>
#include <utility>

#include "app/MyProgressBar.h"
#include "app/Window1.h"
#include "platform/SerialControl.h"
#include "support/QtPrinters.h"

namespace {

QRect designRect(const app::Window1& w, int left, int top, int width, int height) {
  const double s = w.DesignScale();
  return QRect(int(std::lround(left * s)), int(std::lround(top * s)), int(std::lround(width * s)),
               int(std::lround(height * s)));
}

TEST(MainWindowDesign, controlsAreCreatedInDesignOrderAtTheirPlacesInAFixedSizeWindow) {
  app::Window1 w;
  const std::pair<const char*, QRect> design[] = {
      {"Label1", {26, 14, 186, 20}},       {"SerialPortMenu", {27, 39, 162, 20}}, {"StatusField", {26, 121, 300, 100}},
      {"Label2", {18, 77, 324, 32}},       {"PushButton1", {26, 256, 108, 20}},   {"PushButton2", {246, 256, 80, 20}},
      {"Trace", {162, 256, 65, 20}},       {"MyProgressBar1", {26, 229, 302, 19}}, {"CallsignText", {217, 38, 109, 22}},
      {"Label3", {217, 14, 109, 20}},
  };
  QList<QWidget*> controls;
  for (QObject* child : w.centralWidget()->children())
    if (auto* control = qobject_cast<QWidget*>(child)) controls << control;
  ASSERT_EQ(controls.size(), std::size(design));
  for (size_t i = 0; i < std::size(design); ++i) {
    const auto& [name, r] = design[i];
    EXPECT_EQ(controls[i]->objectName(), name);
    EXPECT_EQ(controls[i]->geometry(), designRect(w, r.left(), r.top(), r.width(), r.height())) << name;
  }
  EXPECT_EQ(w.centralWidget()->size(), designRect(w, 0, 0, 353, 296).size());
  EXPECT_EQ(w.Serial1()->objectName(), "Serial1");
  EXPECT_FALSE(w.Serial1()->isOpen());

  EXPECT_EQ(w.minimumSize(), w.maximumSize());
  EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(w.windowFlags() & Qt::WindowCloseButtonHint);
}

TEST(MainWindowDesign, startsWithDesignTextsAndValues) {
  app::Window1 w;
  EXPECT_EQ(w.windowTitle(), "Kestrune ADIF Utility");
  EXPECT_EQ(w.Label1()->text(), "Select serial port:");
  EXPECT_EQ(w.Label3()->text(), "Callsign:");
  EXPECT_EQ(w.Label2()->text(),
            "Connect a keyboard to Kestrune device and press ALT-L then press A or R to begin ADIF export.");
  EXPECT_TRUE(w.Label2()->wordWrap());
  EXPECT_EQ(w.PushButton1()->text(), "Save to File");
  EXPECT_EQ(w.PushButton2()->text(), "Clear");
  EXPECT_EQ(w.Trace()->text(), "Trace");
  EXPECT_FALSE(w.PushButton1()->isEnabled());
  EXPECT_FALSE(w.PushButton2()->isEnabled());
  EXPECT_FALSE(w.Trace()->isChecked());
  EXPECT_EQ(w.SerialPortMenu()->count(), 0);
  EXPECT_TRUE(w.StatusField()->toPlainText().isEmpty());
  EXPECT_TRUE(w.StatusField()->isReadOnly());
  EXPECT_EQ(w.StatusField()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_TRUE(w.CallsignText()->text().isEmpty());
  EXPECT_EQ(w.CallsignText()->maxLength(), std::numeric_limits<int>::max());
  EXPECT_EQ(w.MyProgressBar1()->Value, 0);
  EXPECT_EQ(w.MyProgressBar1()->Maximum, 100);
}

TEST(MainWindowDesign, buildingRunsNoHandler) {
  app::Window1 w;
  EXPECT_TRUE(w.m_CallText.isEmpty());
  EXPECT_EQ(w.m_Port, 0);
  EXPECT_TRUE(w.m_PortName.isEmpty());
  EXPECT_FALSE(w.m_Startup);
  EXPECT_TRUE(w.ADIFData().isEmpty());
  EXPECT_FALSE(w.DownloadStart());
}

TEST(MainWindowDesign, tabVisitsStatusButtonsTraceAndCallsignOnly) {
  app::Window1 w;
  w.PushButton1()->setEnabled(true);  // disabled buttons are skipped, as they should be
  w.PushButton2()->setEnabled(true);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  w.activateWindow();
  w.StatusField()->setFocus();
  QStringList visited;
  for (int i = 0; i < 5; ++i) {
    visited << QApplication::focusWidget()->objectName();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  EXPECT_EQ(visited, QStringList({"StatusField", "PushButton1", "PushButton2", "Trace", "CallsignText"}));
  EXPECT_EQ(QApplication::focusWidget()->objectName(), "StatusField");
}

TEST(MainWindowDesign, wheelOverThePortListPicksNothing) {
  app::Window1 w;
  w.SerialPortMenu()->addItems({"ttyA", "ttyB"});
  w.SerialPortMenu()->setCurrentIndex(0);
  w.show();
  QWheelEvent wheel(QPointF(5, 5), w.SerialPortMenu()->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(w.SerialPortMenu(), &wheel);
  EXPECT_EQ(w.SerialPortMenu()->currentIndex(), 0);
  EXPECT_EQ(w.m_Port, 0);
}

TEST(MainWindowDesign, everyTextFitsItsControl) {
  app::Window1 w;
  const QFontMetrics fm(w.font());
  EXPECT_LE(fm.horizontalAdvance(w.Label1()->text()), w.Label1()->width());
  EXPECT_LE(fm.horizontalAdvance(w.Label3()->text()), w.Label3()->width());
  EXPECT_LE(fm.height(), w.Label1()->height());
  EXPECT_LE(w.Label2()->heightForWidth(w.Label2()->width()), w.Label2()->height());
  EXPECT_LE(fm.horizontalAdvance(w.PushButton1()->text()) + 8, w.PushButton1()->width());
  EXPECT_LE(fm.horizontalAdvance(w.Trace()->text()) + 20, w.Trace()->width());
}

}  // namespace

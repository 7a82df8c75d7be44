// Exports from a device on a pseudo-terminal through the real window. The line is
// transparent: the window must hold what completing the text sent directly gives.
#include "app/MyProgressBar.h"
#include "support/AppFixture.h"

namespace {

// Calls `painted` at each paint of the widget it filters.
struct PaintSpy : QObject {
  std::function<void()> painted;
  bool eventFilter(QObject*, QEvent* e) override { return e->type() == QEvent::Paint && (painted(), false); }
};

using ExportFlow = testsupport::AppFixture;

// The clock moves on at each reading: the offered name and the header line must come from one. A save into a
// missing folder or onto a full disk says which file and why, keeps the name chosen and changes nothing else. An
// export still arriving at Clear goes on into the emptied buffer and gets the call sign in force at its end.
TEST_F(ExportFlow, anExportIsReceivedCompletedSavedByteForByteAndClearedWhileTheNextArrives) {
  ASSERT_NO_FATAL_FAILURE(openOnDevice("old"));
  const QByteArray text = makeExport(100);  // within a file's 16 KiB write buffer
  send("noise]\r\n" + Framed("[" + text));  // every "[" is dropped
  const QByteArray completed = Completed(text, "OLD");
  ASSERT_TRUE(awaitHeld(completed));
  const QString shown = "Waiting for ADIF data...\nBeginning Export...\nExport Complete!";
  EXPECT_EQ(status(), shown);
  EXPECT_EQ(window->MyProgressBar1()->Maximum, text.size() + 1);
  EXPECT_EQ(window->MyProgressBar1()->Value, 0);

  platform::SetClockForTesting(
      [s = 0]() mutable { return QDateTime(QDate(2017, 2, 1), QTime(8, 5, 9)).addSecs(s++); });
  QTemporaryDir out;
  const QString path = QDir(out.path()).filePath("mylog");
  QFile old(path);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("an older log\n") == 13 && old.flush());
  const QString gone = QDir(out.path()).filePath("gone/mylog");
  save(gone);
  WithFilesUpTo(4096, [&] {
    save(path);
    return true;
  });
  EXPECT_EQ(messages, QStringList({"The file \"" + gone + "\" could not be saved: No such file or directory",
                                   "The file \"" + path + "\" could not be saved: File too large"}));
  EXPECT_EQ(window->ADIFData(), completed);
  EXPECT_TRUE(window->PushButton1()->isEnabled() && window->PushButton2()->isEnabled());
  EXPECT_EQ(status(), shown);
  EXPECT_EQ(Contents(path), "an older log\n");
  EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden), QStringList({".", "..", "mylog"}));
  save(std::nullopt);
  save(path);
  EXPECT_EQ(offeredNames, QStringList({"ZVK20170201T080509.ADI", "mylog", "mylog", "mylog"}));
  EXPECT_EQ(Contents(path), "Generated on 2017-02-01 at 08:05:12\n" + completed);  // under the name chosen

  const QByteArray next = makeExport(6);
  const QByteArray head = next.first(next.indexOf("<EOH>") + 5);
  const qsizetype split = Framed(next).indexOf(head) + head.size();
  send(Framed(next).first(split));
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->DownloadStart() && window->ADIFData() == head; }));
  QTest::mouseClick(window->PushButton2(), Qt::LeftButton);
  EXPECT_EQ(status(), "Waiting for ADIF data...\n");
  EXPECT_FALSE(window->PushButton1()->isEnabled() || window->PushButton2()->isEnabled());
  EXPECT_EQ(window->MyProgressBar1()->Maximum, 100);
  EXPECT_EQ(window->MyProgressBar1()->Value, 0);
  EXPECT_TRUE(window->ADIFData().isEmpty());
  window->CallsignText()->selectAll();
  QTest::keyClicks(window->CallsignText(), "n0call");
  send(Framed(next).sliced(split));
  const QByteArray nextCompleted = Completed(next.sliced(head.size()), "N0CALL");
  ASSERT_TRUE(awaitHeld(nextCompleted));
  EXPECT_EQ(status(), "Waiting for ADIF data...\nExport Complete!");
  QTest::keyClicks(window->CallsignText(), "x");  // a finished export keeps its call sign
  EXPECT_EQ(window->ADIFData(), nextCompleted);
}

// The cable pulled in the middle of an export, and the port picked again on a new cable: no byte received is lost,
// the lost port's descriptor is given back, and the next export is appended to the broken one.
TEST_F(ExportFlow, aCablePulledLosesNoByteReceivedAndThePortPickedAgainHearsTheNextExport) {
  ASSERT_NO_FATAL_FAILURE(openOnDevice());
  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const QByteArray text = makeExport(draw(0, 12));
    const QByteArray held = text.first(draw(0, int(text.size()) - 1));
    send(Framed(text).first(Framed(text).indexOf('}') + 1 + held.size()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->DownloadStart() && window->ADIFData() == held; }));
    const QString lostPath = pty().portPath();
    pty().closeMaster();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->Serial1()->isOpen(); }));
    EXPECT_TRUE(status().endsWith("Lost serial port ttyKQ0\n")) << status().toStdString();
    EXPECT_EQ(window->ADIFData(), held);
    int handles = 0;  // on the lost port: only the pair's own hold is left
    for (const QFileInfo& fd : QDir("/proc/self/fd").entryInfoList(QDir::System))
      handles += QStringList{lostPath, lostPath + " (deleted)"}.contains(fd.symLinkTarget());
    EXPECT_EQ(handles, 1);

    plugIn();
    pickPort();
    ASSERT_TRUE(window->Serial1()->isOpen()) << messages.join('|').toStdString();
    const QByteArray next = makeExport(draw(1, 12));
    send(Framed(next));
    ASSERT_TRUE(awaitHeld(Completed(held + Framed(next).chopped(1), "N0CALL")));
  }
}

// With Trace on, every read shows its text: the area is scrolled to its end, as far as it goes, after
// each read and at the finish, even when the user had scrolled it to the top.
TEST_F(ExportFlow, theStatusAreaIsScrolledToItsEndAfterEachReadAndAtTheFinish) {
  ASSERT_NO_FATAL_FAILURE(openOnDevice());
  window->Trace()->setChecked(true);
  QScrollBar* bar = window->StatusField()->verticalScrollBar();
  sendInReads(makeExport(30), 6, [&](int) {
    EXPECT_GT(bar->maximum(), 0) << "the text is taller than the area";
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(0);
  });
}

// The bar is repainted after each read with the length received, and with 0 at the finish, not only
// when the window is next redrawn.
TEST_F(ExportFlow, theProgressBarIsRepaintedAsDataArrives) {
  ASSERT_NO_FATAL_FAILURE(openOnDevice());
  app::MyProgressBar* bar = window->MyProgressBar1();
  qint64 painted = -1;  // Value at the last paint
  PaintSpy spy;
  spy.painted = [&] { painted = bar->Value; };
  bar->PB()->installEventFilter(&spy);
  sendInReads(makeExport(30), 6, [&](int) {
    const qint64 shown = window->DownloadStart() ? window->ADIFData().size() : 0;
    EXPECT_TRUE(QTest::qWaitFor([&] { return painted == shown; }, 2000)) << "last painted " << painted;
  });
}

// Bytes beyond ASCII, also ones that are no UTF-8, show as one character each, as received (a CR LF pair
// goes, each "<" starts a line): while the export arrives, with Trace on, and in the completed display.
TEST_F(ExportFlow, bytesBeyondAsciiShowOneCharacterEach) {
  ASSERT_NO_FATAL_FAILURE(openOnDevice());
  window->Trace()->setChecked(true);
  const QByteArray shown[] = {
      "Waiting for ADIF data...\nBeginning Export...\n\xE9\n<EOH>\n<X:",
      "\xE9\n<EOH>\n<RST_RCVD:0>\n<RST_SENT:0>\n<BAND:0>\n<X:4>\xC3(\xFF\x80\n<STATION_CALLSIGN:6>N0CALL\n<EOR>\n"
      "Export Complete!"};
  sendInReads("\xE9<EOH>\r\n<X:4>\xC3(\xFF\x80<EOR>", 2, [&](int read) {
    EXPECT_EQ(status(), QString::fromLatin1(shown[read]));
  });
}

}  // namespace

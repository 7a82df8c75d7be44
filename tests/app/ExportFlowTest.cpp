// Exports from a device on a pseudo-terminal through the real window: received, completed, shown, saved
// and cleared. Expected exports are written out by hand from the completion rules.
#include "app/MyProgressBar.h"
#include "support/AppFixture.h"

namespace {

using testsupport::BytesEq;

// A header and three records: a FREQ in MHz and one in kHz, a report with a slash and one without, lower-case
// tags and no RST_RCVD; the line break after the last record is the tail.
const QByteArray kExport =
    "Kestrune QZT605 log export\r\n<ADIF_VER:5>3.1.0<EOH>"
    "\r\n<CALL:4>W1AW<FREQ:6>14.074<MODE:3>FT8<RST_RCVD:7>599/579<EOR>"
    "\r\n<CALL:5>DL1AB<FREQ:4>7030<MODE:2>CW<RST_RCVD:3>579<EOR>"
    "\r\n<call:6>JA1XYZ<freq:7>144.300<mode:3>SSB<EOR>\r\n";
// Completed for the call sign typed as " n0call ".
const QByteArray kCompleted =
    "Kestrune QZT605 log export\r\n<ADIF_VER:5>3.1.0<EOH>"
    "\r\n<CALL:4>W1AW<FREQ:6>14.074<BAND:3>20M<MODE:3>FT8<RST_RCVD:3>599<RST_SENT:3>579"
    "<STATION_CALLSIGN:6>N0CALL<EOR>"
    "\r\n<CALL:5>DL1AB<FREQ:4>7030<BAND:3>40M<MODE:2>CW<RST_RCVD:3>579<RST_SENT:0><STATION_CALLSIGN:6>N0CALL<EOR>"
    "<RST_RCVD:0><RST_SENT:0>\r\n<call:6>JA1XYZ<freq:7>144.300<BAND:2>2M<mode:3>SSB<STATION_CALLSIGN:6>N0CALL<EOR>";
const QString kWaiting = "Waiting for ADIF data...\n";

// Calls `painted` at each paint of the widget it filters.
struct PaintSpy : QObject {
  std::function<void()> painted;
  bool eventFilter(QObject*, QEvent* e) override { return e->type() == QEvent::Paint && (painted(), false); }
};

class ExportFlow : public testsupport::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    // The clock moves on at each reading: what must come from one reading shows it.
    platform::SetClockForTesting(
        [s = 0]() mutable { return QDateTime(QDate(2017, 2, 1), QTime(8, 5, 9)).addSecs(s++); });
    ASSERT_TRUE(out.isValid());
  }
  // The window has received `text`, announced as 777 bytes, after noise and with a "[" in front, and finished it.
  void receive(const QByteArray& text = kExport) {
    ASSERT_NO_FATAL_FAILURE(openOnDevice(" n0call "));
    send("noise]\r\n{777}[" + text + "]");
    ASSERT_TRUE(awaitFinished());
  }
  // After an export, the next one has arrived up to its header's end when the user clicks Clear.
  void clearWhileTheNextArrives() {
    ASSERT_NO_FATAL_FAILURE(receive());
    send("{50}Next log<EOH>");
    ASSERT_TRUE(awaitReceiving("Next log<EOH>"));
    QTest::mouseClick(window->PushButton2(), Qt::LeftButton);
  }
  QString saved(const char* name) const { return QDir(out.path()).filePath(name); }
  void writeOlderLog() {
    QFile old(saved("mylog"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("an older log\n") == 13 && old.flush());
  }
  QStringList savedFiles() const {
    return QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  }

  QTemporaryDir out;
};

TEST_F(ExportFlow, anExportIsReceivedAndCompletedAsTheRulesSay) {
  ASSERT_NO_FATAL_FAILURE(receive());
  EXPECT_TRUE(BytesEq(window->ADIFData(), kCompleted));
}

// No line break after the last line: the next status line continues it.
TEST_F(ExportFlow, withTraceOffTheStatusShowsTheBeginningAndTheCompletion) {
  ASSERT_NO_FATAL_FAILURE(receive());
  EXPECT_EQ(status(), kWaiting + "Beginning Export...\nExport Complete!");
}

TEST_F(ExportFlow, afterTheFinishTheBarIsEmptyOutOfTheAnnouncedLength) {
  ASSERT_NO_FATAL_FAILURE(receive());
  EXPECT_EQ(window->MyProgressBar1()->Maximum, 777);
  EXPECT_EQ(window->MyProgressBar1()->Value, 0);
}

TEST_F(ExportFlow, theFirstSaveOffersTheDateAndTimeAndItsHeaderLineShowsTheSameSecond) {
  ASSERT_NO_FATAL_FAILURE(receive());
  save(saved("mylog"));
  EXPECT_EQ(offeredNames, QStringList{"ZVK20170201T080509.ADI"});
  EXPECT_TRUE(Contents(saved("mylog")).startsWith("Generated on 2017-02-01 at 08:05:09\n"));
}

TEST_F(ExportFlow, theSavedFileIsTheHeaderLineThenTheBufferByteForByte) {
  ASSERT_NO_FATAL_FAILURE(receive());
  ASSERT_NO_FATAL_FAILURE(writeOlderLog());
  save(saved("mylog"));
  EXPECT_TRUE(BytesEq(Contents(saved("mylog")), "Generated on 2017-02-01 at 08:05:09\n" + window->ADIFData()));
}

TEST_F(ExportFlow, aSaveIntoAMissingFolderSaysWhichFileAndWhyAndChangesNothing) {
  ASSERT_NO_FATAL_FAILURE(receive());
  const QByteArray held = window->ADIFData();
  const QString shown = status();
  messageBoxesExpected = true;
  save(saved("gone/mylog"));
  const QString why = "\" could not be saved: No such file or directory";
  EXPECT_EQ(messages, QStringList{"The file \"" + saved("gone/mylog") + why});
  EXPECT_EQ(savedFiles(), QStringList{});
  EXPECT_TRUE(BytesEq(window->ADIFData(), held));
  EXPECT_EQ(status(), shown);
  EXPECT_TRUE(window->PushButton1()->isEnabled() && window->PushButton2()->isEnabled());
}

// The export is larger than the disk allows and smaller than a file's 16 KiB write buffer.
TEST_F(ExportFlow, aSaveOntoAFullDiskSaysSoAndKeepsTheOldFileWholeWithNoLeftovers) {
  ASSERT_NO_FATAL_FAILURE(receive(makeExport(100)));
  ASSERT_NO_FATAL_FAILURE(writeOlderLog());
  messageBoxesExpected = true;
  WithFilesUpTo(4096, [&] {
    save(saved("mylog"));
    return true;
  });
  EXPECT_EQ(messages, QStringList{"The file \"" + saved("mylog") + "\" could not be saved: File too large"});
  EXPECT_EQ(Contents(saved("mylog")), "an older log\n");
  EXPECT_EQ(savedFiles(), QStringList{"mylog"});
}

// Run from the save folder, so that a file written under the bare name offered would show.
TEST_F(ExportFlow, cancelWritesNothing) {
  ASSERT_NO_FATAL_FAILURE(receive());
  ASSERT_NO_FATAL_FAILURE(writeOlderLog());
  const auto back = qScopeGuard([was = QDir::currentPath()] { QDir::setCurrent(was); });
  ASSERT_TRUE(QDir::setCurrent(out.path()));
  save(std::nullopt);
  EXPECT_EQ(Contents(saved("mylog")), "an older log\n");
  EXPECT_EQ(savedFiles(), QStringList{"mylog"});
}

// The file's name, not its path; also when the save failed, and still after Cancel.
TEST_F(ExportFlow, theNameLastChosenIsOfferedAtTheNextSave) {
  ASSERT_NO_FATAL_FAILURE(receive());
  messageBoxesExpected = true;
  save(saved("gone/first.adi"));
  save(std::nullopt);
  save(saved("mylog"));
  save(std::nullopt);
  EXPECT_EQ(offeredNames, QStringList({"ZVK20170201T080509.ADI", "first.adi", "first.adi", "mylog"}));
}

TEST_F(ExportFlow, clearShowsOnlyTheWaitingLineDisablesBothButtonsAndResetsTheBar) {
  ASSERT_NO_FATAL_FAILURE(clearWhileTheNextArrives());
  EXPECT_EQ(status(), kWaiting);
  EXPECT_FALSE(window->PushButton1()->isEnabled() || window->PushButton2()->isEnabled());
  EXPECT_EQ(window->MyProgressBar1()->Maximum, 100);
  EXPECT_EQ(window->MyProgressBar1()->Value, 0);
  EXPECT_TRUE(BytesEq(window->ADIFData(), ""));
}

// The rest, without a header, is completed as records; the call sign typed afterwards changes nothing.
TEST_F(ExportFlow, anExportArrivingAtClearGoesOnIntoTheEmptiedBufferWithTheCallSignInForceAtItsEnd) {
  ASSERT_NO_FATAL_FAILURE(clearWhileTheNextArrives());
  window->CallsignText()->selectAll();
  QTest::keyClicks(window->CallsignText(), "k1abc");
  send("\r\n<CALL:4>G3XY<FREQ:5>3.573<RST_RCVD:7>579/559<EOR>\r\n]");
  const QByteArray completed =
      "\r\n<CALL:4>G3XY<FREQ:5>3.573<BAND:3>80M<RST_RCVD:3>579<RST_SENT:3>559<STATION_CALLSIGN:5>K1ABC<EOR>";
  ASSERT_TRUE(awaitHeld(completed));
  EXPECT_EQ(status(), kWaiting + "Export Complete!");
  QTest::keyClicks(window->CallsignText(), "x");
  EXPECT_TRUE(BytesEq(window->ADIFData(), completed));
}

// Each read is shown as it arrives, without CR LF and each "<" on a new line, also one cut inside a tag; the
// finish shows the completed export alone.
TEST_F(ExportFlow, withTraceOnEveryReadIsShownInDisplayForm) {
  ASSERT_NO_FATAL_FAILURE(openOnDevice(" n0call "));
  window->Trace()->setChecked(true);
  const QString first = kWaiting + "Beginning Export...\nKestrune QZT605 log export\n<ADIF_VER:5>3.1.0\n<EOH>\n"
                                   "<CALL:4>W1AW\n<FREQ:6>14.0";
  const QString second = first + "74\n<MODE:3>FT8\n<RST_RCVD:7>599/579\n<EOR>\n<CALL:5>DL1AB\n<FR";
  const QString shown[] = {
      first, second, second + "EQ:4>7030\n<MODE:2>CW\n<RST_RCVD:3>579\n<EOR>",
      "Kestrune QZT605 log export\n<ADIF_VER:5>3.1.0\n<EOH>\n<CALL:4>W1AW\n<FREQ:6>14.074\n<BAND:3>20M\n<MODE:3>FT8\n"
      "<RST_RCVD:3>599\n<RST_SENT:3>579\n<STATION_CALLSIGN:6>N0CALL\n<EOR>\n<CALL:5>DL1AB\n<FREQ:4>7030\n<BAND:3>40M\n"
      "<MODE:2>CW\n<RST_RCVD:3>579\n<RST_SENT:0>\n<STATION_CALLSIGN:6>N0CALL\n<EOR>\n<RST_RCVD:0>\n<RST_SENT:0>\n"
      "<call:6>JA1XYZ\n<freq:7>144.300\n<BAND:2>2M\n<mode:3>SSB\n<STATION_CALLSIGN:6>N0CALL\n<EOR>\nExport Complete!"};
  sendReads({"{391}Kestrune QZT605 log export\r\n<ADIF_VER:5>3.1.0<EOH>\r\n<CALL:4>W1AW<FREQ:6>14.0",
             "74<MODE:3>FT8<RST_RCVD:7>599/579<EOR>\r\n<CALL:5>DL1AB<FR", "EQ:4>7030<MODE:2>CW<RST_RCVD:3>579<EOR>\r\n",
             "<call:6>JA1XYZ<freq:7>144.300<mode:3>SSB<EOR>\r\n]"},
            [&](int read) { EXPECT_TRUE(testsupport::TextEq(status(), shown[read])); });
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
    ASSERT_TRUE(awaitReceiving(held));
    const QString lostPath = pty().portPath();
    pty().closeMaster();
    ASSERT_TRUE(waitFor([&] { return !window->Serial1()->isOpen(); }, "the lost port to close", [] { return "open"; }));
    EXPECT_TRUE(status().endsWith("Lost serial port ttyKQ0\n")) << testing::PrintToString(status());
    EXPECT_TRUE(BytesEq(window->ADIFData(), held));
    int handles = 0;  // on the lost port: only the pair's own hold is left
    for (const QFileInfo& fd : QDir("/proc/self/fd").entryInfoList(QDir::System))
      handles += QStringList{lostPath, lostPath + " (deleted)"}.contains(fd.symLinkTarget());
    EXPECT_EQ(handles, 1);

    plugIn();
    pickPort();
    ASSERT_TRUE(window->Serial1()->isOpen()) << messages.join('|').toStdString();
    const QByteArray next = Framed(makeExport(draw(1, 12))).chopped(1);
    send(next);
    ASSERT_TRUE(awaitReceiving(held + next));
    send("]");
    ASSERT_TRUE(awaitFinished());
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
    EXPECT_TRUE(waitFor([&] { return painted == shown; }, "a paint showing " + std::to_string(shown),
                        [&] { return "the last paint showed " + std::to_string(painted); }, 2000));
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

// A cable pulled after an export has completed: the export is no longer the port's, and still saves whole.
TEST_F(ExportFlow, aCompletedExportOutlivesItsPortAndIsStillSavedWhole) {
  ASSERT_NO_FATAL_FAILURE(receive());
  pty().closeMaster();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window->Serial1()->isOpen(); }));
  EXPECT_EQ(status(), kWaiting + "Beginning Export...\nExport Complete!Lost serial port ttyKQ0\n");
  save(saved("kept.ADI"));
  EXPECT_TRUE(BytesEq(Contents(saved("kept.ADI")), "Generated on 2017-02-01 at 08:05:09\n" + kCompleted));
}

}  // namespace

// What Trace shows of an export in the status area: each read as it arrives, then the completed text. Only CR LF
// pairs go, and each "<" starts a line; framing characters never show.
#include "support/AppFixture.h"

namespace {

// Three reads of an export with "[" and "]" where a device may put them, lone CRs and LFs, and a CR LF pair
// split between two reads; the last read ends the export and has bytes after its "]".
const QByteArray kReads[] = {"no]ise{99}Log\r[export\n<EOH>\r\n<CALL:4>W1AW<FREQ:6>14.074",
                             "<RST_RCVD:3>5[99<EOR>\r",
                             "\n<CALL:5>DL1AB[<FREQ:4>7030<RST_RCVD:7>579/559<EOR>\n\r]\r\n]]x"};

// The status area as it shows display bytes: one character each, a lone CR breaking the line as an LF does.
QString Shown(QByteArray bytes) { return QString::fromLatin1(bytes.replace('\r', '\n')); }

class TraceDisplay : public testsupport::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    ASSERT_NO_FATAL_FAILURE(openOnDevice());
    window->Trace()->setChecked(true);
  }
  // The device sends each read once the window has shown the one before; `shown` runs after each.
  void sendReads(const std::function<void(int)>& shown) {
    for (int i = 0; i < int(std::size(kReads)); ++i) {
      SCOPED_TRACE("read " + std::to_string(i));
      const QString before = status();
      ASSERT_TRUE(pty().write(kReads[i]));
      ASSERT_TRUE(QTest::qWaitFor([&] { return status() != before; })) << "the read shown";
      shown(i);
    }
  }
};

TEST_F(TraceDisplay, onlyCrLfPairsAreRemovedALoneCrOrLfStays) {
  const QByteArray shown[] = {
      "Waiting for ADIF data...\nBeginning Export...\nLog\rexport\n\n<EOH>\n<CALL:4>W1AW\n<FREQ:6>14.074",
      "Waiting for ADIF data...\nBeginning Export...\nLog\rexport\n\n<EOH>\n<CALL:4>W1AW\n<FREQ:6>14.074"
      "\n<RST_RCVD:3>599\n<EOR>\r",
      "Log\rexport\n\n<EOH>\n<CALL:4>W1AW\n<FREQ:6>14.074\n<BAND:3>20M\n<RST_RCVD:3>599\n<RST_SENT:0>"
      "\n<STATION_CALLSIGN:6>N0CALL\n<EOR>\n<CALL:5>DL1AB\n<FREQ:4>7030\n<BAND:3>40M\n<RST_RCVD:3>579"
      "\n<RST_SENT:3>559\n<STATION_CALLSIGN:6>N0CALL\n<EOR>\nExport Complete!"};
  sendReads([&](int read) { EXPECT_EQ(status(), Shown(shown[read])); });
}

// At every change of the area, also the ones replaced before they are painted.
TEST_F(TraceDisplay, noFramingCharacterEverShows) {
  QStringList withFraming;
  const QObject watching;  // ends the watch with the test
  QObject::connect(window->StatusField(), &QPlainTextEdit::textChanged, &watching, [&] {
    if (status().contains('[') || status().contains(']')) withFraming << status();
  });
  sendReads([](int) {});
  EXPECT_EQ(withFraming.value(0), QString());
  EXPECT_TRUE(status().endsWith("Export Complete!"));
}

}  // namespace

// A pulled cable, in the real window: the lost port is closed and reported,
// nothing received is dropped, and picking the port again brings the next
// export in whole.
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <unistd.h>

#include "DeviceFixture.h"
#include "platform/Clock.h"

namespace {

using testsupport::DeviceSimulator;
using testsupport::ExpectedCompletion;
using testsupport::ExportGenerator;
using testsupport::GeneratedExport;
using testsupport::waitFor;

constexpr double kPace = 50;

// Descriptors this process holds on the pseudo-terminal `path` (whose node
// is gone once its master has closed).
int OpenHandles(const QString& path) {
  const QByteArray wanted = path.toLocal8Bit();
  int n = 0;
  for (const QString& fd : QDir("/proc/self/fd").entryList(QDir::System | QDir::NoDotAndDotDot)) {
    char target[256] = {};
    const ssize_t len = ::readlink(("/proc/self/fd/" + fd).toLocal8Bit().constData(), target, sizeof target - 1);
    const QByteArray link(target, len > 0 ? len : 0);
    if (link == wanted || link == wanted + " (deleted)") ++n;
  }
  return n;
}

// The first `records` records of `g`, as completion sees an export cut short after them.
GeneratedExport FirstRecords(const GeneratedExport& g, int records) {
  GeneratedExport part = g;
  part.records = g.records.first(records);
  return part;
}

// Where record `index` begins in the text: at the line break before it.
qsizetype RecordStart(const GeneratedExport& g, int index) {
  qsizetype at = g.text.indexOf("<EOH>") + 5;
  for (int i = 0; i < index; ++i) at = g.text.indexOf("<EOR>", at) + 5;
  return at;
}

// An export whose first record carries a report, so that completion of a
// record joined to a broken one still finds that record's own fields.
GeneratedExport NextExport(ExportGenerator& gen, int records) {
  for (;;) {
    GeneratedExport g = gen.Make(records);
    for (const auto& field : g.records.first().fields)
      if (field.first == "RST_RCVD") return g;
  }
}

class CableFault : public testsupport::DeviceFixture {
 protected:
  // The device sends `g` after `noise`, and the cable is pulled once `cut`
  // bytes of that stream are out and `taken()` shows they were received:
  // bytes still on the wire when a cable goes are lost to any program.
  void sendAndPull(const GeneratedExport& g, const QByteArray& noise, qint64 cut,
                   const std::function<bool()>& taken) {
    DeviceSimulator device(pty(), {kPace, quint32(cut), 48});
    device.sendExport(g.text, noise);
    device.pullCableAt(cut, taken);
    ASSERT_TRUE(waitFor([&] { return device.pulled(); }, 30000)) << "sent " << device.bytesSent();
    ASSERT_TRUE(waitFor([&] { return !window->Serial1()->isOpen(); }));
    // The lost port's descriptor is given back: only the pair's own hold is left.
    EXPECT_EQ(OpenHandles(pty().portPath()), 1);
    ++pulls;
  }

  // Plugs a new cable in and picks the port again.
  void reconnect() {
    plugIn();
    const QString before = status();
    pickPort();
    ASSERT_TRUE(window->Serial1()->isOpen()) << messages.join("|").toStdString();
    EXPECT_EQ(OpenHandles(pty().portPath()), 2);  // the port and the pair's hold
    EXPECT_EQ(status(), before + "Waiting for ADIF data...\n");
  }

  QByteArray saveAs(const QString& path) {
    saveAnswer = path;
    QTest::mouseClick(window->PushButton1(), Qt::LeftButton);
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
  }

  int pulls = 0;
};

TEST_F(CableFault, pulledMidExportKeepsEveryByteAndTheNextExportOnTheSamePortArrivesWhole) {
  ExportGenerator gen(7);
  const GeneratedExport first = gen.Make(12);
  const GeneratedExport second = NextExport(gen, 20);
  const QByteArray noise = gen.Noise(16);

  // Cut inside the call sign of the eighth record.
  const qsizetype cutInText = RecordStart(first, 7) + qsizetype(strlen("\r\n<CALL:")) + 2;
  const qint64 cut = noise.size() + QByteArray::number(first.text.size()).size() + 2 + cutInText;
  sendAndPull(first, noise, cut,
              [&] { return window->DownloadStart() && window->ADIFData().size() == cutInText; });
  ASSERT_FALSE(HasFatalFailure());

  EXPECT_TRUE(status().endsWith("Beginning Export...\nLost serial port ttyKQ0\n")) << status().toStdString();
  EXPECT_TRUE(window->DownloadStart());  // the export is still under way
  EXPECT_TRUE(testsupport::SameBytes(window->ADIFData(), first.text.left(cutInText)));
  EXPECT_FALSE(window->PushButton1()->isEnabled());
  EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();

  reconnect();
  DeviceSimulator device(pty(), {kPace, 2, 48});
  device.sendExport(second.text);
  // The new export is appended to the broken one: its header and first record
  // join the broken record, and completion finds that record's own fields.
  const QByteArray expected = ExpectedCompletion(FirstRecords(first, 7), kCallSign) +
                              first.text.mid(RecordStart(first, 7), cutInText - RecordStart(first, 7)) +
                              "{" + QByteArray::number(second.text.size()) + "}" +
                              ExpectedCompletion(second, kCallSign);
  ASSERT_TRUE(awaitCompleted(expected, second.text.size(), kPace));
  EXPECT_TRUE(status().endsWith("Waiting for ADIF data...\nExport Complete!")) << status().toStdString();
  EXPECT_TRUE(window->PushButton1()->isEnabled());
  EXPECT_TRUE(window->PushButton2()->isEnabled());

  QTemporaryDir out;
  platform::SetClockForTesting([] { return QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)); });
  EXPECT_TRUE(testsupport::SameBytes(saveAs(QDir(out.path()).filePath("joined.ADI")),
                                     "Generated on 2026-03-04 at 05:06:07\n" + expected));
}

TEST_F(CableFault, pulledWhileTheHeaderArrivesLosesNoExportByte) {
  ExportGenerator gen(11);
  const GeneratedExport first = gen.Make(5);
  const GeneratedExport second = gen.Make(9);
  const QByteArray noise = gen.Noise(20);
  // The line goes after the "{" and two digits: an unfinished header, never read.
  const qint64 cut = noise.size() + 3;
  sendAndPull(first, noise, cut, [&] { return window->Serial1()->bytesAvailable() == cut; });
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_FALSE(window->DownloadStart());
  EXPECT_TRUE(window->ADIFData().isEmpty());
  EXPECT_TRUE(status().endsWith("Waiting for ADIF data...\nLost serial port ttyKQ0\n")) << status().toStdString();

  reconnect();
  DeviceSimulator device(pty(), {kPace, 3, 48});
  device.sendExport(second.text, gen.Noise(20));
  ASSERT_TRUE(awaitCompleted(ExpectedCompletion(second, kCallSign), second.text.size(), kPace));
}

TEST_F(CableFault, completedExportOutlivesThePortAndIsSavedWhole) {
  ExportGenerator gen(13);
  const GeneratedExport g = gen.Make(30);
  DeviceSimulator device(pty(), {kPace, 4, 48});
  device.sendExport(g.text, gen.Noise(8));
  const QByteArray expected = ExpectedCompletion(g, kCallSign);
  ASSERT_TRUE(awaitCompleted(expected, g.text.size(), kPace));

  pty().closeMaster();
  ASSERT_TRUE(waitFor([&] { return !window->Serial1()->isOpen(); }));
  EXPECT_TRUE(status().endsWith("Export Complete!Lost serial port ttyKQ0\n")) << status().toStdString();
  EXPECT_TRUE(testsupport::SameBytes(window->ADIFData(), expected));

  QTemporaryDir out;
  platform::SetClockForTesting([] { return QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)); });
  EXPECT_TRUE(testsupport::SameBytes(saveAs(QDir(out.path()).filePath("kept.ADI")),
                                     "Generated on 2026-01-02 at 03:04:05\n" + expected));
}

// Pulls at random points (in the leading noise or the braces, in the device's
// header text, or inside a record), each followed by the port picked again and a whole export.
TEST_F(CableFault, cablePulledAtRandomPointsNeverCostsAByteOfWhatWasReceived) {
  ExportGenerator gen(2024);
  QByteArray held;  // what the window must hold before each round
  constexpr int kRounds = 20;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const GeneratedExport broken = gen.Make(gen.Between(0, 15));
    const GeneratedExport next = NextExport(gen, gen.Between(1, 15));
    const QByteArray noise = gen.Noise(12);
    const qint64 headerEnd = noise.size() + QByteArray::number(broken.text.size()).size() + 2;
    const QByteArray announced = "{" + QByteArray::number(next.text.size()) + "}";
    QByteArray expected;
    const int where = gen.Between(0, 2);
    if (where == 0) {
      // Before the header's "}": an unfinished header, never taken.
      const qint64 cut = gen.Between(0, int(headerEnd) - 1);
      sendAndPull(broken, noise, cut, [&] { return window->Serial1()->bytesAvailable() == cut; });
      ASSERT_FALSE(HasFatalFailure());
      ASSERT_TRUE(testsupport::SameBytes(window->ADIFData(), held));  // nothing taken, nothing lost
      expected = ExpectedCompletion(next, kCallSign);
    } else if (where == 1 || broken.records.isEmpty()) {
      // In the device's header text: the new export's "<EOH>" ends the joined header.
      const qsizetype cutInText = gen.Between(0, int(broken.text.indexOf("<EOH>")) + 4);
      sendAndPull(broken, noise, headerEnd + cutInText,
                  [&] { return window->DownloadStart() && window->ADIFData().size() == cutInText; });
      ASSERT_FALSE(HasFatalFailure());
      ASSERT_TRUE(testsupport::SameBytes(window->ADIFData(), broken.text.left(cutInText)));
      expected = broken.text.left(cutInText) + announced + ExpectedCompletion(next, kCallSign);
    } else {
      // In a record, from its line break up to its first frequency or report.
      const int record = gen.Between(0, int(broken.records.size()) - 1);
      const qsizetype start = RecordStart(broken, record);
      qsizetype last = broken.text.indexOf("<EOR>", start);
      for (const char* tag : {"<FREQ:", "<RST_RCVD:"}) {
        const qsizetype at = broken.text.indexOf(tag, start);
        if (at >= 0 && at < last) last = at;
      }
      const qsizetype cutInText = gen.Between(int(start), int(last) - 1);
      sendAndPull(broken, noise, headerEnd + cutInText,
                  [&] { return window->DownloadStart() && window->ADIFData().size() == cutInText; });
      ASSERT_FALSE(HasFatalFailure());
      ASSERT_TRUE(testsupport::SameBytes(window->ADIFData(), broken.text.left(cutInText)));
      expected = ExpectedCompletion(FirstRecords(broken, record), kCallSign) +
                 broken.text.mid(start, cutInText - start) + announced + ExpectedCompletion(next, kCallSign);
    }
    reconnect();
    ASSERT_FALSE(HasFatalFailure());
    DeviceSimulator device(pty(), {kPace, quint32(round), 48});
    device.sendExport(next.text);
    ASSERT_TRUE(awaitCompleted(expected, next.text.size(), kPace));
    held = expected;
    if (gen.Between(0, 1) == 0) {
      QTest::mouseClick(window->PushButton2(), Qt::LeftButton);
      held.clear();
    }
  }
  EXPECT_EQ(pulls, kRounds);
  EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
}

}  // namespace

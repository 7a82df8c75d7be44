// Saving an export through the real window: the name offered, the header line, the dialog that offers the name
// and the call sign in the saved file.
#include <ctime>

#include "support/AdifFields.h"
#include "support/AppFixture.h"

namespace {

// Sets an environment variable for the scope, as the user's session would: the time zone, the home folder.
struct ScopedEnv {
  ScopedEnv(const char* n, const QByteArray& value) : name(n), old(qgetenv(n)) { Set(value); }
  ~ScopedEnv() { Set(old); }
  void Set(const QByteArray& value) const {
    value.isNull() ? qunsetenv(name) : qputenv(name, value);
    ::tzset();
  }
  const char* name;
  const QByteArray old;
};

// A zone, in POSIX form, off UTC by whole hours and 45 minutes, in which it is now between 17:45 and 18:45.
QByteArray EveningZone() {
  const int utc = int(std::time(nullptr) / 60 % 1440);  // minutes into the UTC day
  int east = (18 * 60 - utc + 2160) % 1440 - 720;        // within 12 hours of UTC
  east += 45 - (east % 60 + 60) % 60;
  return QString::asprintf("XYZ%s%d:%02d", east > 0 ? "-" : "", std::abs(east) / 60, std::abs(east) % 60).toLatin1();
}

// The local time at `t` in strftime's `format`, read without Qt.
QString LocalTime(std::time_t t, const char* format) {
  std::tm local{};
  ::localtime_r(&t, &local);
  char text[80];
  return QString::fromLatin1(text, qsizetype(std::strftime(text, sizeof text, format, &local)));
}

class Saving : public testsupport::AppFixture {
 protected:
  // A whole export arrives, ready to be saved.
  void receive() {
    send(Framed(makeExport(3)));
    ASSERT_TRUE(awaitFinished());
  }
  QTemporaryDir out;
  const QString path = QDir(out.path()).filePath("log.adi");
};

// The user's local time, not UTC, and the hour of the day: read from the system's clock in a zone that is neither
// UTC nor a whole hour off it, where it is now evening.
TEST_F(Saving, theDefaultNameAndHeaderLineShowTheLocalTimeAfterNoon) {
  const ScopedEnv zone("TZ", EveningZone());
  ASSERT_NO_FATAL_FAILURE(openOnDevice());
  ASSERT_NO_FATAL_FAILURE(receive());
  const std::time_t before = std::time(nullptr);
  save(path);
  const std::time_t after = std::time(nullptr);
  ASSERT_GE(LocalTime(before, "%H").toInt(), 12) << "in " << qgetenv("TZ").constData();
  QStringList readings;  // the name and the header line at each second the save may have read
  for (std::time_t t = before; t <= after; ++t)
    readings << LocalTime(t, "ZVK%Y%m%dT%H%M%S.ADI | Generated on %Y-%m-%d at %H:%M:%S");
  const QString saved = offeredNames.value(0) + " | " + QString::fromLatin1(Contents(path).split('\n').first());
  EXPECT_TRUE(readings.contains(saved)) << saved.toStdString() << "\nlocal time: " << readings.join(", ").toStdString()
                                        << " in " << qgetenv("TZ").constData();
}

TEST_F(Saving, theDefaultNameAndHeaderLineShowTheHourIn24HourForm) {
  ASSERT_NO_FATAL_FAILURE(openOnDevice());
  ASSERT_NO_FATAL_FAILURE(receive());
  platform::SetClockForTesting([] { return QDateTime(QDate(2017, 5, 6), QTime(14, 3, 9)); });
  save(path);
  EXPECT_EQ(offeredNames, QStringList{"ZVK20170506T140309.ADI"});
  EXPECT_EQ(Contents(path).split('\n').first(), "Generated on 2017-05-06 at 14:03:09");
}

// The platform's own dialog, not the stand-in the other tests answer: it opens in the user's home folder with the
// suggested name filled in, and saves under it when accepted.
TEST_F(Saving, theSaveDialogOffersTheSuggestedNameInTheHomeFolder) {
  ASSERT_NO_FATAL_FAILURE(openOnDevice());
  ASSERT_NO_FATAL_FAILURE(receive());
  platform::SetClockForTesting([] { return QDateTime(QDate(2017, 5, 6), QTime(14, 3, 9)); });
  const ScopedEnv home("HOME", out.path().toUtf8());
  platform::DialogHandlers noSaveHandler;  // every dialog real; a message box is not expected here
  noSaveHandler.msgBox = [](const QString& text) { ADD_FAILURE() << "message box: " << text.toStdString(); };
  platform::SetDialogHandlersForTesting(noSaveHandler);

  const QString file = QDir(out.path()).filePath("ZVK20170506T140309.ADI");
  QStringList offered, others;  // what the dialog offered; any other modal window met
  QTimer answer;  // answers from inside the dialog's own event loop, never blocking it; closes any other modal window
  answer.callOnTimeout([&] {
    QWidget* modal = QApplication::activeModalWidget();
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (dialog && offered.isEmpty()) {
      offered = dialog->selectedFiles();  // saved only into the test's own folder
      QTimer::singleShot(0, dialog, offered == QStringList{file} ? &QDialog::accept : &QDialog::reject);
    } else if (modal) {
      others << modal->metaObject()->className();
      modal->close();
    }
  });
  answer.start(10);
  QTest::mouseClick(window->PushButton1(), Qt::LeftButton);
  answer.stop();

  EXPECT_EQ(offered, QStringList{file});
  EXPECT_EQ(others, QStringList());
  EXPECT_EQ(Contents(file), "Generated on 2017-05-06 at 14:03:09\n" + window->ADIFData());
}

TEST_F(Saving, clearLeavesTheRememberedFileName) {
  ASSERT_NO_FATAL_FAILURE(openOnDevice());
  ASSERT_NO_FATAL_FAILURE(receive());
  save(path);
  QTest::mouseClick(window->PushButton2(), Qt::LeftButton);
  ASSERT_NO_FATAL_FAILURE(receive());
  save(std::nullopt);
  EXPECT_EQ(offeredNames.value(1), "log.adi");
}

// Letters beyond ASCII typed into the call-sign field go into every record in UTF-8, upper-cased, with their length in
// bytes: a reader taking each field's length as a byte count finds every field whole.
TEST_F(Saving, aCallSignBeyondAsciiIsSavedInUtf8WithItsLengthInBytes) {
  ASSERT_NO_FATAL_FAILURE(openOnDevice(""));
  for (const QChar c : QStringLiteral("sm5\u00F8\u00E9/\u0436"))  // o-slash, e-acute, Cyrillic zhe
    QTest::sendKeyEvent(QTest::Click, window->CallsignText(), Qt::Key_unknown, QString(c), Qt::NoModifier);
  ASSERT_NO_FATAL_FAILURE(receive());
  save(path);
  QByteArrayList calls;
  for (const auto& [name, data] : testsupport::ReadFields(Contents(path))) {
    EXPECT_NE(name, "unread") << "a field whose length is off, before " << testing::PrintToString(data.left(40));
    if (name == "STATION_CALLSIGN") calls << data;
  }
  EXPECT_EQ(calls, QByteArrayList(3, "SM5\u00D8\u00C9/\u0416"));
}

}  // namespace

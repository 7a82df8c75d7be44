// "Save to File" failing under an export just received in the real window: a
// read-only folder, a folder that goes away between the dialog and the write,
// a disk that fills up. Each time the user is told which file and why, the
// export stays held, a file of the same name stays whole, and once the fault
// is gone the same export saves whole.
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <csignal>
#include <sys/resource.h>

#include "DeviceFixture.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "support/AsOrdinaryUser.h"

namespace {

using testsupport::DeviceSimulator;
using testsupport::ExpectedCompletion;
using testsupport::ExportGenerator;
using testsupport::GeneratedExport;

enum class Fault { readOnlyFolder, folderGone, diskFull };

const char* FaultName(Fault f) {
  switch (f) {
    case Fault::readOnlyFolder: return "readOnlyFolder";
    case Fault::folderGone: return "folderGone";
    case Fault::diskFull: return "diskFull";
  }
  return "?";
}

// Limits the size of files this process may write while it lives: a full disk
// that root cannot get around either.
class DiskFillsUpAt {
 public:
  explicit DiskFillsUpAt(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ok_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~DiskFillsUpAt() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  bool ok() const { return ok_; }

 private:
  rlimit saved_{};
  void (*oldHandler_)(int) = nullptr;
  bool ok_ = false;
};

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

constexpr double kPace = 200;
const QByteArray kOldFile = "Generated on 2025-01-01 at 00:00:00\nan older log, to be kept whole\n";

class SaveFaults : public testsupport::DeviceFixture, public ::testing::WithParamInterface<Fault> {
 protected:
  void SetUp() override {
    DeviceFixture::SetUp();
    if (HasFatalFailure()) return;
    platform::SetClockForTesting([] { return QDateTime(QDate(2026, 7, 8), QTime(9, 10, 11)); });
    // Large enough for the full disk below.
    ExportGenerator gen(99);
    const GeneratedExport g = gen.Make(200);
    DeviceSimulator device(pty(), {kPace, 5, 256});
    device.sendExport(g.text, gen.Noise(10));
    expected_ = ExpectedCompletion(g, kCallSign);
    ASSERT_TRUE(awaitCompleted(expected_, g.text.size(), kPace));

    ASSERT_TRUE(out_.isValid());
    // "nobody" must be able to reach the folder for the read-only case.
    QFile::setPermissions(out_.path(), QFile::permissions(out_.path()) | QFile::ExeOther | QFile::ReadOther);
    folder_ = QDir(out_.path()).filePath("stick");
    ASSERT_TRUE(QDir().mkpath(folder_));
    target_ = QDir(folder_).filePath("log.ADI");
    QFile old(target_);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    ASSERT_EQ(old.write(kOldFile), kOldFile.size());
  }

  QByteArray expected_;
  QTemporaryDir out_;
  QString folder_;
  QString target_;
};

TEST_P(SaveFaults, failedSaveSaysWhichFileAndWhyAndLosesNothing) {
  const Fault fault = GetParam();
  const QString statusBefore = status();
  const QString gone = folder_ + "-unplugged";
  saveAnswer = target_;

  if (fault == Fault::folderGone) {
    // The folder goes (a stick pulled out) after the dialog has returned.
    platform::DialogHandlers handlers;
    handlers.msgBox = [this](const QString& text) { messages << text; };
    handlers.saveFile = [&, first = true](const QString& name) mutable {
      offeredNames << name;
      if (first) {
        EXPECT_TRUE(QDir().rename(folder_, gone));
        first = false;
      }
      return saveAnswer;
    };
    platform::SetDialogHandlersForTesting(handlers);
    QTest::mouseClick(window->PushButton1(), Qt::LeftButton);
  } else if (fault == Fault::readOnlyFolder) {
    ASSERT_TRUE(QFile::setPermissions(folder_, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                   QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
    testsupport::AsOrdinaryUser user;
    ASSERT_TRUE(user.ok());
    QTest::mouseClick(window->PushButton1(), Qt::LeftButton);
  } else {
    DiskFillsUpAt limit(4096);
    ASSERT_TRUE(limit.ok());
    QTest::mouseClick(window->PushButton1(), Qt::LeftButton);
  }

  ASSERT_EQ(messages.size(), 1) << messages.join("|").toStdString();
  const QString& message = messages[0];
  EXPECT_TRUE(message.contains(target_)) << message.toStdString();
  const char* reason = fault == Fault::readOnlyFolder ? "Permission denied"
                       : fault == Fault::folderGone   ? "No such file or directory"
                                                      : "File too large";
  EXPECT_TRUE(message.contains(reason)) << message.toStdString();
  // Nothing else changed: the export, the buttons, the status, the reception.
  EXPECT_TRUE(testsupport::SameBytes(window->ADIFData(), expected_));
  EXPECT_TRUE(window->PushButton1()->isEnabled());
  EXPECT_TRUE(window->PushButton2()->isEnabled());
  EXPECT_EQ(status(), statusBefore);
  EXPECT_FALSE(window->DownloadStart());
  EXPECT_EQ(window->m_Filename, "log.ADI");
  // The file of the same name is whole, and nothing was left beside it.
  if (fault == Fault::folderGone) {
    EXPECT_FALSE(QFileInfo::exists(folder_));  // not made again behind the user's back
    EXPECT_EQ(ReadFile(QDir(gone).filePath("log.ADI")), kOldFile);
    ASSERT_TRUE(QDir().rename(gone, folder_));
  } else {
    ASSERT_TRUE(QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
  }
  EXPECT_EQ(ReadFile(target_), kOldFile);
  EXPECT_EQ(QDir(folder_).entryList(QDir::Files | QDir::Hidden), QStringList{"log.ADI"});

  // The fault gone, the same export saves whole over the old file.
  QTest::mouseClick(window->PushButton1(), Qt::LeftButton);
  EXPECT_EQ(messages.size(), 1) << messages.join("|").toStdString();
  EXPECT_TRUE(testsupport::SameBytes(ReadFile(target_), "Generated on 2026-07-08 at 09:10:11\n" + expected_));
}

INSTANTIATE_TEST_SUITE_P(Faults, SaveFaults,
                         ::testing::Values(Fault::readOnlyFolder, Fault::folderGone, Fault::diskFull),
                         [](const ::testing::TestParamInfo<Fault>& info) { return FaultName(info.param); });

}  // namespace

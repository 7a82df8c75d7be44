// Opening and closing the main window, port selection and the call-sign field:
// what is remembered between runs and which port listens.
#include <QComboBox>
#include <QLineEdit>

#include "app/App.h"
#include "app/Window1.h"
#include "platform/Dialogs.h"
#include "platform/PortList.h"
#include "platform/SerialControl.h"
#include "platform/Text.h"
#include "prefs/QELTEasyPrefs.h"

namespace app {
namespace {

const QByteArray kWaiting = QByteArrayLiteral("Waiting for ADIF data...");

QString withReason(const QString& message, const QString& reason) {
  return reason.isEmpty() ? message : message + QStringLiteral("\n\n") + reason;
}

}  // namespace

void Window1::Event_Open() {
  if (App* application = App::Instance()) application->SetAutoQuit(true);
  m_Startup = true;
  setWindowTitle(QStringLiteral("Kestrune ADIF Utility v") + App::ShortVersion());

  QString error;
  // An unreadable store is reported, and the program goes on with what it could load.
  if (!QELTEasyPrefs::InitPrefFile(QStringLiteral("ZVKUtilPrefs"), &error)) platform::MsgBox(error);
  m_Port = -1;
  m_PortName = QString::fromUtf8(QELTEasyPrefs::GetPrefString("PortName", ""));
  m_Filename = QString::fromUtf8(QELTEasyPrefs::GetPrefString("FileName", ""));
  m_CallText = QString::fromUtf8(QELTEasyPrefs::GetPrefString("Callsign", ""));

  const QList<platform::SerialPortEntry> ports = platform::SystemSerialPorts();
  const qint64 count = ports.size();
  serial1_->setRequestToSend(false);
  // The last of several ports bearing the remembered name wins.
  const QByteArray remembered = m_PortName.toUtf8();
  for (qint64 i = 0; i < count; ++i) {
    serialPortMenu_->addItem(ports[i].name);
    if (platform::Equals(ports[i].name.toUtf8(), remembered)) m_Port = i;
  }

  if (m_Port >= 0 && m_Port < count) {
    serial1_->setPort(ports[m_Port].location);
    if (serial1_->Open()) {
      AppendStatus(kWaiting + platform::EndOfLine.toByteArray());
    } else {
      platform::Beep();
      platform::MsgBox(withReason(QStringLiteral("Error opening serial port"), serial1_->errorString()));
    }
  } else if (count < 1) {
    platform::Beep();
    platform::MsgBox(QStringLiteral("System has no serial ports!  No way to communicate with QZT605!"));
  }

  serialPortMenu_->setCurrentIndex(int(m_Port));
  callsignText_->setText(m_CallText);
  m_Startup = false;
  AddFields();
}

void Window1::Event_Close() {
  if (m_Startup) return;
  QELTEasyPrefs::SetPrefNumber("Port", m_Port);
  QELTEasyPrefs::SetPrefString("PortName", m_PortName.toUtf8());
  QELTEasyPrefs::SetPrefString("FileName", m_Filename.toUtf8());
  QELTEasyPrefs::SetPrefString("Callsign", m_CallText.toUtf8());
  QString error;
  // The program still quits; the user learns that the settings were not kept.
  if (!QELTEasyPrefs::WritePrefsFile(&error)) platform::MsgBox(error);
}

void Window1::SerialPortMenu_Change() {
  if (m_Startup) return;
  m_Port = serialPortMenu_->currentIndex();
  const QList<platform::SerialPortEntry> ports = platform::SystemSerialPorts();
  serial1_->Close();
  if (m_Port < 0 || m_Port >= ports.size()) {
    // The row names a port that has gone since the list was filled.
    m_PortName = serialPortMenu_->currentText();
    platform::MsgBox(QStringLiteral("Unable to open serial port ") + m_PortName);
    return;
  }
  m_PortName = ports[m_Port].name;
  serial1_->setPort(ports[m_Port].location);
  if (serial1_->Open()) {
    AppendStatus(kWaiting + platform::EndOfLine.toByteArray());
  } else {
    platform::MsgBox(withReason(QStringLiteral("Unable to open serial port ") + ports[m_Port].name,
                                serial1_->errorString()));
  }
}

void Window1::SerialPortMenu_Close() { m_Port = serialPortMenu_->currentIndex(); }

void Window1::CallsignText_TextChange() {
  const QString upper = callsignText_->text().toUpper();
  // Assigning the same text again raises no further change, so this never recurses.
  if (upper != callsignText_->text()) callsignText_->setText(upper);
  callsignText_->setCursorPosition(int(callsignText_->text().size()));
  m_CallText = callsignText_->text();
}

}  // namespace app

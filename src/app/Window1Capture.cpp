// The main window's part in receiving, completing, saving and clearing an export.
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/App.h"
#include "app/MyProgressBar.h"
#include "app/Window1.h"
#include "capture/Completion.h"
#include "capture/SaveExport.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/SerialControl.h"
#include "platform/Text.h"

namespace app {

void Window1::Serial1_DataAvailable() { reception_.Serial1_DataAvailable(*serial1_, *this); }

void Window1::DoEvents() { App::DoEvents(); }

void Window1::AddFields() { capture::AddFields(reception_.ADIFData, m_CallText.toUtf8()); }

void Window1::OnPortLost(const QString& port) {
  const QString name = m_PortName.isEmpty() ? port : m_PortName;
  AppendStatus(QByteArray("Lost serial port ") + name.toLatin1() + platform::EndOfLine.toByteArray());
}

// "Save to File".
void Window1::PushButton1_Action() {
  // One clock reading for both the offered name and the header line.
  const QDateTime now = platform::Now();
  const QString suggested = m_Filename.isEmpty() ? capture::DefaultFileName(now) : m_Filename;
  const std::optional<QString> chosen = platform::GetSaveFile(suggested);
  if (!chosen) return;
  m_Filename = QFileInfo(*chosen).fileName();
  QString error;
  if (!capture::WriteExportFile(*chosen, now, reception_.ADIFData, &error)) platform::MsgBox(error);
}

// "Clear": the display back to waiting; an export still arriving stays in progress.
void Window1::PushButton2_Action() {
  statusField_->setPlainText(QStringLiteral("Waiting for ADIF data...\n"));
  pushButton1_->setEnabled(false);
  pushButton2_->setEnabled(false);
  myProgressBar1_->Maximum = 100;
  myProgressBar1_->Value = 0;
  reception_.ADIFData.clear();
}

}  // namespace app

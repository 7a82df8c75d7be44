#pragma once
// The main window: the eleven controls of the design, the run's state, and
// the handlers. Reception, completion and the store live in capture/ and
// prefs/; the handlers here wire them to the controls.

#include <QByteArray>
#include <QMainWindow>
#include <QString>

#include "capture/Reception.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace platform {
class SerialControl;
}

namespace app {

class MyProgressBar;

class Window1 : public QMainWindow, private capture::ReceptionView {
  Q_OBJECT
 public:
  // The open main window, or a new one: built, opened (Event_Open) and shown.
  static Window1* Instance();

  // Builds the window from its design; no handler runs while it is built.
  Window1();
  ~Window1() override;

  // The design's scale: 1 when the default font fits the design's pixels.
  double DesignScale() const { return scale_; }

  // Controls, by name.
  QLabel* Label1() const { return label1_; }
  QComboBox* SerialPortMenu() const { return serialPortMenu_; }
  platform::SerialControl* Serial1() const { return serial1_; }
  QPlainTextEdit* StatusField() const { return statusField_; }
  QLabel* Label2() const { return label2_; }
  QPushButton* PushButton1() const { return pushButton1_; }
  QPushButton* PushButton2() const { return pushButton2_; }
  QCheckBox* Trace() const { return trace_; }
  MyProgressBar* MyProgressBar1() const { return myProgressBar1_; }
  QLineEdit* CallsignText() const { return callsignText_; }
  QLabel* Label3() const { return label3_; }

  // Control handlers.
  void SerialPortMenu_Change();
  void SerialPortMenu_Close();
  void Serial1_DataAvailable();
  bool StatusField_KeyDown(const QString& key, bool commandKey);
  bool StatusField_MouseDown(bool contextualClick);
  void PushButton1_Action();
  void PushButton2_Action();
  void CallsignText_TextChange();

  // Window events.
  void AddMenuHandlers();
  void Event_Open();
  void Event_Close();
  bool Event_KeyDown(const QString& key, bool menuShortcutKey);
  bool AboutMenu_Action();

  // Record completion of ADIFData with m_CallText.
  void AddFields() override;

  // Status area contents as bytes (Latin-1), as reception wrote them.
  QByteArray StatusBytes() const;

  // State.
  qint64 m_Port = 0;
  QString m_PortName;
  bool m_Startup = false;
  QString m_Filename;
  QString m_CallText;
  QByteArray& ADIFData() { return reception_.ADIFData; }
  bool DownloadStart() const { return reception_.DownloadStart; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Layout();
  void CreateControls();
  void CreateControls0();
  void OnPortLost(const QString& port);
  // The controls whose keys the window's event filter sees first.
  QList<QWidget*> KeyControls() const;

  // capture::ReceptionView
  void AppendStatus(QByteArrayView text) override;
  void SetStatusText(QByteArrayView text) override;
  void ScrollStatusToLastLine() override;
  void RefreshStatus() override;
  bool TraceOn() const override;
  void SetProgressMaximum(qint64 maximum) override;
  void SetProgressValue(qint64 value) override;
  void EnableButtons() override;
  void DoEvents() override;

  double scale_ = 1.0;
  capture::ExportReception reception_;

  QLabel* label1_ = nullptr;
  QComboBox* serialPortMenu_ = nullptr;
  platform::SerialControl* serial1_ = nullptr;
  QPlainTextEdit* statusField_ = nullptr;
  QLabel* label2_ = nullptr;
  QPushButton* pushButton1_ = nullptr;
  QPushButton* pushButton2_ = nullptr;
  QCheckBox* trace_ = nullptr;
  MyProgressBar* myProgressBar1_ = nullptr;
  QLineEdit* callsignText_ = nullptr;
  QLabel* label3_ = nullptr;
};

}  // namespace app

#include "app/Window1.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>
#include <limits>

#include "app/DesignScale.h"
#include "app/MenuBar1.h"
#include "app/MyProgressBar.h"
#include "platform/SerialControl.h"

namespace app {
namespace {

constexpr int kDesignWidth = 353;
constexpr int kDesignHeight = 296;

const char* const kLabel2Text =
    "Connect a keyboard to Kestrune device and press ALT-L then press A or R to begin ADIF export.";

QPointer<Window1>& instanceSlot() {
  static QPointer<Window1> slot;
  return slot;
}

// The key's letter as typed ("a", or "A" with Shift), else its text.
QString keyText(const QKeyEvent* event) {
  const int key = event->key();
  if (key >= Qt::Key_A && key <= Qt::Key_Z) {
    const QChar letter(u'a' + (key - Qt::Key_A));
    return (event->modifiers() & Qt::ShiftModifier) ? QString(letter.toUpper()) : QString(letter);
  }
  return event->text();
}

// How much the design's pixel geometry must grow for the default font's texts
// to show whole (1 when they already fit).
double requiredScale(const QFont& font) {
  const QFontMetrics fm(font);
  double scale = 1.0;
  auto need = [&scale](double wanted, double designed) { scale = std::max(scale, wanted / designed); };
  // One-line labels and the field: the text's width and the line's height.
  need(fm.horizontalAdvance(QStringLiteral("Select serial port:")) + 2, 186);
  need(fm.horizontalAdvance(QStringLiteral("Callsign:")) + 2, 109);
  need(fm.height(), 20);
  need(fm.height() + 6, 22);  // the call-sign field with its frame
  // Buttons and check box: text plus frame or indicator.
  need(fm.horizontalAdvance(QStringLiteral("Save to File")) + 16, 108);
  need(fm.horizontalAdvance(QStringLiteral("Clear")) + 16, 80);
  need(fm.horizontalAdvance(QStringLiteral("Trace")) + 24, 65);
  need(fm.height() + 4, 20);
  // The instruction wraps within its box: grow until its lines fit.
  return SmallestScale(scale, 0.02, [&font](double s) {
    return TextFits(font, QString::fromLatin1(kLabel2Text), Scaled(324, s), Scaled(32, s));
  }, scale);
}

}  // namespace

Window1* Window1::Instance() {
  QPointer<Window1>& slot = instanceSlot();
  if (!slot) {
    slot = new Window1();
    slot->Event_Open();
    slot->show();
  }
  return slot;
}

Window1::Window1() {
  Layout();
  CreateControls();
  AddMenuHandlers();
  if (!instanceSlot()) instanceSlot() = this;
}

Window1::~Window1() = default;

void Window1::Layout() {
  setMenuBar(MenuBar1::Instance());
  setWindowTitle(QStringLiteral("Kestrune ADIF Utility"));
  // A document window that can be closed and minimised, not resized or zoomed.
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  scale_ = requiredScale(font());
  auto* content = new QWidget(this);
  content->setObjectName(QStringLiteral("content"));
  content->setFixedSize(Scaled(kDesignWidth, scale_), Scaled(kDesignHeight, scale_));
  setCentralWidget(content);
  setFixedSize(content->width(), content->height() + menuBar()->sizeHint().height());
}

void Window1::CreateControls() { CreateControls0(); }

void Window1::CreateControls0() {
  QWidget* parent = centralWidget();
  auto place = [this](QWidget* w, const char* name, int left, int top, int width, int height) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(Scaled(left, scale_), Scaled(top, scale_), Scaled(width, scale_), Scaled(height, scale_));
  };

  label1_ = new QLabel(QStringLiteral("Select serial port:"), parent);
  place(label1_, "Label1", 26, 14, 186, 20);

  serialPortMenu_ = new QComboBox(parent);
  place(serialPortMenu_, "SerialPortMenu", 27, 39, 162, 20);
  serialPortMenu_->setFocusPolicy(Qt::ClickFocus);  // never reached by Tab
  connect(serialPortMenu_, &QComboBox::activated, this, &Window1::SerialPortMenu_Change);

  serial1_ = new platform::SerialControl(this);
  serial1_->setObjectName(QStringLiteral("Serial1"));
  connect(serial1_, &platform::SerialControl::DataAvailable, this, &Window1::Serial1_DataAvailable);
  connect(serial1_, &platform::SerialControl::PortLost, this, &Window1::OnPortLost);

  statusField_ = new QPlainTextEdit(parent);
  place(statusField_, "StatusField", 26, 121, 300, 100);
  statusField_->setReadOnly(true);
  statusField_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  statusField_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  statusField_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  statusField_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  statusField_->setTabChangesFocus(true);
  statusField_->setContextMenuPolicy(Qt::NoContextMenu);  // our own menu, on the right click
  statusField_->setFocusPolicy(Qt::StrongFocus);
  statusField_->viewport()->installEventFilter(this);
  // The selection is not drawn while the area has no focus; it stays all the
  // same, so a window-level Ctrl+C still copies it.
  QPalette palette = statusField_->palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Inactive, QPalette::Base));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText, palette.color(QPalette::Inactive, QPalette::Text));
  statusField_->setPalette(palette);

  label2_ = new QLabel(QString::fromLatin1(kLabel2Text), parent);
  place(label2_, "Label2", 18, 77, 324, 32);
  label2_->setWordWrap(true);
  label2_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  pushButton1_ = new QPushButton(QStringLiteral("Save to File"), parent);
  place(pushButton1_, "PushButton1", 26, 256, 108, 20);
  pushButton1_->setEnabled(false);
  pushButton1_->setAutoDefault(false);
  connect(pushButton1_, &QPushButton::clicked, this, &Window1::PushButton1_Action);

  pushButton2_ = new QPushButton(QStringLiteral("Clear"), parent);
  place(pushButton2_, "PushButton2", 246, 256, 80, 20);
  pushButton2_->setEnabled(false);
  pushButton2_->setAutoDefault(false);
  connect(pushButton2_, &QPushButton::clicked, this, &Window1::PushButton2_Action);

  trace_ = new QCheckBox(QStringLiteral("Trace"), parent);
  place(trace_, "Trace", 162, 256, 65, 20);
  trace_->setChecked(false);

  myProgressBar1_ = new MyProgressBar(parent);
  place(myProgressBar1_, "MyProgressBar1", 26, 229, 302, 19);
  myProgressBar1_->setDesignScale(scale_);
  myProgressBar1_->setFocusPolicy(Qt::NoFocus);

  callsignText_ = new QLineEdit(parent);
  place(callsignText_, "CallsignText", 217, 38, 109, 22);
  callsignText_->setMaxLength(std::numeric_limits<int>::max());  // no limit of our own
  connect(callsignText_, &QLineEdit::textChanged, this, &Window1::CallsignText_TextChange);

  label3_ = new QLabel(QStringLiteral("Callsign:"), parent);
  place(label3_, "Label3", 217, 14, 109, 20);

  for (QWidget* w : {static_cast<QWidget*>(label1_), static_cast<QWidget*>(label2_),
                     static_cast<QWidget*>(label3_)})
    w->setFocusPolicy(Qt::NoFocus);
  setTabOrder(statusField_, pushButton1_);
  setTabOrder(pushButton1_, pushButton2_);
  setTabOrder(pushButton2_, trace_);
  setTabOrder(trace_, callsignText_);
  // The window sees every key first, for its own Ctrl commands.
  for (QWidget* w : KeyControls()) w->installEventFilter(this);
}

QList<QWidget*> Window1::KeyControls() const {
  return {statusField_, pushButton1_, pushButton2_, trace_, callsignText_, serialPortMenu_};
}

void Window1::closeEvent(QCloseEvent* event) {
  SerialPortMenu_Close();
  Event_Close();
  event->accept();
}

// Keys that reach the window itself. A key that a focused control passed on
// has had its Event_KeyDown in the event filter already: once per key.
void Window1::keyPressEvent(QKeyEvent* event) {
  if (!KeyControls().contains(QApplication::focusWidget()))
    Event_KeyDown(keyText(event), event->modifiers() & Qt::ControlModifier);
  QMainWindow::keyPressEvent(event);
}

bool Window1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const QString text = keyText(key);
    const bool ctrl = key->modifiers() & Qt::ControlModifier;
    if (watched == statusField_ && StatusField_KeyDown(text, ctrl)) return true;
    Event_KeyDown(text, ctrl);
    return false;
  }
  // Scrolling over the closed list would open every port it passes.
  if (watched == serialPortMenu_ && event->type() == QEvent::Wheel) return true;
  if (watched == statusField_->viewport() && event->type() == QEvent::MouseButtonPress) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    return StatusField_MouseDown(mouse->button() == Qt::RightButton);
  }
  return QMainWindow::eventFilter(watched, event);
}

// --- What reception shows on the window ---------------------------------

void Window1::AppendStatus(QByteArrayView text) {
  QTextCursor cursor(statusField_->document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(QString::fromLatin1(text.data(), text.size()));
  // The area follows what is added to it, so the newest status and trace text is in view.
  ScrollStatusToLastLine();
}

void Window1::SetStatusText(QByteArrayView text) {
  statusField_->setPlainText(QString::fromLatin1(text.data(), text.size()));
}

void Window1::ScrollStatusToLastLine() {
  QScrollBar* bar = statusField_->verticalScrollBar();
  bar->setValue(bar->maximum());
}

void Window1::RefreshStatus() { statusField_->viewport()->update(); }

bool Window1::TraceOn() const { return trace_->isChecked(); }

void Window1::SetProgressMaximum(qint64 maximum) { myProgressBar1_->Maximum = maximum; }

void Window1::SetProgressValue(qint64 value) {
  myProgressBar1_->Value = value;
  myProgressBar1_->Refresh();
}

void Window1::EnableButtons() {
  pushButton1_->setEnabled(true);
  pushButton2_->setEnabled(true);
}

QByteArray Window1::StatusBytes() const { return statusField_->toPlainText().toLatin1(); }

}  // namespace app

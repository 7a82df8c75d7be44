// The application shell on real widgets and files: windows, menus, port picks, preferences, progress bar, App.
#include <limits>

#include "app/AboutWindow.h"
#include "app/MyProgressBar.h"
#include "support/AppFixture.h"
#include "support/AsOrdinaryUser.h"

namespace {

const int kButtons = Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint;

// The controls of `window` in creation order: name, design place and size, text ("..." for those named in
// `ownTexts`), state.
QString controlsOf(const QWidget* window, double scale, const QStringList& ownTexts = {}) {
  auto px = [scale](int v) { return QString::number(qRound(v / scale)); };
  QStringList list;
  for (const QWidget* c : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    list << c->objectName() + " " + px(c->x()) + "," + px(c->y()) + " " + px(c->width()) + "x" +
        px(c->height()) + " " + (ownTexts.contains(c->objectName()) ? "..." : c->property("text").toString()) +
        (c->isEnabled() ? "" : " disabled") + (c->property("checked") == true ? " on" : "") +
        (c->property("wordWrap") == true ? " wraps" : "");
  return list.join('\n');
}

// A larger default font while alive: windows grow so that every text still shows whole.
auto LargerFont() {
  auto restore = qScopeGuard([font = QApplication::font()] { QApplication::setFont(font); });
  QApplication::setFont(QFont(QApplication::font().family(), 15));
  return restore;
}

// What the user sees and the window keeps: the port list's rows (the selected one starred), which pseudo-
// terminal is open (-1: none), the status area ("W" for each waiting line), the port index and name kept,
// and the beeps and message boxes since the last look (a message's reason shown as "<why>").
struct Look {
  QString rows{};
  int open = -1;
  QString status{};
  qint64 port = -1;
  QString portName{};
  int beeps = 0;
  QString messages{};
  bool operator==(const Look&) const = default;
};
void PrintTo(const Look& l, std::ostream* os) {
  const auto text = [](const QString& s) { return testing::PrintToString(s.toUtf8()); };
  *os << "{rows " << text(l.rows) << ", open " << l.open << ", status " << text(l.status) << ", port " << l.port
      << " named " << text(l.portName) << ", beeps " << l.beeps << ", messages " << text(l.messages) << "}";
}

class Shell : public testsupport::AppFixture {
 protected:
  // Ports named as listed, on the pseudo-terminals in turn; a "GONE" one fails to open.
  void listPorts(const QString& names) {
    QList<platform::SerialPortEntry> list;
    for (const QString& name : names.split(' ', Qt::SkipEmptyParts))
      list.append({name, name.contains("GONE") ? "/nonexistent/ttyX" : ptys[list.size()].portPath()});
    setPorts(list);
  }
  Look look() {
    const QComboBox* menu = window->SerialPortMenu();
    QStringList rows;
    for (int r = 0; r < menu->count(); ++r)
      rows << menu->itemText(r) + (r == menu->currentIndex() ? "*" : "");
    const QStringList paths = {ptys[0].portPath(), ptys[1].portPath(), ptys[2].portPath()};
    return {rows.join(' '), int(window->Serial1()->isOpen() ? paths.indexOf(window->Serial1()->port()) : -1),
            window->StatusField()->toPlainText().replace("Waiting for ADIF data...\n", "W"), window->m_Port,
            window->m_PortName, std::exchange(beeps, 0),
            std::exchange(messages, {}).join(" / ").replace(QRegularExpression("\n\n.*"), "\n\n<why>")};
  }

  // Start-up on a system with no serial ports, which says so in a box.
  void openWithNoPorts() {
    messageBoxesExpected = true;
    openWindow();
    EXPECT_EQ(std::exchange(messages, {}), QStringList{"System has no serial ports!  No way to communicate with QZT605!"});
    messageBoxesExpected = false;
  }

  testsupport::PtyPair ptys[3];
};

// Built from its design, before any handler runs: the controls in creation order at their places, each
// text shown whole, a window of fixed size that can be minimised and closed, Tab through the controls.
TEST_F(Shell, mainWindowIsBuiltAsDesigned) {
  const auto restore = LargerFont();
  listPorts("ttyA ttyB");  // a start-up run while it is built would list them, open one and fill the field
  QFile prefs(prefsPath());
  ASSERT_TRUE(prefs.open(QIODevice::WriteOnly) && prefs.write("PortName\nttyA\nCallsign\nk1abc\n") > 0);
  prefs.close();
  window = std::make_unique<app::Window1>();
  app::Window1& w = *window;
  EXPECT_EQ(controlsOf(w.centralWidget(), w.DesignScale()),
            "Label1 26,14 186x20 Select serial port:\nSerialPortMenu 27,39 162x20 \n"
            "StatusField 26,121 300x100 \nLabel2 18,77 324x32 Connect a keyboard to Kestrune device and "
            "press ALT-L then press A or R to begin ADIF export. wraps\n"
            "PushButton1 26,256 108x20 Save to File disabled\nPushButton2 246,256 80x20 Clear disabled\n"
            "Trace 162,256 65x20 Trace\nMyProgressBar1 26,229 302x19 \nCallsignText 217,38 109x22 \n"
            "Label3 217,14 109x20 Callsign:");
  // Each text shows whole: on one line beside a button's frame or a check box's mark, or wrapped.
  for (const QWidget* c : QWidgetList{w.Label1(), w.Label3(), w.PushButton1(), w.PushButton2(), w.Trace()}) {
    const int beside = c == w.Trace() ? 20 : c->inherits("QPushButton") ? 8 : 0;
    SCOPED_TRACE(c->objectName().toStdString());
    EXPECT_LE(w.fontMetrics().horizontalAdvance(c->property("text").toString()) + beside, c->width());
  }
  EXPECT_LE(w.Label2()->heightForWidth(w.Label2()->width()), w.Label2()->height());
  EXPECT_EQ(w.windowTitle(), "Kestrune ADIF Utility");
  EXPECT_EQ(w.centralWidget()->size() / w.DesignScale(), QSize(353, 296));
  EXPECT_EQ(w.minimumSize(), w.maximumSize()) << "fixed size";
  EXPECT_EQ(w.windowFlags() & kButtons, Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  EXPECT_TRUE(w.StatusField()->isReadOnly());
  EXPECT_EQ(std::pair(w.MyProgressBar1()->Value, w.MyProgressBar1()->Maximum), std::pair(0LL, 100LL)) << "bar";
  EXPECT_EQ(look(), Look{.port = 0}) << "no handler ran while it was built";
  EXPECT_EQ(w.CallsignText()->text(), "");
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  w.StatusField()->setPlainText(QString(1000, 'x'));
  QCoreApplication::processEvents();
  const QScrollBar* sideways = w.StatusField()->horizontalScrollBar();
  EXPECT_TRUE(sideways->maximum() == 0 && !sideways->isVisible()) << "a long line wraps, no horizontal scroll bar";
  w.StatusField()->clear();
  w.PushButton1()->setEnabled(true);  // so that Tab may reach the buttons
  w.PushButton2()->setEnabled(true);
  w.StatusField()->setFocus();
  QStringList visited;
  while (visited.size() < 6) {
    visited << QApplication::focusWidget()->objectName();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  EXPECT_EQ(visited.join(' '), "StatusField PushButton1 PushButton2 Trace CallsignText StatusField");
  messageBoxesExpected = true;  // a window that never opened has no preferences file to store at close
}

TEST_F(Shell, openingPutsTheVersionInTheTitleAndClosingTheLastWindowQuits) {
  QGuiApplication::setQuitOnLastWindowClosed(false);
  openWithNoPorts();
  EXPECT_EQ(window->windowTitle(), "Kestrune ADIF Utility v" ADIF_SHORT_VERSION);
  EXPECT_TRUE(QGuiApplication::quitOnLastWindowClosed());
}

// Each pick, among the ports listed then, that opens adds a waiting line below what is there; a failure names
// the port now at the row's position, or the row when none is; picking while starting up does nothing.
TEST_F(Shell, aPickedPortOpensOrTheFailureNamesIt) {
  messageBoxesExpected = true;  // each one is checked below
  listPorts("ttyA ttyB");
  openWindow();
  QWheelEvent wheel({5, 5}, window->SerialPortMenu()->mapToGlobal(QPointF(5, 5)), {}, {0, -120}, Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(window->SerialPortMenu(), &wheel);
  EXPECT_EQ(look(), Look{.rows = "ttyA ttyB"}) << "scrolling over the closed list picks nothing";
  window->StatusField()->setPlainText("old\n");
  const struct {
    const char* ports;
    int row;
    Look look;
    bool startingUp = false;
  } picks[] = {
      {"ttyA ttyB", 1, {.rows = "ttyA ttyB*", .open = 1, .status = "old\nW", .port = 1, .portName = "ttyB"}},
      {"ttyA GONE", 1, {.rows = "ttyA ttyB*", .status = "old\nW", .port = 1, .portName = "GONE",
                        .messages = "Unable to open serial port GONE\n\n<why>"}},
      {"ttyA ttyB", 1, {.rows = "ttyA ttyB*", .open = 1, .status = "old\nWW", .port = 1, .portName = "ttyB"}},
      {"ttyC ttyB", 0, {.rows = "ttyA* ttyB", .open = 0, .status = "old\nWWW", .port = 0, .portName = "ttyC"}},
      {"", 1, {.rows = "ttyA ttyB*", .status = "old\nWWW", .port = 1, .portName = "ttyB",
               .messages = "Unable to open serial port ttyB"}},
      {"ttyA ttyB", 0, {.rows = "ttyA* ttyB", .status = "old\nWWW", .port = 1, .portName = "ttyB"}, true},
      {"ttyA ttyB", 0, {.rows = "ttyA* ttyB", .open = 0, .status = "old\nWWWW", .port = 0, .portName = "ttyA"}},
  };
  for (const auto& p : picks) {
    SCOPED_TRACE("row " + std::to_string(p.row) + " of \"" + p.ports + (p.startingUp ? "\", starting up" : "\""));
    listPorts(p.ports);
    window->m_Startup = p.startingUp;
    window->SerialPortMenu()->setCurrentIndex(p.row);
    Q_EMIT window->SerialPortMenu()->activated(p.row);  // as a click on the row, also when it is selected
    window->m_Startup = false;
    EXPECT_EQ(look(), p.look);
  }
}

// Set from code, typed or pasted at the insertion point (-1: where it was), the call sign shows and is
// kept in upper case, with the insertion point at its end.
TEST_F(Shell, theCallSignIsKeptInUpperCaseHoweverItIsEntered) {
  openWithNoPorts();
  QLineEdit* field = window->CallsignText();
  const struct {
    const char *start, *typed, *pasted, *shown;
    int cursor;
  } typing[] = {
      {"", "dl/k1abc-9 #", "", "DL/K1ABC-9 #", -1}, {"k1abc", "/", "", "K1/ABC", 2},
      {"k1", "\b\b", "", "", -1}, {"öz/straße", "", "", "ÖZ/STRASSE", -1}, {"k1", "", "/9", "/9K1", 0},
      {"k1abc", "", "/p ", "K1/P ABC", 2}, {"", "  k1abc ", "", "  K1ABC ", -1},
  };
  for (const auto& t : typing) {
    SCOPED_TRACE(QString("\"%1\", typed \"%2\", pasted \"%3\"").arg(t.start, t.typed, t.pasted).toStdString());
    field->setText(t.start);
    field->setCursorPosition(t.cursor < 0 ? field->cursorPosition() : t.cursor);
    QTest::keyClicks(field, t.typed);
    QGuiApplication::clipboard()->setText(t.pasted);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(field->text(), t.shown);
    EXPECT_EQ(field->cursorPosition(), field->text().size()) << "the insertion point";
    EXPECT_EQ(window->m_CallText, t.shown);
  }
  field->setText(QString(40000, 'K'));  // beyond a line edit's own limit
  EXPECT_EQ(window->m_CallText.size(), 40000) << "no length limit";
}

TEST_F(Shell, theMenusOfferQuitWithItsShortcutAndAbout) {
  openWithNoPorts();
  QStringList menus;  // each menu, then its items with their shortcuts
  for (QAction* menu : window->menuWidget()->actions()) {
    menus << menu->text();
    for (QAction* item : menu->menu()->actions()) menus << item->text() + "=" + item->shortcut().toString();
  }
  EXPECT_EQ(menus.join('|'), "&File|&Quit=Ctrl+Q|Help|About ADIF Utility=");
}

// The About window as designed, under a larger font too: the picture, the name, the version from the
// application's short version, three texts of our own; each text shows whole; fixed size, only a close button.
TEST_F(Shell, theAboutWindowShowsThePictureNameAndVersionEachTextWhole) {
  const auto restore = LargerFont();
  openWithNoPorts();
  app::SetPictureResourceForTesting("");
  window->menuWidget()->findChild<QAction*>("AboutMenu")->trigger();
  app::AboutWindow* a = app::AboutWindow::Instance();
  const auto close = qScopeGuard([a] { a->close(); });
  const double scale = a->Canvas1()->width() / 100.0;  // the canvas, 100 wide in the design, is the yardstick
  EXPECT_EQ(a->windowTitle(), "About");
  EXPECT_EQ(a->size() / scale, QSize(306, 150));
  EXPECT_EQ(a->minimumSize(), a->maximumSize()) << "fixed size";
  EXPECT_EQ(a->windowFlags() & kButtons, Qt::WindowCloseButtonHint) << "only a close button";
  EXPECT_EQ(controlsOf(a, scale, {"Label2", "Label3", "Label4"}),
            "Canvas1 20,14 100x76 \nLabel1 122,14 184x18 Kestrune ADIF Utility wraps\n"
            "Label2 122,60 184x30 ... wraps\nLabel3 122,91 184x18 ... wraps\nLabel4 122,112 184x18 ... wraps\n"
            "VersionLabel 122,33 184x18 Version " ADIF_SHORT_VERSION " wraps");
  const auto image = [](const QImage& i) { return i.convertToFormat(QImage::Format_ARGB32_Premultiplied); };
  EXPECT_TRUE(image(static_cast<QLabel*>(a->Canvas1())->pixmap().toImage()) == image(QImage(":/zvk.png")))
      << "the canvas shows zvk.png";
  for (const QLabel* label : {a->Label1(), a->VersionLabel(), a->Label2(), a->Label3(), a->Label4()}) {
    SCOPED_TRACE(label->objectName().toStdString());
    if (label == a->Label1())
      EXPECT_EQ(label->font(), a->font()) << "the name in the default font";
    else
      EXPECT_EQ(qRound(label->font().pixelSize() / scale), 12) << "the other texts at size 12";
    const QRect used = label->fontMetrics().boundingRect(label->contentsRect(), Qt::TextWordWrap, label->text());
    EXPECT_FALSE(label->text().isEmpty());
    EXPECT_TRUE(label->contentsRect().contains(used)) << "used " << used.width() << "x" << used.height() << " of "
                                                      << label->width() << "x" << label->height();
  }
}

// The About item shows the one modeless About window, which closes when the button is released, not
// when pressed, over a text or the picture too; a missing picture is tried again with the next window,
// once found it is kept.
TEST_F(Shell, theAboutItemShowsOneAboutWindowThatAClickCloses) {
  openWithNoPorts();
  QAction* about = window->menuWidget()->findChild<QAction*>("AboutMenu");
  app::ResetPictureCacheForTesting();
  QPointer<app::AboutWindow> last;
  for (int n = 1; n <= 3; ++n) {
    SCOPED_TRACE("window " + std::to_string(n));
    app::SetPictureResourceForTesting(n == 1 ? ":/no-such-picture.png" : "");
    about->trigger();
    QPointer<app::AboutWindow> a = app::AboutWindow::Instance();
    about->trigger();
    EXPECT_EQ(app::AboutWindow::Instance(), a) << "one window, however often the item is chosen";
    EXPECT_NE(a, last) << "a new window once the last one closed";
    EXPECT_EQ(static_cast<QLabel*>(a->Canvas1())->pixmap().isNull(), n == 1) << "the picture shown";
    EXPECT_EQ(app::PictureLoadCountForTesting(), std::min(n, 2)) << "loads tried";
    QWidget* const target = n == 1 ? a.data() : n == 2 ? a->Label2() : a->Canvas1();
    SCOPED_TRACE("clicked on " + target->objectName().toStdString());
    QTest::mousePress(target, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_TRUE(a->isVisible()) << "pressed";
    QTest::mouseRelease(target, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_TRUE(!a || !a->isVisible()) << "released";
    last = a;
  }
}

// Ctrl+Q, from any window, closes every window, the main window storing the preferences; nothing asks.
TEST_F(Shell, ctrlQFromTheAboutWindowClosesEveryWindowAndStoresThePreferences) {
  openWithNoPorts();
  window->menuWidget()->findChild<QAction*>("AboutMenu")->trigger();
  QPointer<app::AboutWindow> about = app::AboutWindow::Instance();
  about->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(about));
  QTest::keyClick(about, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(!about || !about->isVisible());
  EXPECT_EQ(Contents(prefsPath()), "Port\n-1\nPortName\n\nFileName\n\nCallsign\n\n");
}

// The next runs get back the port (opened by name), the last file name chosen (a line break written as a
// space) and the call sign as typed, beyond ASCII too. Closing keeps the selected row as the port index only.
TEST_F(Shell, portFileNameAndCallSignComeBackInTheNextRuns) {
  listPorts("ttyA ttyB");
  openWindow();
  window->SerialPortMenu()->setCurrentIndex(0);
  Q_EMIT window->SerialPortMenu()->activated(0);
  window->CallsignText()->setText("  k1äbc ");
  saveAnswer = QDir(configDir()).filePath("f\r\nd-Łódź.ADI");
  window->PushButton1_Action();
  for (int run = 2; run <= 3; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    window->SerialPortMenu()->setCurrentIndex(1);
    closeWindow();
    EXPECT_EQ(Contents(prefsPath()), "Port\n1\nPortName\nttyA\nFileName\nf  d-Łódź.ADI\nCallsign\n  K1ÄBC \n");
    QELTEasyPrefs::ResetForTesting();  // as a new process starts
    openWindow();
    EXPECT_EQ(look(), (Look{.rows = "ttyA* ttyB", .open = 0, .status = "W", .port = 0, .portName = "ttyA"}));
    EXPECT_EQ(window->m_Filename, "f  d-Łódź.ADI");
    EXPECT_EQ(window->CallsignText()->text(), "  K1ÄBC ");
  }
}

TEST_F(Shell, aCloseWhileStartingUpStoresNothing) {
  openWithNoPorts();
  window->m_Startup = true;
  closeWindow();
  EXPECT_EQ(Contents(prefsPath()), "");
}

// The preferences folder, parents and all, deleted while the program runs is made again at close.
TEST_F(Shell, aPreferencesFolderDeletedWhileRunningIsMadeAgainAtClose) {
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(configDir() + "/a/b"));
  openWithNoPorts();
  ASSERT_TRUE(QDir(configDir() + "/a").removeRecursively());
  closeWindow();
  EXPECT_EQ(Contents(configDir() + "/a/b/ZVKUtilPrefs"), "Port\n-1\nPortName\n\nFileName\n\nCallsign\n\n");
}

// Each run has a preferences folder of its own; an unreadable file is opened and closed as "nobody", in a
// folder made read-only. Given: ports, window, messages at close, file, file written.
TEST_F(Shell, startUpReadsThreeKeysAndReopensThePortAndClosingWritesFour) {
  messageBoxesExpected = true;  // each one is checked below
  const QString cannot = "Cannot %1 the preferences file \"$XDG/ZVKUtilPrefs\": %2";
  const QByteArray odd = QByteArray("Nul\0key\n\xff\xfe\nHuge\n", 16) + QByteArray(10 << 20, 'x') + "\n";
  const struct {
    const char* what;
    QString ports;
    Look look;
    QString closing;
    QByteArray prefs, written;
    bool unreadable = false;
  } cases[] = {
      {"an unreadable file", "ttyA", {.rows = "ttyA", .messages = cannot.arg("read", "Permission denied")},
       cannot.arg("write", "Permission denied"), "Callsign\nOLD1\n", "Callsign\nOLD1\n", true},
      {"of the ports bearing the name, ignoring case, the last opens", "ttyA ttyDUP ttyDUP",
       {.rows = "ttyA ttyDUP ttyDUP*", .open = 2, .status = "W", .port = 2, .portName = "TTYdup"}, "",
       "PortName\nTTYdup\n", "PortName\nTTYdup\nPort\n2\nFileName\n\nCallsign\n\n"},
      {"no ports", "", {.portName = "ttyB", .beeps = 1,
       .messages = "System has no serial ports!  No way to communicate with QZT605!"}, "", "PortName\nttyB\n",
       "PortName\nttyB\nPort\n-1\nFileName\n\nCallsign\n\n"},
      {"the remembered port fails to open", "ttyA ttyGONE", {.rows = "ttyA ttyGONE*", .port = 1,
       .portName = "ttyGONE", .beeps = 1, .messages = "Error opening serial port\n\n<why>"}, "",
       "PortName\nttyGONE\n", "PortName\nttyGONE\nPort\n1\nFileName\n\nCallsign\n\n"},
      // Bytes that are no text and a huge line come back; LF, CR LF and CR end lines, CR then CR LF
      // is an empty line, an odd last line has an empty value; keys ignore case, the first duplicate
      // wins, values stay untrimmed, stored keys keep their text and place, and new keys go last.
      {"a file as others may write it", "ttyA", {.rows = "ttyA"}, "",
       odd + "callsign\r\n k1abc \r\nFileName\r log.ADI \r\r\nx\nCallsign\nB\nPortName",
       odd + "callsign\n K1ABC \nFileName\n log.ADI \n\nx\nCallsign\nB\nPortName\n\nPort\n-1\n"},
  };
  ASSERT_TRUE(QFile::setPermissions(configDir(), QFile::Permissions(0x7755)));  // rwxr-xr-x
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(c.what);
    const QString folder = configDir() + "/" + QString::number(i);
    QFile file(folder + "/ZVKUtilPrefs");
    ASSERT_TRUE(QDir().mkdir(folder) && file.open(QIODevice::WriteOnly) && file.write(c.prefs) == c.prefs.size());
    file.close();
    ASSERT_TRUE(!c.unreadable ||  // an unreadable file in a folder made read-only
                (file.setPermissions(QFile::WriteOwner) && QFile::setPermissions(folder, QFile::Permissions(0x5555))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder));
    QELTEasyPrefs::ResetForTesting();
    listPorts(c.ports);
    {
      std::optional<testsupport::AsOrdinaryUser> user;
      ASSERT_TRUE(!c.unreadable || user.emplace().ok());
      openWindow();
      Look seen = look();
      seen.messages.replace(folder, "$XDG");
      EXPECT_EQ(seen, c.look);
      EXPECT_EQ(window->CallsignText()->text(), window->m_CallText);
      EXPECT_TRUE(window->close());
    }
    window.reset();
    for (const QString& path : {folder, folder + "/ZVKUtilPrefs"})  // readable and removable again
      QFile::setPermissions(path, QFile::Permissions(0x7755));
    EXPECT_EQ(std::exchange(messages, {}).join(" / ").replace(folder, "$XDG"), c.closing);
    EXPECT_EQ(Contents(folder + "/ZVKUtilPrefs"), c.written);
  }
}

// A first run makes the folders and an empty file; the spare element at index 0 never matches;
// a line break, which would shift every later line, is written as a space but kept for the run.
TEST_F(Shell, preferencesStoreStartsEmptyAndWritesLineBreaksAsSpaces) {
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(configDir() + "/new/er"));
  ASSERT_TRUE(QELTEasyPrefs::InitPrefFile("ZVKUtilPrefs"));
  const QString file = configDir() + "/new/er/ZVKUtilPrefs";
  EXPECT_EQ(Contents(file), "");
  EXPECT_EQ(QELTEasyPrefs::GetPrefString("", "?"), "?") << "the spare element never matches";
  QELTEasyPrefs::SetPrefString("Two\r\nLines", "v\n");
  ASSERT_TRUE(QELTEasyPrefs::WritePrefsFile());
  EXPECT_EQ(QELTEasyPrefs::GetPrefString("Two\r\nLines", ""), "v\n");
  EXPECT_EQ(Contents(file), "Two  Lines\nv \n");
  // On a full disk the rewrite fails and the old file stays whole.
  QELTEasyPrefs::SetPrefString("Long", QByteArray(8000, 'x'));
  EXPECT_FALSE(WithFilesUpTo(4096, [] { return QELTEasyPrefs::WritePrefsFile(); }));
  EXPECT_EQ(Contents(file), "Two  Lines\nv \n");
}

TEST_F(Shell, exceptionLeavingAHandlerIsShownAndTheProgramGoesOn) {
  messageBoxesExpected = true;  // each one is checked below
  for (int i = 0; i < 2; ++i) QTimer::singleShot(0, [] { throw std::runtime_error("disk on fire"); });
  QCoreApplication::processEvents();
  EXPECT_EQ(messages, QStringList(2, "An unexpected error occurred: disk on fire"));  // the second still ran
}

// The bar's middle row from left to right, as runs of its named colours: "border 1, fill 3, track 295, border 1".
QString middleRow(app::MyProgressBar* bar) {
  const QImage image = bar->grab(QRect(QPoint(), bar->Rectangle1()->size())).toImage();
  const QMap<QRgb, QString> names{
      {qRgb(153, 153, 153), "border"}, {qRgb(230, 230, 230), "track"}, {qRgb(135, 206, 250), "fill"}};
  QStringList runs;
  for (int x = 0, from = 0; x < image.width(); ++x) {
    const int y = image.height() / 2;
    const QRgb colour = image.pixel(x, y) | 0xFF000000;
    if (x + 1 < image.width() && (image.pixel(x + 1, y) | 0xFF000000) == colour) continue;
    runs << names.value(colour, QString::number(colour, 16)) + " " + QString::number(x - from + 1);
    from = x + 1;
  }
  return runs.join(", ");
}

// Value / (Maximum / 298) rounded (none for a zero Value or Maximum): that many light-blue columns from the
// left of the light-grey track, as far as the canvas goes, inside a mid-grey border. Each paint from the fields.
TEST(ProgressBar, fillsValueOverMaximumOfItsCanvasRoundedOverTheTrack) {
  app::MyProgressBar bar;
  constexpr qint64 kMax = std::numeric_limits<qint64>::max(), kMin = std::numeric_limits<qint64>::min();
  const struct {
    qint64 value, maximum;
    int fill;
  } cases[] = {
      {0, 100, 0}, {50, 100, 149}, {1, 100, 3}, {1, 1000, 0}, {76, 76, 298}, {0, 0, 0}, {1234, 0, 0}, {0, -5, 0},
      {150, 100, 298}, {5, -100, 0}, {-5, 100, 0}, {kMax, 1, 298}, {kMin, 1, 0}, {kMax, kMax, 298},
      {57, 76, 223},  // Maximum / 298 first, then Value over that quotient: just under 223.5
      {1, 596, 1},    // exactly 0.5: Round takes halves away from zero
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.value) + " of " + std::to_string(c.maximum));
    bar.Value = c.value;
    bar.Maximum = c.maximum;
    const QString fill = c.fill ? "fill " + QString::number(c.fill) + ", " : "";
    const QString track = c.fill < 298 ? "track " + QString::number(298 - c.fill) + ", " : "";
    EXPECT_EQ(middleRow(&bar), "border 1, " + fill + track + "border 1");
  }
}

// At twice the design's size the border, the canvas and the fill grow together.
TEST(ProgressBar, growsWithTheDesignScaleBorderCanvasAndFillTogether) {
  app::MyProgressBar bar;
  bar.resize(604, 34);
  bar.setDesignScale(2.0);
  bar.Value = 1;
  bar.Maximum = 2;
  EXPECT_EQ(middleRow(&bar), "border 2, fill 298, track 298, border 2");
}

}  // namespace

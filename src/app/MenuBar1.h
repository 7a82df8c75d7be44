#pragma once
// The one menu bar: "&File" with "&Quit" (Ctrl+Q), "Help" with
// "About ADIF Utility". Items are QActions/QMenus named by objectName.

#include <QMenuBar>

namespace app {

class MenuBar1 : public QMenuBar {
  Q_OBJECT
 public:
  // The one menu bar, built on first use; rebuilt only if its window deleted it.
  static MenuBar1* Instance();

 private:
  MenuBar1();
  void Untitled0();  // the File menu
  void Untitled1();  // the Help menu
};

}  // namespace app

// Placeholder until the menu handlers land.
#include "app/Window1.h"

namespace app {

void Window1::AddMenuHandlers() {}
bool Window1::AboutMenu_Action() { return false; }

}  // namespace app

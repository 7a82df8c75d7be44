// Placeholder until the status area editing commands land.
#include "app/Window1.h"

namespace app {

bool Window1::StatusField_KeyDown(const QString&, bool) { return false; }
bool Window1::StatusField_MouseDown(bool) { return false; }
bool Window1::Event_KeyDown(const QString&, bool) { return false; }

}  // namespace app

// Placeholder until the opening/closing, port selection and call-sign handlers land.
#include "app/Window1.h"

namespace app {

void Window1::Event_Open() {}
void Window1::Event_Close() {}
void Window1::SerialPortMenu_Change() {}
void Window1::SerialPortMenu_Close() {}
void Window1::CallsignText_TextChange() {}

}  // namespace app

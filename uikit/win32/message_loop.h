// The program's message loop and the key filter every loop applies.
#pragma once

#include <windows.h>

namespace uikit {

// Offers a key message to the filter of the framework window it is for
// (the window itself or one of its text boxes). True when the filter took
// it: the message must then not be translated or dispatched.
bool PreTranslate(MSG& msg);

// Handles messages until WM_QUIT; returns the quit code.
int RunMessageLoop();

}  // namespace uikit

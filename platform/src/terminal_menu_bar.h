// A dialog's menu bar on the terminal: the titles under the caption, the open menu below its
// title, and what keys and clicks do while a menu is open.
#pragma once

#include "platform/dialog.h"
#include "terminal_layout.h"
#include "terminal_screen.h"
#include "terminal_ui.h"

namespace platform::term {

void drawMenuBar(Screen& s, const Dialog& d, const MenuCursor& cursor, const DialogFrame& f, bool top);
// A key while a menu is open; a chosen entry is sent to the dialog as its command.
void menuBarKey(Dialog& d, MenuCursor& cursor, const KeyEvent& key);
// A click on a menu title or on an entry of the open menu; false when the click hit neither.
bool menuBarClick(Dialog& d, MenuCursor& cursor, const Zone* z);

}  // namespace platform::term

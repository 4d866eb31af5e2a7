// Keys, clicks and the focus in a dialog on the terminal: what each key does to the control
// that has the focus, and what the key line says about it.
#pragma once

#include <vector>

#include "platform/dialog.h"
#include "terminal_dialog.h"
#include "terminal_ui.h"

namespace platform::term {

// The focus stays where the handler put it; a focus on nothing, or on a control that was
// destroyed or disabled, moves on in the tab order. An edit box that receives the focus, by any
// route, has its whole text selected and tells its handler (as an edit control does). (A list
// box with the focus and no selection highlights its first line without selecting it, so that
// closing the dialog chooses nothing; Enter or a movement key selects it.)
void settleFocus(Dialog& d, DialogView& view);
// A key (or a click, on `zones` of the picture last drawn) in the dialog on top.
void dialogKey(Dialog& d, DialogView& view, const KeyEvent& key, const std::vector<Zone>& zones);
// What the key line says for the dialog as it stands.
KeyHints hintsFor(const Dialog& d, const DialogView& view);

}  // namespace platform::term

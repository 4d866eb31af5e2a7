// Message boxes: a text, a title, an icon and a set of buttons; the answer is returned.
#pragma once

#include <string>

namespace platform {

enum class MsgIcon { None, Error, Information, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgResult { Ok, Cancel, Yes, No };
// The button that Enter presses: the first (OK, Yes), the second (Cancel, No) or the third
// (Cancel of Yes/No/Cancel). A question whose "yes" destroys something defaults to the safe answer.
enum class MsgDefault { First, Second, Third };

// Lines of the text are separated by CR LF, as the module writes them.
MsgResult messageBox(const std::string& text, const std::string& title, MsgIcon icon,
                     MsgButtons buttons = MsgButtons::Ok, bool topmost = true,
                     MsgDefault defaultButton = MsgDefault::First);

// A short note of what just happened ("Asset AB12 saved") where the dialogs themselves say
// nothing. Never modal, never a message box: the terminal shows it on its status line; a
// scripted run and its transcript ignore it.
void showStatus(const std::string& text);

// While the program waits for something another user holds: note (who holds it, and that Esc
// stops waiting) stays where the user sees it (the terminal's status line, a small window on
// Windows, the transcript of a scripted run) and the program waits up to milliseconds. False
// when the user pressed Esc to stop waiting. An empty note ends the wait and takes the note away.
bool waitShowing(const std::string& note, int milliseconds);

}  // namespace platform

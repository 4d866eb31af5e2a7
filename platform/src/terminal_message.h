// Message boxes and the help viewer's pager on the terminal.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/message.h"
#include "terminal_screen.h"
#include "terminal_ui.h"

namespace platform::term {

struct MessageView {
    std::string text, title;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    int focus = 0;   // the focused button
};

// The box centred on a screen whose last row holds the key line.
void drawMessage(Screen& s, MessageView& mv);
// A key or a click on the box; the answer when it gives one.
std::optional<MsgResult> messageInput(MessageView& mv, const KeyEvent& key, const std::vector<Zone>& zones,
                                      int screenCols);
std::string messageHints(const MessageView& mv, int width);

// The help viewer: a text over the whole screen, its title on the first row, its keys on the last.
struct Pager {
    std::string title;
    std::vector<std::string> lines;  // unwrapped
    int top = 0;
};

// The help text for a viewer's command line: the topic's lines, or where the file was looked for.
Pager helpPager(const HelpRequest& req);
void drawPager(Screen& s, Pager& p);
// A key in the pager; false when it closes the viewer.
bool pagerKey(Pager& p, KeyEvent key, int screenCols, int screenRows);

}  // namespace platform::term

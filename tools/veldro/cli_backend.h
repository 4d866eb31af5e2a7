// What the module's messages become on the command line: lines on standard error. No dialog is
// ever shown and no question is answered yes: a question gets its safe answer (No, Cancel), so
// that nothing the module would ask a user first happens unasked.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "platform/backend.h"

namespace veldro {

// A dialog was about to open: the command line has none to show.
class DialogRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "veldro: " and the text on standard error, the module's CR LF line breaks as line ends.
void say(const std::string& text);

std::unique_ptr<platform::Backend> makeCommandLineBackend();

}  // namespace veldro

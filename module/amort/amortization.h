#pragma once

#include <string>

namespace dp { void RunAmortization(const std::string& clientCode); }

#pragma once

#include <string>

namespace dp { void RunForm4562(const std::string& clientCode); }

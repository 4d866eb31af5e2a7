// The bundled sample client: a small hardware shop with a dozen assets of varied methods.
#pragma once

#include <string>

namespace sample {

// Writes company.fil, depr.fil and depr.idx of the sample client into dir (which must exist).
bool writeSampleClient(const std::string& dir);

}  // namespace sample

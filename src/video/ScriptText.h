#pragma once

// Script texts the video methods evaluate, with names inserted as Ruby string literals that survive any bytes.

#include <string>
#include <string_view>

namespace video {

// A double-quoted Ruby literal evaluating to exactly `bytes`: quotes, backslashes and "#" (which would start an
// interpolation) are escaped, control and non-ASCII bytes written as \xHH.
std::string rubyStringLiteral(std::string_view bytes);

// Plays a movie's sound track as a music effect at volume 100 and pitch 100.
std::string soundTrackScript(std::string_view wavPath);

}  // namespace video

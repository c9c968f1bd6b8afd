// SPDX-License-Identifier: GPL-3.0-or-later
// What the photo files share about exiv2: its headers, and keeping its own warnings off the
// terminal (a failure reaches the user once, as our message naming the file).
#pragma once

#include <exiv2/exiv2.hpp>
#include <functional>

namespace tavrin::photos {

using OpenImageFn = std::function<Exiv2::Image::AutoPtr()>;

// Mutes exiv2's log; safe to call again.
inline void SilenceExiv2() {
  Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
  static const bool bmff = Exiv2::enableBMFF(true);  // HEIF and CR3 are read only when asked for
  (void)bmff;
}

}  // namespace tavrin::photos

// SPDX-License-Identifier: GPL-3.0-or-later
// Who reads an arriving logger: the window and tavrin watch both see it arrive, and only the one
// that claims its port first reads it; the other is told who has it. A claim is an flock on a
// file per port in the user's runtime folder, so that it ends with its holder, however that ends.
#pragma once

#include <optional>
#include <string>

namespace tavrin {

class PortClaim {
 public:
  // Claims `port` for `holder` ("tavrin watch", "the window"); nothing when another holds it,
  // with that one's name in `heldBy`.
  static std::optional<PortClaim> Take(const std::string& port, const std::string& holder,
                                       std::string& heldBy);
  PortClaim(PortClaim&& other) noexcept;
  PortClaim& operator=(PortClaim&& other) noexcept;
  PortClaim(const PortClaim&) = delete;
  PortClaim& operator=(const PortClaim&) = delete;
  ~PortClaim();

 private:
  explicit PortClaim(int fd) : fd_(fd) {}
  int fd_ = -1;
};

}  // namespace tavrin

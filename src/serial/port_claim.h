// SPDX-License-Identifier: GPL-3.0-or-later
// Who reads an arriving logger: the window and tavrin watch both see it arrive, and only the one
// that claims its port first reads it; the other is told who has it. A claim is an flock on a
// file per port in the user's runtime folder, so that it ends with its holder, however that ends.
// Where that folder or file cannot be trusted (another user made it, a link stands in its place),
// nothing is written through it: the claim is taken without a file, and says why.
#pragma once

#include <optional>
#include <string>

namespace tavrin {

class PortClaim {
 public:
  // Claims `port` for `holder` ("tavrin watch", "the window"); nothing when another holds it,
  // with that one's name in `heldBy`. A claim that no file could hold is given too, with the
  // reason in Problem(): the port's own lock still keeps two reads apart.
  static std::optional<PortClaim> Take(const std::string& port, const std::string& holder,
                                       std::string& heldBy);
  PortClaim(PortClaim&& other) noexcept;
  PortClaim& operator=(PortClaim&& other) noexcept;
  PortClaim(const PortClaim&) = delete;
  PortClaim& operator=(const PortClaim&) = delete;
  ~PortClaim();

  // Empty when a claim file holds the claim; else what is wrong and what to do, to be said once.
  const std::string& Problem() const { return problem_; }

 private:
  explicit PortClaim(int fd, std::string problem = {}) : fd_(fd), problem_(std::move(problem)) {}
  int fd_ = -1;
  std::string problem_;
};

}  // namespace tavrin

#pragma once

#include <atomic>
#include <memory>

#include "mcp_bridge/records.hpp"

namespace mcp_bridge {

// A thread-safe set-once cell: the first identity offered stays, later offers are dropped.
// Readers take no lock and see either nothing or the complete identity.
class IdentityCell {
 public:
  IdentityCell() = default;
  IdentityCell(const IdentityCell&) = delete;
  IdentityCell& operator=(const IdentityCell&) = delete;
  ~IdentityCell();

  // True when this offer filled the cell.
  bool offer(ClientIdentity identity) const;
  // Null while the cell is empty.
  const ClientIdentity* get() const;

 private:
  mutable std::atomic<const ClientIdentity*> value_{nullptr};
};

}  // namespace mcp_bridge

#include "mcp_bridge/identity_cell.hpp"

namespace mcp_bridge {

IdentityCell::~IdentityCell() {
  delete value_.load(std::memory_order_acquire);
}

bool IdentityCell::offer(ClientIdentity identity) const {
  auto candidate = std::make_unique<ClientIdentity>(std::move(identity));
  const ClientIdentity* expected = nullptr;
  if (value_.compare_exchange_strong(expected, candidate.get(), std::memory_order_acq_rel,
                                     std::memory_order_acquire)) {
    candidate.release();
    return true;
  }
  return false;
}

const ClientIdentity* IdentityCell::get() const {
  return value_.load(std::memory_order_acquire);
}

}  // namespace mcp_bridge

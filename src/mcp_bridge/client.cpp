#include "mcp_bridge/client.hpp"

#include <system_error>
#include <utility>

#include "mcp_bridge/wire.hpp"

namespace mcp_bridge {

namespace {

constexpr std::string_view socket_file_name = "mcp-bridge.sock";

tl::expected<Endpoint, BridgeError> endpoint_for(const std::string& path) {
  try {
    return Endpoint(path);
  } catch (const std::system_error& e) {
    // Too long for a socket address: the app cannot be listening there.
    return tl::unexpected(BridgeError{BridgeErrorKind::io, e.code(), e.code().message()});
  }
}

template <class Reply>
using Decoder = tl::expected<Reply, std::string> (*)(std::string_view);

template <class Reply>
asio::awaitable<tl::expected<Reply, BridgeError>> exchange(
    const tl::expected<Endpoint, BridgeError>& endpoint, const IdentityCell& identity,
    BridgeRequest request, std::chrono::milliseconds limit, Decoder<Reply> decode) {
  // Read when the exchange starts, not when it was created: a request that waited to start
  // still carries an identity offered meanwhile.
  if (const ClientIdentity* known = identity.get()) {
    request.client = *known;
  }
  const auto deadline = std::chrono::steady_clock::now() + limit;
  if (!endpoint) {
    co_return tl::unexpected(endpoint.error());
  }
  // Encoded before connecting, so the app never sees a connection without a request.
  auto line = encode_request(request);
  if (!line) {
    co_return tl::unexpected(BridgeError{BridgeErrorKind::invalid_data, {}, line.error()});
  }
  auto answer = co_await exchange_line(*endpoint, std::move(*line), deadline);
  if (!answer) {
    co_return tl::unexpected(std::move(answer).error());
  }
  auto decoded = decode(*answer);
  // The limit covers decoding too.
  if (std::chrono::steady_clock::now() > deadline) {
    co_return tl::unexpected(timed_out_error());
  }
  if (!decoded) {
    co_return tl::unexpected(
        BridgeError{BridgeErrorKind::invalid_data, {}, std::move(decoded).error()});
  }
  co_return std::move(*decoded);
}

}  // namespace

std::string socket_path_in(const std::string& data_dir) {
  if (data_dir.empty()) {
    return std::string(socket_file_name);
  }
  std::string path = data_dir;
  if (path.back() != '/') {
    path += '/';
  }
  path += socket_file_name;
  return path;
}

BridgeClient::BridgeClient(std::string data_dir)
    : data_dir_(std::move(data_dir)),
      socket_path_(socket_path_in(data_dir_)),
      endpoint_(endpoint_for(socket_path_)) {}

asio::awaitable<tl::expected<McpReply, BridgeError>> BridgeClient::call(
    BridgeRequest request, std::chrono::milliseconds limit) const {
  co_return co_await exchange<McpReply>(endpoint_, identity_, std::move(request), limit,
                                        decode_reply);
}

asio::awaitable<tl::expected<StartImportReply, BridgeError>> BridgeClient::start_import(
    std::string file_path, std::optional<std::string> title,
    std::chrono::milliseconds limit) const {
  BridgeRequest request{std::nullopt, StartImport{std::move(file_path), std::move(title)}};
  co_return co_await exchange<StartImportReply>(endpoint_, identity_, std::move(request), limit,
                                                decode_import_reply);
}

}  // namespace mcp_bridge

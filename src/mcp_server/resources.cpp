#include "mcp_server/resources.hpp"

#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <variant>

#include "mcp_bridge/client.hpp"
#include "mcp_server/app_texts.hpp"
#include "mcp_server/mcp_server.hpp"
#include "mcp_server/record.hpp"

namespace mcp_server {
namespace {

namespace reply = mcp_bridge::reply;
using mcp::error_code::internal_error;
using mcp::error_code::invalid_params;
using mcp::error_code::resource_not_found;

Json resource_template(std::string uri_template, std::string name, std::string description,
                       std::string mime_type) {
  return Json{{"description", std::move(description)},
              {"mimeType", std::move(mime_type)},
              {"name", std::move(name)},
              {"uriTemplate", std::move(uri_template)}};
}

Json all_templates() {
  Json templates = Json::array();
  templates.push_back(resource_template(
      "meeting://{meetingId}", "Recording metadata",
      "Recording metadata including title, dates, stats, speakers, and user-applied tags",
      "application/json"));
  templates.push_back(resource_template(
      "meeting://{meetingId}/transcript", "Recording transcript",
      "Full recording transcript formatted as markdown with speaker labels and timestamps",
      "text/markdown"));
  templates.push_back(resource_template(
      "meeting://{meetingId}/summary", "Recording summary",
      "Stored LLM-generated meeting summary as markdown. Returns a placeholder message when no "
      "summary has been persisted yet.",
      "text/markdown"));
  return Json{{"resourceTemplates", std::move(templates)}};
}

Json listed_resources(std::vector<mcp_bridge::ResourceEntry> entries) {
  Json resources = Json::array();
  for (auto& entry : entries) {
    // The app's entries carry no type of their own; every listed resource is JSON.
    resources.push_back(Json{{"description", std::move(entry.description)},
                             {"mimeType", "application/json"},
                             {"name", std::move(entry.name)},
                             {"uri", std::move(entry.uri)}});
  }
  return Json{{"resources", std::move(resources)}};
}

Json read_result(reply::Resource resource) {
  Json item = {
      {"mimeType", "text"}, {"text", std::move(resource.text)}, {"uri", std::move(resource.uri)}};
  Json contents = Json::array();
  contents.push_back(std::move(item));
  return Json{{"contents", std::move(contents)}};
}

// The parameters of resources/read: the uri must be a string; the app judges everything else.
struct ReadResourceParams {
  std::string uri;

  static constexpr std::string_view record_name = "ReadResourceParams";
  static constexpr auto fields() {
    return std::make_tuple(field("uri", &ReadResourceParams::uri, "The resource's uri"));
  }
};

}  // namespace

const Json& resource_templates_result(bool library_mode) {
  static const Json full = all_templates();
  static const Json none = Json{{"resourceTemplates", Json::array()}};
  return library_mode ? none : full;
}

asio::awaitable<mcp::Result<Json>> list_resources(const McpServer& server) {
  if (server.library_mode()) {
    static const Json none = Json{{"resources", Json::array()}};
    co_return none;
  }
  const mcp_bridge::BridgeClient* bridge = server.bridge();
  if (bridge == nullptr) {
    co_return mcp::rpc_error(internal_error, std::string(bridge_unavailable_text));
  }
  // Named, not braced in place: GCC 12 destroys a braced temporary argument of a co_await twice.
  mcp_bridge::BridgeRequest request{std::nullopt, mcp_bridge::McpResourceList{}};
  auto outcome = co_await bridge->call(std::move(request), mcp_bridge::call_time_limit);
  if (!outcome) {
    co_return mcp::rpc_error(internal_error, std::string(app_not_running_text));
  }
  if (auto* list = std::get_if<reply::ResourceList>(&*outcome)) {
    co_return listed_resources(std::move(list->entries));
  }
  if (auto* failed = std::get_if<reply::Failed>(&*outcome)) {
    co_return mcp::rpc_error(internal_error, std::move(failed->message));
  }
  co_return mcp::rpc_error(internal_error, std::string(unexpected_reply_text));
}

asio::awaitable<mcp::Result<Json>> read_resource(const McpServer& server, Json params) {
  if (server.library_mode()) {
    co_return mcp::rpc_error(resource_not_found, "This server has no resources.");
  }
  const mcp_bridge::BridgeClient* bridge = server.bridge();
  if (bridge == nullptr) {
    co_return mcp::rpc_error(internal_error, std::string(bridge_unavailable_text));
  }
  auto read = decode_record<ReadResourceParams>(params);
  if (!read) {
    co_return mcp::rpc_error(invalid_params, "failed to deserialize parameters: " + read.error());
  }
  // The uri goes as sent: the app alone knows which resources exist.
  mcp_bridge::BridgeRequest request{std::nullopt,
                                    mcp_bridge::McpResourceRead{std::move(read->uri)}};
  auto outcome = co_await bridge->call(std::move(request), mcp_bridge::call_time_limit);
  if (!outcome) {
    co_return mcp::rpc_error(internal_error, std::string(app_not_running_text));
  }
  if (auto* resource = std::get_if<reply::Resource>(&*outcome)) {
    co_return read_result(std::move(*resource));
  }
  if (auto* not_found = std::get_if<reply::NotFound>(&*outcome)) {
    co_return mcp::rpc_error(resource_not_found, std::move(not_found->message));
  }
  if (auto* failed = std::get_if<reply::Failed>(&*outcome)) {
    co_return mcp::rpc_error(internal_error, std::move(failed->message));
  }
  co_return mcp::rpc_error(internal_error, std::string(unexpected_reply_text));
}

}  // namespace mcp_server

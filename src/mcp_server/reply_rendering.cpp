#include "mcp_server/reply_rendering.hpp"

#include <string_view>
#include <variant>

#include "mcp_server/value_description.hpp"

namespace mcp_server {
namespace {

namespace reply = mcp_bridge::reply;

// Writes `Name { field: value, ... }`, each value already rendered.
class RecordWriter {
 public:
  explicit RecordWriter(std::string& out, std::string_view name) : out_(out) {
    out_.append(name).append(" {");
  }
  RecordWriter& field(std::string_view name, std::string_view rendered_value) {
    out_.append(first_ ? " " : ", ").append(name).append(": ").append(rendered_value);
    first_ = false;
    return *this;
  }
  RecordWriter& text(std::string_view name, std::string_view value) {
    return field(name, debug_quoted(value));
  }
  void close() { out_.append(" }"); }

 private:
  std::string& out_;
  bool first_ = true;
};

void render_entry(std::string& out, const mcp_bridge::ResourceEntry& entry) {
  RecordWriter(out, "ResourceEntry")
      .text("uri", entry.uri)
      .text("name", entry.name)
      .text("description", entry.description)
      .close();
}

std::string render_entries(const std::vector<mcp_bridge::ResourceEntry>& entries) {
  std::string list = "[";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) {
      list.append(", ");
    }
    render_entry(list, entries[i]);
  }
  list.append("]");
  return list;
}

struct Renderer {
  std::string& out;

  void operator()(const reply::Structured& r) const {
    // Replacement instead of a throw: the value came from a decoded line, but a rendering
    // must never fail.
    RecordWriter(out, "Structured")
        .field("value", r.value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace))
        .close();
  }
  void operator()(const reply::Text& r) const {
    RecordWriter(out, "Text")
        .text("message", r.message)
        .field("is_error", r.is_error ? "true" : "false")
        .close();
  }
  void operator()(const reply::Prompt& r) const {
    RecordWriter(out, "Prompt").text("text", r.text).close();
  }
  void operator()(const reply::Resource& r) const {
    RecordWriter(out, "Resource").text("uri", r.uri).text("text", r.text).close();
  }
  void operator()(const reply::ResourceList& r) const {
    RecordWriter(out, "ResourceList").field("entries", render_entries(r.entries)).close();
  }
  void operator()(const reply::NotFound& r) const {
    RecordWriter(out, "NotFound").text("message", r.message).close();
  }
  void operator()(const reply::Failed& r) const {
    RecordWriter(out, "Failed").text("message", r.message).close();
  }
};

}  // namespace

std::string render_reply(const mcp_bridge::McpReply& reply) {
  std::string out;
  std::visit(Renderer{out}, reply);
  return out;
}

}  // namespace mcp_server

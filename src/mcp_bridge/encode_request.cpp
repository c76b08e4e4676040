#include <exception>
#include <string_view>

#include "mcp_bridge/json_library_message.hpp"
#include "mcp_bridge/wire.hpp"

namespace mcp_bridge {

namespace {

// Writes the line member by member: the app expects the declared order, which a generic JSON
// object (sorted by name) would not keep.
class LineWriter {
 public:
  // Opens the object; the first member then needs no separator.
  LineWriter() : line_("{") {}

  void name(std::string_view member) {
    if (line_.size() > 1) {
      line_ += ',';
    }
    line_ += '"';
    line_ += member;  // member names are fixed ASCII words that need no escaping
    line_ += "\":";
  }
  // Compact, escaped as JSON requires, non-ASCII as plain UTF-8; throws on invalid UTF-8.
  void value(const Json& value) {
    line_ += value.dump(-1, ' ', false, Json::error_handler_t::strict);
  }
  void member(std::string_view member, const Json& v) {
    name(member);
    value(v);
  }
  void raw(std::string_view text) { line_ += text; }

  std::string close() && {
    line_ += '}';
    return std::move(line_);
  }

 private:
  std::string line_;
};

void write_client(LineWriter& out, const ClientIdentity& client) {
  out.name("client");
  LineWriter object;
  object.member("name", client.name);
  if (client.version) {
    object.member("version", *client.version);
  }
  out.raw(std::move(object).close());
}

void write_kind(LineWriter& out, std::string_view tag) {
  out.member("kind", tag);
}

struct KindWriter {
  LineWriter& out;

  void named_args(std::string_view tag, const std::string& name, const Json& args) const {
    write_kind(out, tag);
    out.member("name", name);
    out.member("args", args);
  }
  void operator()(const McpTool& k) const { named_args("mcpTool", k.name, k.args); }
  void operator()(const ReadTool& k) const { named_args("readTool", k.name, k.args); }
  void operator()(const McpPrompt& k) const { named_args("mcpPrompt", k.name, k.args); }
  void operator()(const McpResourceRead& k) const {
    write_kind(out, "mcpResourceRead");
    out.member("uri", k.uri);
  }
  void operator()(const McpResourceList&) const { write_kind(out, "mcpResourceList"); }
  void operator()(const StartImport& k) const {
    write_kind(out, "startImport");
    out.member("filePath", k.file_path);
    if (k.title) {
      out.member("title", *k.title);
    }
  }
};

}  // namespace

tl::expected<std::string, std::string> encode_request(const BridgeRequest& request) {
  try {
    LineWriter out;
    if (request.client) {
      write_client(out, *request.client);
    }
    std::visit(KindWriter{out}, request.kind);
    std::string line = std::move(out).close();
    line += '\n';
    return line;
  } catch (const std::exception& e) {
    return tl::unexpected("cannot encode the request: " + json_library_message(e.what()));
  }
}

}  // namespace mcp_bridge

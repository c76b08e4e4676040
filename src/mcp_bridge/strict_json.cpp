#include "mcp_bridge/strict_json.hpp"

#include <exception>
#include <utility>
#include <vector>

#include "mcp_bridge/json_library_message.hpp"

namespace mcp_bridge {

namespace {

// Builds the tree while nlohmann's parser reads, refusing what the plain DOM parser accepts
// silently: a repeated member (it would keep the last one) and unbounded nesting.
class StrictTreeBuilder final : public nlohmann::json_sax<Json> {
 public:
  bool null() override { return put(nullptr); }
  bool boolean(bool value) override { return put(value); }
  bool number_integer(number_integer_t value) override { return put(value); }
  bool number_unsigned(number_unsigned_t value) override { return put(value); }
  bool number_float(number_float_t value, const string_t&) override { return put(value); }
  bool string(string_t& value) override { return put(std::move(value)); }
  bool binary(binary_t& value) override { return put(Json::binary(std::move(value))); }

  bool start_object(std::size_t) override { return open(Json::object()); }
  bool start_array(std::size_t) override { return open(Json::array()); }
  bool end_object() override { return close(); }
  bool end_array() override { return close(); }

  bool key(string_t& name) override {
    auto& members = open_.back()->get_ref<Json::object_t&>();
    // try_emplace leaves `name` untouched when the member exists, so it can still be reported.
    auto [member, inserted] = members.try_emplace(std::move(name));
    if (!inserted) {
      return fail("duplicate member \"" + member->first + "\"");
    }
    member_slot_ = &member->second;
    return true;
  }

  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override {
    return fail("invalid JSON: " + json_library_message(e.what()));
  }

  Json take_root() { return std::move(root_); }
  const std::string& error() const { return error_; }

 private:
  Json* place(Json value) {
    if (open_.empty()) {
      root_ = std::move(value);
      return &root_;
    }
    Json& parent = *open_.back();
    if (parent.is_array()) {
      auto& elements = parent.get_ref<Json::array_t&>();
      elements.push_back(std::move(value));
      return &elements.back();
    }
    *member_slot_ = std::move(value);
    return member_slot_;
  }

  bool put(Json value) {
    place(std::move(value));
    return true;
  }

  bool open(Json container) {
    if (open_.size() == max_nesting_depth) {
      return fail("nesting deeper than " + std::to_string(max_nesting_depth) + " levels");
    }
    open_.push_back(place(std::move(container)));
    return true;
  }

  bool close() {
    open_.pop_back();
    return true;
  }

  bool fail(std::string message) {
    error_ = std::move(message);
    return false;
  }

  Json root_;
  std::vector<Json*> open_;  // the containers not yet closed, outermost first
  Json* member_slot_ = nullptr;
  std::string error_;
};

}  // namespace

tl::expected<Json, std::string> parse_strict_json(std::string_view text) {
  StrictTreeBuilder builder;
  try {
    if (!Json::sax_parse(text.begin(), text.end(), &builder)) {
      return tl::unexpected(builder.error());
    }
  } catch (const std::exception& e) {
    return tl::unexpected("cannot read JSON: " + json_library_message(e.what()));
  }
  return builder.take_root();
}

tl::expected<Json, std::string> parse_strict_object(std::string_view text, std::string_view what) {
  auto tree = parse_strict_json(text);
  if (tree && !tree->is_object()) {
    return tl::unexpected(std::string(what) + " must be a JSON object, not " + tree->type_name());
  }
  return tree;
}

}  // namespace mcp_bridge

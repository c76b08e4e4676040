#pragma once

#include <ostream>
#include <variant>

#include "mcp_bridge/records.hpp"

// Readable failure output for the bridge records (GoogleTest finds these by argument lookup).
namespace mcp_bridge {

namespace reply {

inline void PrintTo(const McpReply& value, std::ostream* os) {
  auto text = [](const std::string& s) { return Json(s).dump(); };
  struct Printer {
    std::ostream& os;
    decltype(text)& quote;
    void operator()(const Structured& r) const { os << "structured " << r.value.dump(); }
    void operator()(const Text& r) const {
      os << "text " << quote(r.message) << " isError=" << std::boolalpha << r.is_error;
    }
    void operator()(const Prompt& r) const { os << "prompt " << quote(r.text); }
    void operator()(const Resource& r) const {
      os << "resource " << quote(r.uri) << " " << quote(r.text);
    }
    void operator()(const ResourceList& r) const {
      os << "resourceList [";
      for (const auto& e : r.entries) {
        os << " {" << quote(e.uri) << " " << quote(e.name) << " " << quote(e.description) << "}";
      }
      os << " ]";
    }
    void operator()(const NotFound& r) const { os << "notFound " << quote(r.message); }
    void operator()(const Failed& r) const { os << "failed " << quote(r.message); }
  };
  std::visit(Printer{*os, text}, value);
}

}  // namespace reply

inline void PrintTo(const StartImportReply& value, std::ostream* os) {
  *os << "meetingId=" << (value.meeting_id ? Json(*value.meeting_id).dump() : "absent")
      << " rejection=";
  if (!value.rejection) {
    *os << "absent";
    return;
  }
  struct Printer {
    std::ostream& os;
    void operator()(const rejection::Busy&) const { os << "busy"; }
    void operator()(const rejection::ModelsNotReady&) const { os << "modelsNotReady"; }
    void operator()(const rejection::BadFile& r) const { os << "badFile " << Json(r.message); }
    void operator()(const rejection::Unavailable& r) const {
      os << "unavailable " << Json(r.message);
    }
    void operator()(const rejection::Unknown&) const { os << "unknown"; }
  };
  std::visit(Printer{*os}, *value.rejection);
}

}  // namespace mcp_bridge

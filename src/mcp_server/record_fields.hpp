#pragma once

#include <string_view>

namespace mcp_server {

// One entry of a record's field table: the JSON name, the member it fills and its description.
// The member's type decides the field's kind (see field_kinds.hpp).
template <class Record, class Member>
struct Field {
  using RecordType = Record;
  using MemberType = Member;

  std::string_view name;
  Member Record::*member;
  std::string_view description;
};

template <class Record, class Member>
constexpr Field<Record, Member> field(std::string_view name, Member Record::*member,
                                      std::string_view description) {
  return {name, member, description};
}

}  // namespace mcp_server

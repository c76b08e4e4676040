#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace test_support {

// A hand-written JSON file under tests/data, parsed; a missing file fails the calling test.
nlohmann::json read_golden(const std::string& relative_path);

}  // namespace test_support

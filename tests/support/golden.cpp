#include "support/golden.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace test_support {

nlohmann::json read_golden(const std::string& relative_path) {
  std::ifstream file(std::string(VELTU_TEST_DATA_DIR) + "/" + relative_path);
  EXPECT_TRUE(file.good()) << "missing golden file " << relative_path;
  std::stringstream text;
  text << file.rdbuf();
  return nlohmann::json::parse(text.str());
}

}  // namespace test_support

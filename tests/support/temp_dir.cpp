#include "support/temp_dir.hpp"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace test_support {

TempDir::TempDir() {
  std::string pattern = "/tmp/vt-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot create a temporary directory");
  }
  path_ = std::move(pattern);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace test_support

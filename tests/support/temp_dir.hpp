#pragma once

#include <string>

namespace test_support {

// A fresh directory under /tmp, removed with everything in it. Names stay short because a
// Unix socket path inside it must fit a socket address.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace test_support

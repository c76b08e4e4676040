#pragma once

#include <string_view>

namespace veltu_startup {

// Opens each of descriptors 0, 1 and 2 that is closed on /dev/null, so that later reads and
// writes have a valid target.
void reopen_closed_standard_streams();

// A write to a pipe whose reader went away then fails with EPIPE instead of ending the process.
void ignore_broken_pipe();

// Plain text on standard error, outside the log.
void write_to_stderr(std::string_view text);

}  // namespace veltu_startup

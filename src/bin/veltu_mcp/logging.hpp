#pragma once

namespace veltu_startup {

// Colour stays on unless NO_COLOR holds a non-empty UTF-8 value; `no_color` is its value,
// null when unset. Whether standard error is a terminal does not matter.
bool colour_wanted(const char* no_color);

// Makes the process-wide default logger write INFO and above to standard error, one line per
// event: time, level, origin and message.
void install_stderr_log(bool colour);

}  // namespace veltu_startup

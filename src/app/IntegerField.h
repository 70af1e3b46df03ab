#pragma once

#include <string>

namespace dax {

// An edit control that holds an integer within a range, read as the toolkit's field exchange
// reads it. Empty result: `value` holds the number; otherwise the message to show.
std::string ReadIntegerField(const std::string& text, int lower, int upper, int& value);

} // namespace dax

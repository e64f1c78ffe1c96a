#pragma once
#include <cstdint>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>

namespace qv::textio {

// The game's own files are one value per line, without keys. Numbers parse the
// way the standard conversions do: leading blanks, optional sign, digits, and
// anything after the number ignored; a line that does not start with a number
// throws, and the readers catch it, log it and keep what was read so far.
struct ParseError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

int toInt(const std::string& line);        // like std::stoi
long long toLongLong(const std::string& line);
float toFloat(const std::string& line);    // like std::stof (rejects inf/nan overflow)
double toDouble(const std::string& line);

// "%f" (six decimals) and the stream's default form (six significant digits).
std::string fixed6(double v);
std::string streamDefault(double v);

// Reads one line without its "\n" (and a trailing "\r" from files edited on Windows).
bool readLine(std::istream& in, std::string& line);

}  // namespace qv::textio

#include "core/text_io.hpp"

#include <cmath>
#include <cstdio>
#include <sstream>

namespace qv::textio {

int toInt(const std::string& line) {
  try {
    return std::stoi(line);
  } catch (const std::exception& e) {
    throw ParseError(std::string("stoi: ") + e.what());
  }
}

long long toLongLong(const std::string& line) {
  try {
    return std::stoll(line);
  } catch (const std::exception& e) {
    throw ParseError(std::string("stoll: ") + e.what());
  }
}

float toFloat(const std::string& line) {
  float v;
  try {
    v = std::stof(line);
  } catch (const std::exception& e) {
    throw ParseError(std::string("stof: ") + e.what());
  }
  // A NaN or infinity in a file can only be damage; letting it into the world
  // would poison every comparison downstream.
  if (!std::isfinite(v)) throw ParseError("stof: not a finite number");
  return v;
}

double toDouble(const std::string& line) {
  double v;
  try {
    v = std::stod(line);
  } catch (const std::exception& e) {
    throw ParseError(std::string("stod: ") + e.what());
  }
  if (!std::isfinite(v)) throw ParseError("stod: not a finite number");
  return v;
}

std::string fixed6(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%f", v);
  return buf;
}

std::string streamDefault(double v) {
  std::ostringstream os;
  os << v;
  return os.str();
}

bool readLine(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace qv::textio

#include "config_values.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace mae::check {

using Kind = ConfigValue::Kind;

std::string Shortest(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

Problem Expected(const ConfigValue& v, const std::string& what) {
  return Problem::Setup(v.where + ": expected " + what + ", not " + ConfigKindWords(v.kind));
}

Problem Number(const ConfigValue& v, double low, double high, double* out) {
  if (v.kind != Kind::kInteger && v.kind != Kind::kFloat) {
    return Expected(v, "a number");
  }
  if (!(v.number >= low && v.number <= high)) {  // a NaN is out of range too
    const std::string range =
        std::isinf(high) ? "at least " + Shortest(low) : Shortest(low) + " to " + Shortest(high);
    return Problem::Setup(v.where + ": " + Shortest(v.number) + " is out of range (" + range + ")");
  }
  *out = v.number;
  return Problem::None();
}

Problem Whole(const ConfigValue& v, std::int64_t low, std::int64_t high, std::int64_t* out) {
  if (v.kind != Kind::kInteger) {
    return Expected(v, "a whole number");
  }
  if (v.integer < low || v.integer > high) {
    return Problem::Setup(v.where + ": " + std::to_string(v.integer) + " is out of range (" +
                          std::to_string(low) + " to " + std::to_string(high) + ")");
  }
  *out = v.integer;
  return Problem::None();
}

Problem Text(const ConfigValue& v, std::string* out) {
  if (v.kind != Kind::kString) {
    return Expected(v, "a string");
  }
  *out = v.text;
  return Problem::None();
}

// A file name, or a relative path below a folder: not absolute, no empty,
// "." or ".." part, no NUL.
Problem RelativePath(const ConfigValue& v, std::string* out) {
  const Problem problem = Text(v, out);
  if (problem) {
    return problem;
  }
  bool bad = out->empty() || out->find('\0') != std::string::npos;
  for (std::size_t start = 0; !bad && start <= out->size();) {
    const std::size_t slash = std::min(out->find('/', start), out->size());
    const std::string part = out->substr(start, slash - start);
    bad = part.empty() || part == "." || part == "..";
    start = slash + 1;
  }
  return bad ? Problem::Setup(v.where + ": '" + *out + "' is not a path inside the folder")
             : Problem::None();
}

// An output's name: one file name, as outputs are looked for by name.
Problem FileName(const ConfigValue& v, std::string* out) {
  const Problem problem = RelativePath(v, out);
  if (!problem && out->find('/') != std::string::npos) {
    return Problem::Setup(v.where + ": '" + *out + "' is not a file name (no '/')");
  }
  return problem;
}

Problem Flag(const ConfigValue& v, bool* out) {
  if (v.kind != Kind::kBool) {
    return Expected(v, "true or false");
  }
  *out = v.boolean;
  return Problem::None();
}

Problem Rectangles(const ConfigValue& v, std::vector<PixelRect>* out) {
  if (v.kind != Kind::kArray) {
    return Expected(v, "an array of [x, y, width, height] rectangles");
  }
  out->clear();
  for (const ConfigValue& rect : v.array) {
    if (rect.kind != Kind::kArray || rect.array.size() != 4) {
      return Problem::Setup(rect.where + ": expected a rectangle [x, y, width, height]");
    }
    std::int64_t n[4] = {};
    for (std::size_t i = 0; i < 4; ++i) {
      const Problem problem = Whole(rect.array[i], i < 2 ? 0 : 1, kMostSide, &n[i]);
      if (problem) {
        return problem;
      }
    }
    if (n[0] + n[2] > kMostSide || n[1] + n[3] > kMostSide) {
      return Problem::Setup(rect.where + ": the rectangle reaches past 2^31 - 1");
    }
    out->push_back({static_cast<std::uint32_t>(n[0]), static_cast<std::uint32_t>(n[1]),
                    static_cast<std::uint32_t>(n[2]), static_cast<std::uint32_t>(n[3])});
  }
  return Problem::None();
}

}  // namespace mae::check

#include "web_page.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "base64.h"
#include "exercise_toml.h"
#include "exit_status.h"
#include "file_names.h"
#include "messages.h"
#include "number_text.h"
#include "print_exercise.h"
#include "web_page_html.h"
#include "write_outputs.h"

namespace mae::check {

#ifdef __EMSCRIPTEN__

int WriteWebPage(const CheckOptions&) {
  Say(Problem::Usage("--web-page is the command line's: the web page writes no page"));
  return kExitTrouble;
}

#else

namespace {

using Json = nlohmann::ordered_json;

// A regular file's bytes, or nothing when it is not one or cannot be read.
std::optional<std::string> Bytes(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return in ? std::optional<std::string>(std::move(bytes)) : std::nullopt;
}

// The core: the file MAE_WEB_CORE names when it is set, else where the
// build made it, else where it is installed.
std::optional<std::string> CoreScript() {
  if (const char* given = std::getenv("MAE_WEB_CORE")) {
    return Bytes(given);
  }
  for (const char* path : {MAE_WEB_CORE_BUILT, MAE_WEB_CORE_INSTALLED}) {
    if (path != nullptr && *path != '\0') {
      if (auto bytes = Bytes(path)) {
        return bytes;
      }
    }
  }
  return std::nullopt;
}

std::string BaseName(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

// The input pictures the page holds, each under a name of its own in
// /page/inputs: the name it is given, or, where another picture has that
// name, the same after "2-", "3-"... A picture given twice is held once.
class PageInputs {
 public:
  // The page's path of the picture at `path`, named `name`; "" and a
  // problem when it cannot be read.
  std::string Add(const std::string& path, const std::string& name, Problem* problem) {
    if (const auto known = keys_.find(path); known != keys_.end()) {
      return "/page/inputs/" + known->second;
    }
    const std::optional<std::string> bytes = Bytes(path);
    if (!bytes) {
      *problem = Problem::Setup("input picture " + path + " cannot be read");
      return {};
    }
    std::string key = name;
    for (int n = 2; json_.contains(key); ++n) {
      key = std::to_string(n) + "-" + name;
    }
    json_[key] = Base64(*bytes);
    keys_[path] = key;
    return "/page/inputs/" + key;
  }
  const Json& json() const { return json_; }

 private:
  Json json_ = Json::object();
  std::map<std::string, std::string> keys_;
};

// The command line's rule options, for the ten built-in cases: the page
// gives them to every check, so that its JSON is the command line's.
Json BuiltInArgs(const CheckOptions& o, PageInputs* inputs, Problem* problem) {
  const CaseRules& r = o.rules;
  Json args = Json::array();
  const auto add = [&args](const char* option, const std::string& value) {
    args.push_back(option);
    args.push_back(value);
  };
  if (r.max_given) {
    add("--max", ShortestText(r.default_max));
  }
  for (const CaseRules::Pattern& p : r.max_patterns) {
    add("--max", p.glob + "=" + ShortestText(p.value));
  }
  if (r.points_given) {
    add("--points", ShortestText(r.default_points));
  }
  for (const CaseRules::Pattern& p : r.point_patterns) {
    add("--points", p.glob + "=" + ShortestText(p.value));
  }
  if (r.max_difference) {
    add("--max-difference", std::to_string(*r.max_difference));
  }
  if (r.border_given) {
    add("--border", std::to_string(r.border));
  }
  if (!r.default_input.empty()) {
    add("--input", inputs->Add(r.default_input, BaseName(r.default_input), problem));
  }
  for (const CaseRules::InputPattern& p : r.input_patterns) {
    add("--input", p.glob + "=" + inputs->Add(p.path, BaseName(p.path), problem));
  }
  if (r.strict) {
    args.push_back("--strict");
  }
  return args;
}

}  // namespace

int WriteWebPage(const CheckOptions& o) {
  const std::optional<std::string> core = CoreScript();
  if (!core) {
    Say(Problem::Setup(
        "--web-page needs mae-check's WebAssembly core (mae-check-web.js), which this "
        "installation lacks: build mae-check where Debian's emscripten is installed (and "
        "scripts/web_deps.sh has fetched its libraries' sources), then install it"));
    return kExitTrouble;
  }
  // The ten built-in cases, whatever --ans holds (not one case a picture).
  CheckOptions in_force = o;
  if (in_force.operands.empty()) {
    in_force.operands = {"."};
  }
  Exercise exercise;
  ExerciseCase defaults;
  Problem problem = ExerciseInForce(in_force, &exercise, &defaults);
  if (problem) {
    Say(problem);
    return kExitTrouble;
  }
  const bool built_in = !o.rules.exercise;
  const std::string dir = o.operands.empty() ? "." : o.operands[0];
  const std::string refs = o.ans_folder.value_or(JoinPath(dir, "ANS"));
  Json data;
  PageInputs inputs;
  Json args = built_in ? BuiltInArgs(o, &inputs, &problem)
                       : Json::array({"--exercise", "/page/exercise.toml", "--ans", "ANS"});
  if (!o.diagnose) {
    args.push_back("--no-diagnosis");
  }
  Json references = Json::object();
  Json cases = Json::array();
  for (const ExerciseCase& c : exercise.cases) {
    cases.push_back(Json{{"name", c.name}, {"reference", c.reference}});
    if (built_in || c.visibility == Visibility::kVisible) {
      if (auto bytes = Bytes(JoinPath(refs, c.reference))) {
        references[c.reference] = Base64(*bytes);
      }
    }
    if (!built_in && !c.input.empty() && !problem) {
      // Under its own name: the exercise names it in /page/inputs.
      const std::string path =
          JoinPath(InExerciseFolder(*o.rules.exercise, o.rules.exercise->inputs), c.input);
      inputs.Add(path, c.input, &problem);
    }
  }
  if (problem) {
    Say(problem);
    return kExitTrouble;
  }
  exercise.references = "ANS";
  exercise.inputs = "/page/inputs";
  data["args"] = args;
  data["exercise"] = built_in ? Json(nullptr) : Json(ExerciseToml(exercise, defaults));
  data["cases"] = cases;
  data["references"] = references;
  data["inputs"] = inputs.json();
  WebPageParts parts;
  parts.title = exercise.title;
  parts.version = MAE_VERSION;
  parts.rules = built_in ? "The ten cases of the blur and Sobel exercise (Blur1.bmp \u2026 "
                           "Sobel5.bmp); a case passes when its MAE is at most its threshold."
                         : "The " + std::to_string(exercise.cases.size()) +
                               " cases of this exercise, each held to its own rules.";
  parts.core_script = *core;
  if (parts.core_script.find("</script") != std::string::npos) {
    Say(Problem::Setup("the WebAssembly core holds \"</script\": it cannot go inline"));
    return kExitTrouble;
  }
  parts.data_json = data.dump(-1, ' ', false, Json::error_handler_t::replace);
  problem = WriteOutput(o.web_page, WebPageHtml(parts));
  if (problem) {
    Say(problem);
    return kExitTrouble;
  }
  return kExitAllPass;
}

#endif  // __EMSCRIPTEN__

}  // namespace mae::check

// The exercise file's three descriptions kept in step: the reader, the
// writer (--print-exercise) and the JSON Schema installed with the docs.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "exercise.h"
#include "exercise_toml.h"

namespace {

using namespace mae::check;
using Json = nlohmann::json;

Json Schema() {
  std::ifstream in(std::string(MAE_DOCS_DIR) + "/exercise.schema.json");
  return Json::parse(in);
}

// An exercise with every key the model has, each away from its default.
constexpr const char* kFull = R"(title = "Point operations"
references = "ANS"
inputs = "in"

[[case]]
name = "Gray"
output = ["gray.bmp", "grey.bmp"]
reference = "gray.png"
input = "lena.bmp"
points = 2
visibility = "after_due_date"
mae = 0.5
rmse = 2.5
max_difference = 8
differing_percent = 1.5
tolerance = 2
psnr = 40
ssim = 0.98
border = 1
ignore = [[10, 10, 40, 20], [0, 1, 2, 3]]
strict = true
diagnoses = false
pass_message = "Well done."
fail_message = "See the \"median\" notes."
)";

TEST(ExerciseSchema, TheReaderTheWriterAndTheSchemaAgree) {
  const Json schema = Schema();
  std::set<std::string> known;
  for (const Json* properties : {&schema["properties"], &schema["$defs"]["case"]["properties"],
                                 &schema["$defs"]["rules"]["properties"]}) {
    for (const auto& [key, value] : properties->items()) {
      known.insert(key);
    }
  }
  // Every rule the schema lists is read, in a case and in [defaults],
  // with the schema's own example.
  for (const auto& [key, rule] : schema["$defs"]["rules"]["properties"].items()) {
    for (const bool in_defaults : {false, true}) {
      Json doc = {{"references", "ANS"}, {"case", {{{"name", "A"}}}}};
      (in_defaults ? doc["defaults"] : doc["case"][0])[key] = rule["examples"][0];
      Exercise e;
      const Problem problem = ParseExercise(doc.dump(), "x.json", true, &e);
      EXPECT_FALSE(problem) << key << ": " << problem.words();
    }
  }
  // What the writer writes of a full exercise reads back as it, every key
  // of it in the schema.
  Exercise full;
  ASSERT_FALSE(ParseExercise(kFull, "full.toml", false, &full));
  const std::string written = ExerciseToml(full, ExerciseCase());
  Exercise again;
  const Problem problem = ParseExercise(written, "again.toml", false, &again);
  ASSERT_FALSE(problem) << problem.words() << "\n" << written;
  EXPECT_EQ(ExerciseToml(again, ExerciseCase()), written);
  std::size_t keys = 0;
  for (std::size_t at = 0; at < written.size(); at = written.find('\n', at) + 1) {
    const std::size_t equals = written.find(" = ", at);
    if (equals != std::string::npos && equals < written.find('\n', at)) {
      EXPECT_EQ(known.count(written.substr(at, equals - at)), 1u)
          << written.substr(at, equals - at);
      ++keys;
    }
  }
  EXPECT_EQ(keys, 22u) << written;  // 3 of the exercise, 19 of its case
  Exercise unknown;
  EXPECT_TRUE(ParseExercise(R"({"case": [{"name": "A", "colour": 1}]})", "x.json", true, &unknown));
}

}  // namespace

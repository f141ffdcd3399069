// mae-check's text layer: base64, SHA-256, HTML text, names and numbers.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base64.h"
#include "digest.h"
#include "file_names.h"
#include "html_text.h"
#include "number_text.h"
#include "problem.h"
#include "student_names.h"

namespace {

using namespace mae::check;

TEST(Text, Base64AndHtml) {
  // RFC 4648's test vectors.
  const std::pair<const char*, const char*> vectors[] = {{"", ""},
                                                         {"f", "Zg=="},
                                                         {"fo", "Zm8="},
                                                         {"foo", "Zm9v"},
                                                         {"foob", "Zm9vYg=="},
                                                         {"fooba", "Zm9vYmE="},
                                                         {"foobar", "Zm9vYmFy"}};
  for (const auto& [in, out] : vectors) {
    EXPECT_EQ(Base64(in), out);
    EXPECT_EQ(PortableBase64(in), out);
  }
  // The web page's encoder against libcrypto's, every length to 3 x 100
  // and every byte value.
  std::string bytes;
  for (int i = 0; i < 300; ++i) {
    bytes += static_cast<char>(i * 89 % 256);
    ASSERT_EQ(PortableBase64(bytes), Base64(bytes)) << i;
  }
  // SHA-256 as a page's policy names a script (FIPS 180-2's vectors).
  EXPECT_EQ(Sha256Base64(""), "47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=");
  EXPECT_EQ(Sha256Base64("abc"), "ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=");
  EXPECT_EQ(EscapeHtml("<a href=\"x\">Tom & 'Jerry'</a>"),
            "&lt;a href=&quot;x&quot;&gt;Tom &amp; &#39;Jerry&#39;&lt;/a&gt;");
}

TEST(Text, FileNamesAreOnePathComponentAndUniqueInARun) {
  const std::pair<const char*, const char*> names[] = {
      {"ann", "ann"},         {"smith/jones", "smith%2Fjones"},
      {"../ta", "%2E.%2Fta"}, {".x", "%2Ex"},
      {"..", "%2E."},         {"50%", "50%25"},
      {"#x", "#x"},           {"Jos\xc3\xa9", "Jos\xc3\xa9"},
  };
  for (const auto& [name, file] : names) {
    EXPECT_EQ(FileNameFor(name), file);
    EXPECT_TRUE(IsOneComponent(FileNameFor(name)));
  }
  EXPECT_EQ(FileNameFor(std::string("a\0b", 3)), "a%00b");
  const std::string long_name(250, 'a');
  const std::string shortened = FileNameFor(long_name);
  ASSERT_EQ(shortened.size(), 200u);
  EXPECT_EQ(UniqueFileNames({long_name, shortened}),
            (std::vector<std::string>{shortened + "~2", shortened}));
  EXPECT_EQ(CodePointsEscaped("Jose\xcc\x81 Jos\xc3\xa9 \xf0\x9f\x98\x80"),
            "Jose\\u0301 Jos\\u00e9 \\U0001f600");
}

// The shortest text that reads back as the same double: whole numbers
// without an exponent below 10^15, the rest with the fewest digits.
TEST(Text, JoinPathShowsPathsAsTheyAreGiven) {
  const struct {
    const char* folder;
    const char* name;
    const char* path;
  } rows[] = {{"", "a.bmp", "a.bmp"},
              {".", "a.bmp", "a.bmp"},
              {"d", "a.bmp", "d/a.bmp"},
              {"d/", "a.bmp", "d/a.bmp"},
              {"/", "a.bmp", "/a.bmp"},
              {"./d", "a", "./d/a"},
              {".", "", "."},
              {"", "", "."},
              {"d/e", "", "d/e"}};
  for (const auto& row : rows) {
    EXPECT_EQ(JoinPath(row.folder, row.name), row.path) << row.folder << " + " << row.name;
  }
}

TEST(Text, ShortestTextReadsBackAsTheSameNumber) {
  const std::pair<double, const char*> rows[] = {
      {10, "10"}, {-2.5, "-2.5"}, {0.1, "0.1"}, {1.0 / 3, "0.3333333333333333"}, {1e20, "1e+20"}};
  for (const auto& [value, text] : rows) {
    EXPECT_EQ(ShortestText(value), text) << value;
  }
}

TEST(Text, AProblemTestsTrueAndKeepsItsKindThroughItsPlace) {
  EXPECT_FALSE(Problem::None());
  EXPECT_FALSE(Problem::None().After("a.png: "));
  const Problem problem = Problem::Write("No space left on device").After("cannot write a.png: ");
  ASSERT_TRUE(problem);
  EXPECT_EQ(problem.kind(), ProblemKind::kWrite);
  EXPECT_EQ(problem.words(), "cannot write a.png: No space left on device");
  Problems problems;
  problems.Add(Problem::None());
  EXPECT_FALSE(problems);
  problems.Add(Problem::Usage("first"));
  Problems more;
  more.Add(Problem::Setup("second"));
  problems.Add(std::move(more));
  ASSERT_EQ(problems.list().size(), 2u);
  EXPECT_EQ(problems.list()[1].words(), "second");
}

}  // namespace

// mae-check's files layer: what it writes, and the list of it kept in each
// output folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "testkit/bmp_bytes.h"
#include "testkit/temp_dir.h"
#include "written_files.h"

namespace {

using namespace mae::check;

// The list of files written: an entry is on it before its file is written,
// and no entry, whatever an earlier list says, removes a file outside the
// folder or through a link.
TEST(Files, TheWrittenListNeverLeadsOutOfItsFolder) {
  bmptest::TempDir d;
  const std::string folder = d / "out";
  std::filesystem::create_directories(folder + "/sub");
  bmptest::WriteFile(d / "victim.txt", {'v'});
  bmptest::WriteFile(folder + "/real.txt", {'r'});
  ASSERT_EQ(::symlink("real.txt", (folder + "/link.png").c_str()), 0);
  bmptest::WriteFile(folder + "/stale.png", {'s'});
  const std::string old = "# list\n../victim.txt\nsub/../../victim.txt\nlink.png\nstale.png\n";
  bmptest::WriteFile(folder + "/.mae-check-files", bmptest::Bytes(old.begin(), old.end()));
  WrittenFiles list(folder);
  EXPECT_TRUE(list.Add(folder + "/../victim.txt"));
  EXPECT_FALSE(list.Add(folder + "/#x.json"));
  const std::vector<std::string> listed = ListedPaths(folder);  // before Finish
  EXPECT_NE(std::find(listed.begin(), listed.end(), "#x.json"), listed.end());
  EXPECT_FALSE(list.Finish(true));
  EXPECT_TRUE(std::filesystem::exists(d / "victim.txt"));
  EXPECT_TRUE(std::filesystem::is_symlink(folder + "/link.png"));
  EXPECT_FALSE(std::filesystem::exists(folder + "/stale.png"));
  const bmptest::Bytes text = bmptest::ReadFile(folder + "/.mae-check-files");
  const std::string lines(text.begin(), text.end());
  EXPECT_NE(lines.find("\n%23x.json\n"), std::string::npos) << lines;
  EXPECT_EQ(ListedPaths(folder), (std::vector<std::string>{"#x.json"}));
}

}  // namespace

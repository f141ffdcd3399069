// Times whole processes on the same image pairs: MAE against cmp, cat and,
// when installed, ImageMagick and GraphicsMagick; reports medians, each
// tool's time relative to MAE's, MAE's peak memory, and checks that MAE's
// result agrees with ImageMagick's and GraphicsMagick's.
//
//   compare_tools MAE_PATH [SIZE...]      (default sizes: 512 4096 8192)
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "pairs.h"
#include "testkit/bmp_bytes.h"
#include "testkit/run_process.h"
#include "testkit/temp_dir.h"
#include "timing.h"

namespace {

using bench::RunOnce;
using bench::Time;
using bench::Timing;

// Standard output and error of one run, together.
std::string Output(const std::vector<std::string>& args) {
  const bmptest::RunResult r = bmptest::Run(args[0], {args.begin() + 1, args.end()});
  return r.out + r.err;
}

// The full path of `command` when it is installed and its version text
// mentions `brand` (a stand-in of the same name does not count); else "".
std::string Find(const std::string& command, const std::string& version_flag,
                 const std::string& brand) {
  for (const char* dir : {"/usr/local/bin/", "/usr/bin/", "/bin/"}) {
    const std::string path = dir + command;
    if (::access(path.c_str(), X_OK) == 0) {
      return Output({path, version_flag}).find(brand) != std::string::npos ? path : "";
    }
  }
  return "";
}

bmptest::Bytes PolicyXml() {
  const std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<policymap>\n"
      "  <policy domain=\"resource\" name=\"memory\" value=\"8GiB\"/>\n"
      "  <policy domain=\"resource\" name=\"map\" value=\"8GiB\"/>\n"
      "  <policy domain=\"resource\" name=\"disk\" value=\"16GiB\"/>\n"
      "  <policy domain=\"resource\" name=\"area\" value=\"1GP\"/>\n</policymap>\n";
  return bmptest::Bytes(text.begin(), text.end());
}

std::string Format6(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (WritePairIfAsked(argc, argv)) {
    return 0;
  }
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s MAE_PATH [SIZE...]\n", argv[0]);
    return 2;
  }
  const std::string mae = std::filesystem::absolute(argv[1]).string();
  const std::vector<std::uint32_t> sizes = Sizes(argc, argv, 2, {512, 4096, 8192});
  const std::string compare = Find("compare", "-version", "ImageMagick");
  const std::string gm = Find("gm", "version", "GraphicsMagick");
  const std::string cmp = Find("cmp", "--version", "diffutils");
  const std::string cat = Find("cat", "--version", "coreutils");
  const bool magick = !compare.empty();
  const bool graphics = !gm.empty();
  if (cmp.empty() || cat.empty()) {
    std::fprintf(stderr, "cmp (diffutils) and cat (coreutils) are needed\n");
    return 1;
  }
  if (!magick) {
    std::printf("note: ImageMagick not installed, skipped (apt-get install imagemagick)\n");
  }
  if (!graphics) {
    std::printf("note: GraphicsMagick not installed, skipped (apt-get install graphicsmagick)\n");
  }

  bmptest::TempDir dir;
  bool all_agree = true;
  if (magick) {
    // Debian's ImageMagick policy caps its pixel cache at 1 GiB of disk,
    // which refuses an 8192 x 8192 pair; give it room for these runs.
    std::filesystem::create_directories(dir / "magick");
    bmptest::WriteFile(dir / "magick/policy.xml", PolicyXml());
    ::setenv("MAGICK_CONFIGURE_PATH", (dir / "magick").c_str(), 1);
  }
  // What any child shows as peak memory before it does anything: the
  // launcher's share, counted in every row.
  double floor_mib = 0;
  Time({"/bin/true"}, 3);
  RunOnce({"/bin/true"}, &floor_mib);
  std::printf("peak RSS of /bin/true started the same way: %.1f MiB (included in every row)\n",
              floor_mib);
  std::printf("\n| pair | command | median ms | time / MAE | peak RSS MiB |\n");
  std::printf("|---|---|---:|---:|---:|\n");
  for (const std::uint32_t n : sizes) {
    const std::string folder = dir / std::to_string(n);
    if (!WritePairInChild(folder, n)) {
      std::fprintf(stderr, "cannot write the %u pair\n", n);
      return 1;
    }
    const std::string a = folder + "/A.bmp";
    const std::string a2 = folder + "/A2.bmp";
    const std::string b = folder + "/B.bmp";
    const int runs = n <= 1024 ? 31 : (n <= 4096 ? 11 : 7);
    const int slow_runs = n <= 1024 ? 11 : 3;  // the image tools take seconds on large pairs

    struct Row {
      std::string label;
      std::vector<std::string> args;
      int runs;
    };
    std::vector<Row> rows = {
        {"MAE A B", {mae, a, b}, runs},
        {"cmp A A2", {cmp, a, a2}, runs},
        {"cat A B", {cat, a, b}, runs},
    };
    if (magick) {
      rows.push_back(
          {"compare -metric MAE A B null:", {compare, "-metric", "MAE", a, b, "null:"}, slow_runs});
    }
    if (graphics) {
      rows.push_back(
          {"gm compare -metric mae A B", {gm, "compare", "-metric", "mae", a, b}, slow_runs});
    }
    double mae_ms = 0;
    for (const Row& row : rows) {
      const Timing t = Time(row.args, row.runs);
      if (row.args[0] == mae) {
        mae_ms = t.median_ms;
        // MAE maps both files: their pages in the page cache count in its
        // peak resident size, though it allocates none of them.
        const double files_mib =
            2.0 * static_cast<double>(std::uint64_t{n} * n * 3 + 54) / (1024.0 * 1024.0);
        std::printf("| %ux%u | %s | %.1f | 1.00 | %.1f (files mapped: %.1f) |\n", n, n,
                    row.label.c_str(), t.median_ms, t.peak_rss_mib, files_mib);
      } else {
        std::printf("| %ux%u | %s | %.1f | %.2f | %.1f |\n", n, n, row.label.c_str(), t.median_ms,
                    t.median_ms / mae_ms, t.peak_rss_mib);
      }
      std::fflush(stdout);
    }

    // MAE's result against the image tools' normalised MAE x 255, compared
    // as MAE prints it (six significant digits).
    const std::string ours = Output({mae, a, b});
    const std::string value = ours.substr(ours.rfind("= ") + 2, ours.size() - ours.rfind("= ") - 3);
    if (magick) {
      const std::string text =
          Output({compare, "-precision", "17", "-metric", "MAE", a, b, "null:"});
      const double normalised = std::strtod(text.c_str() + text.find('(') + 1, nullptr);
      const std::string theirs = Format6(normalised * 255);
      std::printf("check %ux%u: MAE %s, ImageMagick %s: %s\n", n, n, value.c_str(), theirs.c_str(),
                  theirs == value ? "agree" : "DISAGREE");
      all_agree = all_agree && theirs == value;
    }
    if (graphics) {
      const std::string text = Output({gm, "compare", "-metric", "mae", a, b});
      const std::size_t total = text.find("Total:");
      const double normalised = std::strtod(text.c_str() + total + 6, nullptr);
      const std::string theirs = Format6(normalised * 255);
      const bool agree = theirs == value;
      std::printf("check %ux%u: MAE %s, GraphicsMagick %s: %s\n", n, n, value.c_str(),
                  theirs.c_str(), agree ? "agree" : "DISAGREE");
      all_agree = all_agree && agree;
    }
    std::filesystem::remove_all(folder);
  }
  return all_agree ? 0 : 1;
}

#include "closer_look.h"

#include "case_pictures.h"
#include "diagnosis.h"
#include "picture.h"
#include "sigbus_guard.h"

namespace mae::check {

namespace {

// A failing case's two images, looked at in place where they are mapped:
// what looks wrong, and the hash of the output's pixels. Runs inside
// RunCatchingSigbus, so it owns nothing that needs a destructor.
struct CloserLook {
  ImageView output;
  ImageView reference;
  double mae;
  unsigned largest;
  bool diagnose;
  bool hash;
  Findings findings;
  std::uint64_t output_hash;
};

void LookInPlace(void* context) {
  CloserLook& look = *static_cast<CloserLook*>(context);
  if (look.diagnose) {
    FindMistakes(look.output, look.reference, look.mae, look.largest, &look.findings);
  }
  if (look.hash) {
    look.output_hash = PixelHash(look.output);
  }
}

}  // namespace

void LookCloser(bool diagnose, bool hash, const ImageView& output, const ImageView& reference,
                CaseResult* r) {
  if (output.pixels == nullptr || reference.pixels == nullptr) {
    return;  // not mapped: nothing to say
  }
  CloserLook look{output,   reference, r->comparison.mae(), r->comparison.max_difference,
                  diagnose, hash,      Findings(),          0};
  if (RunCatchingSigbus(LookInPlace, &look) != nullptr) {
    return;  // a file shrank meanwhile: nothing to say
  }
  if (diagnose) {
    r->diagnosis = Describe(look.findings);
  }
  if (hash) {
    r->output_hash = look.output_hash;
  }
}

std::optional<double> ComparedSsim(const Comparison& c, std::uint32_t border, const BmpFile& output,
                                   const BmpFile& reference, const std::vector<PixelRect>& same) {
  if (c.state != CompareState::kCompared || c.width < kSsimWindow || c.height < kSsimWindow) {
    return std::nullopt;
  }
  // Both areas are their files' lower-left corners: from the top, they
  // start height - border - compared rows down.
  const auto area = [&](const BmpFile& file) {
    const auto w = static_cast<std::uint32_t>(c.width);
    const auto h = static_cast<std::uint32_t>(c.height);
    return ReadPicture(file, border, file.header().height - border - h, w, h, 1);
  };
  const Picture out = area(output);
  const Picture ref = area(reference);
  if (out.empty() || ref.empty()) {
    return std::nullopt;
  }
  // Top row first and red first: the mean SSIM is the same either way.
  const auto view = [](const Picture& p) { return ImageView{p.rgb.data(), p.width, p.height, 0}; };
  return Ssim(view(out), view(ref), same);
}

}  // namespace mae::check

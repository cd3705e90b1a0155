#include "cli/cli_frames.h"

#include <algorithm>
#include <cstdio>

namespace morvane::cli {
namespace {

Failure NoMemory(std::string_view what) {
  return {kExitOutput, "out of memory while " + std::string(what)};
}

std::optional<Failure> Checked(const AddResult& added) {
  if (!added.Added()) return NoMemory("deriving frames");
  if (added.status == FrameStatus::kReductionFailed) return NoMemory("reducing colours");
  return std::nullopt;
}

long long Area(const CDib& image) {
  return static_cast<long long>(image.GetWidth()) * image.GetHeight();
}

// True when a is a better source than b: larger, or as large and of a richer format.
bool Richer(const CDib& a, ColorFormat fa, const SourceImage& b) {
  if (Area(a) != Area(*b.image)) return Area(a) > Area(*b.image);
  return BitsOf(fa) > BitsOf(b.format);
}

// The source as a frame of the document: as it is when it fits, else resampled to 256.
std::optional<Failure> AddSourceFrame(const SourceImage& source, IconDocument& target) {
  const CDib& image = *source.image;
  const int side = IconDocument::kMaxFrameSide;
  if (image.GetWidth() > side || image.GetHeight() > side) {
    return Checked(target.AddFrame(side, side, source.format, &image, true));
  }
  CDib copy;
  if (!image.CopyTo(copy)) return NoMemory("copying the source image");
  const AddResult added = target.AdoptFrame(std::move(copy), source.format);
  if (!added.Added()) return NoMemory("copying the source image");
  target.SelectFrame(added.index);
  return std::nullopt;
}

}  // namespace

std::optional<Failure> LoadInputs(const std::vector<std::filesystem::path>& paths, int group,
                                  LoadedInputs& inputs) {
  for (const std::filesystem::path& path : paths) {
    ReadResult read = ReadFrames(path, group);
    if (read.failure) return read.failure;
    OpenOutcome& outcome = read.outcome;
    if (outcome.skipped > 0) {
      std::fprintf(stderr, "morvane-cli: %s: %d image(s) could not be read and are left out\n",
                   path.string().c_str(), outcome.skipped);
    }
    if (outcome.action == OpenAction::kImportPicture) {
      inputs.large.push_back({path, std::move(outcome.picture), outcome.pictureDepth});
      continue;
    }
    // Each input is read whole and appended, as the editor's "append" does; what no longer
    // fits would be lost without a word, so it is refused instead.
    const std::size_t readCount = outcome.frames.size();
    outcome.append = inputs.document.Count() > 0;
    const ApplyResult applied = ApplyOpenOutcome(outcome, inputs.document);
    if (static_cast<std::size_t>(applied.added) < readCount) {
      return Failure{kExitInput, Describe(path,
                                          "brings the images to more than the 256 an "
                                          "icon object holds")};
    }
  }
  return std::nullopt;
}

std::optional<SourceImage> RichestImage(const LoadedInputs& inputs) {
  std::optional<SourceImage> best;
  auto consider = [&best](const CDib& image, ColorFormat format) {
    if (!best || Richer(image, format, *best)) best = SourceImage{&image, format};
  };
  const IconDocument& document = inputs.document;
  for (int i = 0; i < document.Count(); ++i) {
    consider(document.Frame(i).image, document.Frame(i).format);
  }
  for (const LargePicture& picture : inputs.large) {
    consider(picture.image,
             ColorFormatFromBits(picture.depth).value_or(ColorFormat::kTrueColorAlpha));
  }
  return best;
}

std::optional<Failure> DeriveFrames(const LoadedInputs& inputs, const DeriveRequest& request,
                                    IconDocument& target) {
  const std::optional<SourceImage> source = RichestImage(inputs);
  if (!source) return Failure{kExitInput, "the inputs hold no image to derive frames from"};
  if (request.standard) {
    if (std::optional<Failure> failed = AddSourceFrame(*source, target)) return failed;
    const FramesResult result = target.CreateStandardFormats();
    if (result.status == FrameStatus::kOutOfMemory) return NoMemory("deriving frames");
    if (result.status == FrameStatus::kReductionFailed) return NoMemory("reducing colours");
    return std::nullopt;
  }
  const CDib& image = *source->image;
  std::vector<int> sizes = request.sizes;
  if (sizes.empty()) {
    sizes.push_back(
        std::min(std::max(image.GetWidth(), image.GetHeight()), IconDocument::kMaxFrameSide));
  }
  std::vector<int> formats = request.formats;
  if (formats.empty()) formats.push_back(BitsOf(ColorFormat::kTrueColorAlpha));
  std::vector<IconDocument::FrameSpec> specs;
  for (const int bits : formats) {
    const ColorFormat format = ColorFormatFromBits(bits).value_or(ColorFormat::kTrueColorAlpha);
    for (const int size : sizes) specs.push_back({size, size, format});
  }
  if (target.Count() + specs.size() > static_cast<std::size_t>(IconDocument::kMaxFrames)) {
    return Failure{kExitUsage, "more than 256 frames requested"};
  }
  const FramesResult result = target.AddDerivedFrames(specs, image);
  if (static_cast<std::size_t>(result.added) < specs.size()) return NoMemory("deriving frames");
  if (result.status == FrameStatus::kReductionFailed) return NoMemory("reducing colours");
  return std::nullopt;
}

}  // namespace morvane::cli

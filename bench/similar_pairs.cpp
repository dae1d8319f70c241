// What the comparison weighs of every pair of pictures in a folder, for
// tuning its limits on a generated set: one line a pair, tab-separated:
// the two names, then HashDistance, the whole hashes' distance, aspect,
// colour, chroma, each picture's chroma, flat a, flat b, correlation,
// common area, scale, identity correlation, same size, and whether Match
// takes the pair (1) or not (0). Pairs over 30 bits or 40 colour levels
// apart are not aligned (their correlation is -1).
// Usage: bench_similar_pairs FOLDER
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/fs/env.h"
#include "engine/similar/picture_match.h"
#include "engine/similar/picture_shape.h"
#include "thumbkit/thumbkit.h"

int main(int argc, char** argv) {
  using namespace pictray;
  using namespace pictray::similar;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  ThumbnailCalls lib(::MakeMinImage);
  std::vector<std::string> names;
  std::vector<PictureFeatures> features;
  std::vector<PictureShape> shapes;
  std::vector<std::filesystem::path> files;
  for (const auto& e : std::filesystem::directory_iterator(argv[1])) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  for (const auto& path : files) {
    const PictureShape s = ReadPictureShape(fs::DefaultEnv(), path.string());
    if (!s.picture) continue;
    const auto f = MeasurePicture(lib, path.string(), s.storedWidth, s.storedHeight, s.orientation);
    if (!f) continue;
    names.push_back(path.filename().string());
    features.push_back(*f);
    shapes.push_back(s);
  }
  std::vector<FeatureView> views;
  for (std::size_t i = 0; i < features.size(); ++i) {
    FeatureView v = ViewOf(features[i]);
    v.shownWidth = static_cast<std::uint32_t>(shapes[i].facts.width);
    v.shownHeight = static_cast<std::uint32_t>(shapes[i].facts.height);
    views.push_back(v);
  }
  for (std::size_t i = 0; i < views.size(); ++i)
    for (std::size_t j = i + 1; j < views.size(); ++j) {
      // Pairs far apart by hash or colour are told without their alignment.
      const bool far = HashDistance(views[i], views[j]) > 30 || ColourDifference(views[i], views[j]) > 40;
      MatchMeasures m;
      if (far) {
        m.distance = HashDistance(views[i], views[j]);
        m.colour = ColourDifference(views[i], views[j]);
      } else {
        m = Explain(views[i], views[j]);
      }
      const bool taken = !far && Match(views[i], views[j]).has_value();
      std::printf("%s\t%s\t%d\t%d\t%.3f\t%.2f\t%.2f\t%.2f\t%.2f\t%d\t%d\t%.3f\t%.3f\t%.3f\t%.3f\t%d\t%d\n", names[i].c_str(),
                  names[j].c_str(), m.distance, m.wholeDistance, m.aspect, m.colour, m.chroma, m.chromaA, m.chromaB,
                  m.flatA, m.flatB, m.correlation, m.commonArea, m.scale, m.identity, m.sameSize, taken);
    }
  return 0;
}

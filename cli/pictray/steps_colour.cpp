// Steps of the colour runs: rgb=CELLS (the RGB analysis of the chosen grid
// cells, or all of them), ratio (the two ratio workers), strength. The runs
// read their dialogs' settings from the settings file and draw pictures
// through the program's libthumbkit.so (beside it, or in PREFIX/lib/pictray).
#include <dlfcn.h>

#include <algorithm>
#include <thread>
#include <utility>
#include <vector>

#include "cli/pictray/cli_steps.h"
#include "engine/colour/rgb_name.h"
#include "engine/runs/colour_runs.h"
#include "engine/settings/profile.h"
#include "engine/settings/settings_keys.h"

namespace pictray::cli {
namespace {

constexpr const char* kRgbStep = "rgb=";

}  // namespace

bool ParseCells(const std::string& text, int partX, std::vector<int>* cells, std::string* error) {
  const int count = partX * partX;
  if (text == "all") {
    for (int k = 1; k <= count; ++k) cells->push_back(k);
    return true;
  }
  std::size_t at = 0;
  while (at <= text.size()) {
    const std::size_t comma = std::min(text.find(',', at), text.size());
    const std::string item = text.substr(at, comma - at);
    const bool digits = !item.empty() && item.size() <= 2 && item.find_first_not_of("0123456789") == std::string::npos;
    const int k = digits ? ProfileNumber(item) : 0;
    if (k < 1 || k > count) {
      *error = "cell '" + item + "' is not a number from 1 to " + std::to_string(count);
      return false;
    }
    cells->push_back(k);
    at = comma + 1;
  }
  return true;
}

namespace {

void RunRatio(CliContext& ctx) {
  PictrayState& st = ctx.state;
  PrepareRatioRun(st, ctx.folder);
  // Each worker is a run of its own, registered before its thread starts.
  std::thread odd([&st, &ctx, g = RunRegistry::Guard(st.runs)]() mutable {
    ThreadRGBPer2(st.blocks.valrp2, st, ctx.host, std::move(g));
  });
  ThreadRGBPer(st.blocks.valrp, st, ctx.host, RunRegistry::Guard(st.runs));
  odd.join();
}

}  // namespace

StepResult RunColourStep(const std::string& step, CliContext& ctx) {
  const bool rgb = step.rfind(kRgbStep, 0) == 0;
  if (!rgb && step != "ratio" && step != "strength") return StepResult::NotMine;
  std::vector<int> cells;
  if (rgb) {
    std::string error;
    if (!ParseCells(step.substr(4), ReadPartX(ctx.state.profile), &cells, &error)) {
      ctx.err << "pictray-cli: " << step << ": " << error << "\n";
      return StepResult::Failed;
    }
  }
  if (ctx.checkOnly) {
    ctx.needsThumbnails = true;
    return StepResult::Done;
  }
  if (rgb) {
    ctx.state.blocks.val.Start(ctx.folder);
    ThreadRGB(ctx.state.blocks.val, ctx.state, ctx.host, MakeJposBit(cells), RunRegistry::Guard(ctx.state.runs));
  } else if (step == "ratio") {
    RunRatio(ctx);
  } else {
    ctx.state.blocks.valrp.Start(ctx.folder);
    ThreadTopRGB(ctx.state.blocks.valrp, ctx.state, ctx.host, RunRegistry::Guard(ctx.state.runs));
  }
  return StepResult::Done;
}

ThumbnailLibrary::~ThumbnailLibrary() {
  if (handle_) ::dlclose(handle_);
}

bool ThumbnailLibrary::Load(const std::string& folder, PictrayState& st, std::string* error) {
  const std::string path = folder + "/libthumbkit.so";
  handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* why = ::dlerror();
    *error = "cannot load the thumbnail library " + path + ": " + (why ? why : "unknown reason");
    return false;
  }
  st.MMI = reinterpret_cast<MakeMinImageFn>(::dlsym(handle_, "MakeMinImage"));
  if (!st.MMI) {
    *error = "the thumbnail library " + path + " has no MakeMinImage";
    return false;
  }
  // An older library without it draws each cell on its own.
  st.MMIs = reinterpret_cast<MakeMinImagesFn>(::dlsym(handle_, "MakeMinImages"));
  st.PictureRows = reinterpret_cast<PictureRowsFn>(::dlsym(handle_, "PictureRows"));
  return true;
}

}  // namespace pictray::cli

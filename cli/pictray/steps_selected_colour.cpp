// The values of the selected-colour steps: allcolor=LISTFILE (every pixel of
// each picture against the colours of the list) and partcolor=LISTFILE@CELLS
// (the chosen grid cells drawn through libthumbkit.so). Mode, MatchPer, PartX
// and the capacity samcount come from the settings file, as the dialogs leave
// them.
#include "cli/pictray/cli_steps.h"
#include "engine/colour/rgb_name.h"
#include "engine/colour/selected_colours.h"
#include "engine/colour/thumbnail.h"
#include "engine/names/text_list.h"
#include "engine/settings/profile.h"
#include "engine/settings/settings_keys.h"

namespace pictray::cli {
namespace {

// The colours of the list file within the capacity; false with the reason.
bool LoadColours(const fs::Env& env, const std::string& path, const std::string& profile,
                 texts::Language language, SelectedColours* set, std::size_t* skipped, std::string* error) {
  if (path.empty()) {
    *error = "no colour list file given";
    return false;
  }
  SelectedColours listed(kColourCount);
  if (const int e = ReadColourList(env, path, listed, skipped); e != 0) {
    *error = "cannot read the colour list " + path + ": " + TextListRefusalText(e);
    return false;
  }
  *set = SelectedColours(static_cast<std::size_t>(std::max(0, ReadSettingNumber(env, key::samcount, profile))));
  const std::size_t count = dwColorsSet(*set, listed);
  if (count == 0) {
    *error = "the colour list " + path + " names no colour";
    return false;
  }
  if (count > set->ColorMax()) {
    const Message tooMany{Said::TooManyColours,
                          {},
                          {static_cast<long long>(set->ColorMax()), static_cast<long long>(count)}};
    *error = texts::Words(tooMany, language) + " (samcount in the settings)";
    return false;
  }
  return true;
}

}  // namespace

bool ReadColourChoice(bool cellsToo, const std::string& step, const std::string& value, CliContext& ctx,
                      RunChoice& choice) {
  std::string list = value;
  std::vector<int> cells;
  std::string error;
  bool ok = true;
  if (cellsToo) {
    const std::size_t at = list.rfind('@');
    const int PartX = ReadPartX(*ctx.state.env, ctx.state.profile);
    if (at == std::string::npos) {
      error = "give the cells after the list file: partcolor=LISTFILE@CELLS";
      ok = false;
    } else {
      ok = ParseCells(list.substr(at + 1), PartX, &cells, &error);
      list.resize(at);
    }
  }
  std::size_t skipped = 0;
  if (ok)
    ok = LoadColours(*ctx.state.env, list, ctx.state.profile, ctx.language, &choice.colours.emplace(), &skipped,
                     &error);
  if (!ok) {
    ctx.err << "pictray-cli: " << step << ": " << error << "\n";
    return false;
  }
  if (ctx.checkOnly) {
    // The all-colour run reads the other formats through the library.
    if (!cellsToo &&
        ReadSampledFormats(ProfileSnapshot::Read(*ctx.state.env, ctx.state.profile)) == SampledFormats::kAll)
      ctx.needsThumbnails = true;
    if (skipped) ctx.err << "pictray-cli: " << step << ": " << skipped << " lines name no colour and are passed over\n";
  }
  if (cellsToo) choice.strJpos_bit = MakeJposBit(cells);
  return true;
}

}  // namespace pictray::cli

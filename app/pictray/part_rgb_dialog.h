// The part-colour dialog ("partRGB選択", ModalProcpartRGB): the row's picture
// drawn at 310 x 310 through the thumbnail library and the work file, the
// colour list, the PartColorMode boxes, the MatchPer track bar and the cells
// of the PartX grid. Start hands colours, cells and the confirmation text
// to ThreadPartColor.
#pragma once

#include <vector>

#include "app/pictray/selected_colour_dialog.h"
#include "engine/colour/thumbnail.h"

class QGridLayout;
class QLabel;
class QPushButton;

namespace pictray::ui {
class TrackBar;
}

namespace pictray::app {

class PartRgbDialog : public SelectedColourDialog {
 public:
  // MMI draws the picture DlgFilePath; `workfile` is where the drawing is
  // written and read back from.
  PartRgbDialog(QWidget* owner, const SettingsFiles& files, const std::string& RGBtxt, std::size_t ColorMax,
                const std::string& DlgFilePath, MakeMinImageFn MMI, const std::string& workfile);

  // What start leaves for the run.
  const std::string& strJpos_bit() const { return strJpos_bit_; }
  const std::string& GRmsgtext() const { return GRmsgtext_; }
  bool rendered() const { return rendered_; }

 protected:
  const Picture* PickSource(PickArea** area) override;
  void Start() override;
  void ModeChanged(const std::string& mode) override;
  void SaveMoreDefaults() override;
  void LoadMoreDefaults() override;

 private:
  // MakeBufferFile2 of the drawing into the work file, then readBMP.
  bool Render(const std::string& path, MakeMinImageFn MMI, const std::string& workfile);
  void BuildCells(QGridLayout* grid, int PartX);

  Picture picture_;
  bool rendered_ = false;
  PickArea* area_ = nullptr;
  ui::TrackBar* matchPer_ = nullptr;
  QLabel* matchPerValue_ = nullptr;
  std::vector<QPushButton*> cells_;
  std::string strJpos_bit_;
  std::string GRmsgtext_;
};

// What a started part-colour dialog hands over.
struct PartColourChoice {
  SelectedColours colours;
  std::string strJpos_bit;
  std::string GRmsgtext;
};

// OpenModalWindowpartRGB: true when its start closed it, with `choice` filled.
bool OpenModalWindowpartRGB(QWidget* owner, const SettingsFiles& files, const std::string& RGBtxt,
                            std::size_t ColorMax, const std::string& DlgFilePath, MakeMinImageFn MMI,
                            const std::string& workfile, PartColourChoice* choice);

}  // namespace pictray::app

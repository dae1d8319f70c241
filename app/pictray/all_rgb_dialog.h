// The all-colour dialog ("all RGB選択", ModalProcallRGB): the row's picture
// at full size in a 380 x 380 scrolled viewport to pick colours on, the
// colour list and the AllColorMode boxes. Start hands the colours to
// ThreadAllColor.
#pragma once

#include "app/pictray/selected_colour_dialog.h"

class QScrollArea;

namespace pictray::app {

class AllRgbDialog : public SelectedColourDialog {
 public:
  // DlgFilePath: the picture shown; ColorMax: the most colours.
  AllRgbDialog(QWidget* owner, const SettingsFiles& files, const std::string& RGBtxt, std::size_t ColorMax,
               const std::string& DlgFilePath);
  // Whether the picture could be decoded (an empty viewport otherwise).
  bool decoded() const { return decoded_; }

 protected:
  const Picture* PickSource(PickArea** area) override;
  void Start() override;

 private:
  Picture picture_;
  bool decoded_ = false;
  PickArea* area_ = nullptr;
  QScrollArea* viewport_ = nullptr;
};

// OpenModalWindowallRGB: true when its start closed it; the colours then
// in `colours`.
bool OpenModalWindowallRGB(QWidget* owner, const SettingsFiles& files, const std::string& RGBtxt,
                           std::size_t ColorMax, const std::string& DlgFilePath, SelectedColours* colours);

}  // namespace pictray::app

// What the all-colour and part-colour dialogs share: a picture to drag a
// rectangle on, the colour list that mirrors the selected-colour set (pick,
// load, save, clear, "delete", "black Back"), the four mode boxes and the
// "Load  Default" / "Save  Default" buttons. Each dialog adds its picture,
// its own controls and its start.
#pragma once

#include <QDialog>
#include <QImage>
#include <QRect>

#include <functional>
#include <string>

#include "app/pictray/window_settings.h"
#include "engine/colour/selected_colours.h"
#include "engine/jpeg/jpeg_decode.h"
#include "engine/run/message.h"
#include "engine/settings/settings_keys.h"

class QCheckBox;
class QListWidget;
class QPushButton;
class QVBoxLayout;

namespace pictray::app {

// A picture at its own size with a rectangle dragged on it by the left
// button, drawn as a dotted outline while dragging.
class PickArea : public QWidget {
 public:
  explicit PickArea(QWidget* parent);
  void SetPicture(const QImage& image);
  // The dragged rectangle in picture coordinates, inside the picture; empty
  // when none was dragged (or it was forgotten).
  QRect selection() const { return selection_; }
  void Forget();

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  void DragTo(const QPoint& p);

  QImage image_;
  QPoint anchor_;
  bool dragging_ = false;
  QRect selection_;
};

// The picture's rows as an image to show (top row first).
QImage ImageOf(const Picture& pic);

// The file chooser of the list buttons (FoldaSettingT): a path, or empty
// when cancelled. Tests hand in their own.
using ListFileChooser = std::function<QString(QWidget* parent, bool save, const QString& start)>;

class SelectedColourDialog : public QDialog {
 public:
  // The colours picked or loaded (dwColors), read by the run after the
  // dialog has closed.
  const SelectedColours& colours() const { return colours_; }
  // The mode boxes' value as it stands ("0" with none checked).
  const std::string& mode() const { return mode_; }
  void SetListFileChooser(ListFileChooser chooser) { chooser_ = std::move(chooser); }
  // However the dialog closes, its mode goes to the working copy.
  void done(int result) override;

 protected:
  // ColorMax: the most colours; RGBtxt: where the list chooser starts.
  SelectedColourDialog(QWidget* owner, const SettingsFiles& files, std::string RGBtxt, std::size_t ColorMax,
                       const SettingKey& modeKey);

  // The list column: list, its buttons, "black Back", the mode boxes, the
  // defaults and the start button (whose press calls Start()).
  QVBoxLayout* BuildListColumn();
  // The picture the colours are picked from, with the rectangle's area;
  // nullptr when it cannot be had (the dialog has said why).
  virtual const Picture* PickSource(PickArea** area) = 0;
  virtual void Start() = 0;
  // A mode box was checked or unchecked; `mode` as stored.
  virtual void ModeChanged(const std::string&) {}
  // The defaults beyond the mode: written and read with it.
  virtual void SaveMoreDefaults() {}
  virtual void LoadMoreDefaults() {}

  const SettingsFiles& files() const { return files_; }
  // The settings and colour lists are read and written through it.
  const fs::Env& env_ = fs::DefaultEnv();
  int Ask(const std::string& text, Button first, Button second);

 private:
  void Pick();
  void LoadList();
  void SaveList();
  void ClearList();
  void DeleteSelected();
  // The list shown anew from the set, in the colours it names.
  void ShowColours();
  // Start and save are on exactly while the set holds colours.
  void EnableUse();
  // The set took more than ColorMax: the error, then an empty list.
  void CapacityError(std::size_t count);
  void SetMode(const std::string& value);
  void SaveDefault();
  void LoadDefault();

  SettingsFiles files_;
  std::string RGBtxt_;
  const SettingKey& modeKey_;
  SelectedColours colours_;
  std::string mode_{"0"};  // no box checked
  ListFileChooser chooser_;
  QListWidget* list_ = nullptr;
  QCheckBox* blackBack_ = nullptr;
  QCheckBox* modes_[4] = {nullptr, nullptr, nullptr, nullptr};
  QPushButton* start_ = nullptr;
  QPushButton* save_ = nullptr;
};

}  // namespace pictray::app

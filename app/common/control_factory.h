// Small factories for the controls every window builds: each makes one
// control of a fixed kind and look and returns it; the caller places it.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QSlider>
#include <QString>

#include <string>

class QWidget;
class QCheckBox;
class QPushButton;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QLabel;

namespace pictray::ui {

// A horizontal track bar with ticks that can mark a selection, a range of
// positions drawn as a band along its groove (one end alone as a mark).
class TrackBar : public QSlider {
 public:
  explicit TrackBar(QWidget* parent);
  // -1 leaves an end unset.
  void SetSelection(int start, int end);
  int selectionStart() const { return start_; }
  int selectionEnd() const { return end_; }

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  int start_ = -1, end_ = -1;
};

// The Japanese Mincho face of the programs, with fallbacks, at a pixel height.
QFont MinchoFont(int pixelHeight);

// A toggle's on state drawn unmistakably: a strong fill and a dark frame
// (every checkable button the factory makes has it).
void StandOutWhenOn(QPushButton* b, const QColor& fill = QColor(0x15, 0x65, 0xc0));

// An icon of our own: a rounded tile in `background` with `glyph` drawn on it.
QIcon GlyphIcon(const QString& glyph, const QColor& background, int edge = 32);

// The icon of a program given by path: "open" gives the program's own icon,
// a relative path is looked up in programDir, otherwise the desktop's icon
// for that file.
QIcon ProgramIcon(const QString& path, const QString& programDir, const QIcon& ownIcon);

QPushButton* MakeICONButtonWnd(QWidget* parent, int id, const QIcon& icon, int edge = 32);
QPushButton* MakeICONCheckButtonWnd(QWidget* parent, int id, const QIcon& icon, int edge = 32);
QPushButton* MakeICONCheckButtonWnd2(QWidget* parent, int id, const QString& programPath,
                                     const QString& programDir, const QIcon& ownIcon);
QPushButton* MakeBMButtonWnd(QWidget* parent, int id, const QIcon& bitmap);
QPushButton* MakeBmCheck32ButtonWnd(QWidget* parent, int id, const QIcon& bitmap);
QPushButton* MakeTextButtonWnd(QWidget* parent, int id, const QString& text);
QPushButton* MakeCheckButtonWnd(QWidget* parent, int id, const QString& text);
QCheckBox* MakeCheckBoxWnd(QWidget* parent, int id, const QString& text);
TrackBar* MakeTrackBarWnd(QWidget* parent, int id, int minimum, int maximum);
QGroupBox* MakeGroupBoxWindow(QWidget* parent, int id);
QLineEdit* Make_EditWindow(QWidget* parent, int id);
// A read-only edit without a frame that serves as a label.
QLineEdit* MakeLabelEditWnd(QWidget* parent, int id, const QString& text);
// A small (16 x 16) icon button.
QPushButton* MakeICONButtonWnd16(QWidget* parent, int id, const QIcon& icon);
// A static showing `icon` at 20 x 20.
QLabel* Make_StaticWindow04(QWidget* parent, int id, const QIcon& icon);
QProgressBar* Make_progressbar(QWidget* parent, int id, const QColor& bar);
QLabel* Make_StaticWindow(QWidget* parent, int id);
// Attaches one tooltip text to one control; a button without a caption
// takes it as its accessible name too.
void MakeToolTip(QWidget* control, const QString& text);

// Folder browser starting at `start`: the chosen folder, or "cancel".
QString SHBDlg(QWidget* parent, const QString& start);

// Open-file dialog for a program file starting at `start` (a file or a
// folder): the chosen path, or an empty text.
QString FoldaSetting(QWidget* parent, const QString& start);

// An edit that shows a name's bytes and gives them back unchanged while the
// user has not edited it (the text shows bytes that are not UTF-8 as U+FFFD).
void SetEditBytes(QLineEdit* edit, const std::string& bytes);
std::string EditBytes(const QLineEdit* edit);

// The command id a factory gave a control (-1 when none).
int ControlId(const QWidget* control);

}  // namespace pictray::ui

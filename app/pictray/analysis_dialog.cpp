#include "app/pictray/analysis_dialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "app/common/control_factory.h"
#include "app/common/message_box.h"
#include "app/common/text_bytes.h"
#include "app/pictray/window_text.h"
#include "engine/settings/profile.h"
#include "engine/settings/settings_keys.h"

namespace pictray::app {
namespace {

// Ids of the boxes, in the order of ExifBox.
constexpr int kBoxIds[kExifBoxCount] = {10001, 10002, 10003, 10004, 10028, 10092, 1047,  1044,  1046,  10094,
                                        10005, 10006, 10095, 10096, 10097, 10098, 10101, 10102, 10103, 10104};
// The ladder's columns start after the month and year boxes; the nested
// folders' columns follow it.
constexpr int kLadderColumn = 3;
constexpr int kFolderColumn = kLadderColumn + 5;
constexpr const char* kSteps[5] = {QT_TRANSLATE_NOOP("Pictray", "年月日"), QT_TRANSLATE_NOOP("Pictray", "時"),
                                   QT_TRANSLATE_NOOP("Pictray", "10分"), QT_TRANSLATE_NOOP("Pictray", "1分"),
                                   QT_TRANSLATE_NOOP("Pictray", "秒")};

int BoxRow(ExifBox b) {
  switch (b) {
    case ExifBox::Maker: return 3;
    case ExifBox::Software: return 4;
    case ExifBox::ModMonth: case ExifBox::ModYear: case ExifBox::ModFolderMonth: case ExifBox::ModFolderDay: return 1;
    case ExifBox::MadeMonth: case ExifBox::MadeYear: case ExifBox::MadeFolderMonth: case ExifBox::MadeFolderDay:
      return 2;
    default: return Bit(b) < 5 ? 1 : 2;
  }
}

int BoxColumn(ExifBox b) {
  switch (b) {
    case ExifBox::Maker: case ExifBox::Software: return kLadderColumn;
    case ExifBox::ModYear: case ExifBox::MadeYear: return 1;
    case ExifBox::ModMonth: case ExifBox::MadeMonth: return 2;
    case ExifBox::ModFolderMonth: case ExifBox::MadeFolderMonth: return kFolderColumn;
    case ExifBox::ModFolderDay: case ExifBox::MadeFolderDay: return kFolderColumn + 1;
    default: return static_cast<int>(Bit(b) % 5) + kLadderColumn;
  }
}

QLabel* Label(QWidget* parent, const char* text) {
  return new QLabel(QCoreApplication::translate("Pictray", text), parent);
}

// A count of at most width - 1 digits, as the key is read back.
QLineEdit* CountEdit(QWidget* parent, int id, const SettingKey& k) {
  QLineEdit* e = ui::Make_EditWindow(parent, id);
  const int digits = static_cast<int>(k.width) - 1;
  e->setMaxLength(digits);
  e->setValidator(new QRegularExpressionValidator(QRegularExpression(QString("[0-9]{0,%1}").arg(digits)), e));
  return e;
}

}  // namespace

AnalysisDialog::AnalysisDialog(QWidget* owner, const SettingsFiles& files) : QDialog(owner), files_(files) {
  setObjectName("AnalysisDialog");
  setWindowTitle(QCoreApplication::translate("Pictray", "解析設定"));
  setFont(ui::MinchoFont(14));
  setMinimumWidth(820);
  if (owner) move(owner->frameGeometry().topLeft() + QPoint(150, 150));
  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(10);
  BuildDateLines(grid);
  BuildChecks(grid);
  Load();
}

void AnalysisDialog::BuildDateLines(QGridLayout* grid) {
  QLabel* columns[kFolderColumn + 2] = {};
  columns[1] = Label(this, QT_TRANSLATE_NOOP("Pictray", "年"));
  columns[2] = Label(this, QT_TRANSLATE_NOOP("Pictray", "年月"));
  for (int step = 0; step < 5; ++step) columns[step + kLadderColumn] = Label(this, kSteps[step]);
  // Folders in folders, as photographers file a camera roll.
  columns[kFolderColumn] = Label(this, QT_TRANSLATE_NOOP("Pictray", "年/月"));
  columns[kFolderColumn + 1] = Label(this, QT_TRANSLATE_NOOP("Pictray", "年/月/日"));
  for (int c = 1; c < kFolderColumn + 2; ++c) grid->addWidget(columns[c], 0, c, Qt::AlignCenter);
  QLabel* rows[5] = {nullptr,
                     Label(this, QT_TRANSLATE_NOOP("Pictray", "更新日付")),
                     Label(this, QT_TRANSLATE_NOOP("Pictray", "作成日付")),
                     Label(this, QT_TRANSLATE_NOOP("Pictray", "メーカー/機種")),
                     Label(this, QT_TRANSLATE_NOOP("Pictray", "使用ソフト"))};
  for (int r = 1; r < 5; ++r) grid->addWidget(rows[r], r, 0);
  grid->addWidget(Label(this, QT_TRANSLATE_NOOP("Pictray", "(存在した場合)")), 2, kFolderColumn + 2);
  for (int i = 0; i < kExifBoxCount; ++i) {
    boxes_[i] = ui::MakeCheckBoxWnd(this, kBoxIds[i], QString());
    const auto box = static_cast<ExifBox>(i);
    // A box is named by its line and, on the date lines, its column.
    const int row = BoxRow(box);
    boxes_[i]->setAccessibleName(row < 3 ? rows[row]->text() + " " + columns[BoxColumn(box)]->text()
                                         : rows[row]->text());
    connect(boxes_[i], &QCheckBox::clicked, this, [this, box](bool checked) { ExifBoxClicked(box, checked); });
    grid->addWidget(boxes_[i], BoxRow(box), BoxColumn(box), Qt::AlignCenter);
  }
}

void AnalysisDialog::BuildChecks(QGridLayout* grid) {
  grid->addWidget(Label(this, QT_TRANSLATE_NOOP("Pictray", "サンプリング色数(メモリ注意)")), 5, 0, 1, 3);
  samcount_ = CountEdit(this, 10056, key::samcount);
  grid->addWidget(samcount_, 5, 3, 1, 3);

  auto* zeroRun = new QHBoxLayout;
  NullCheck_ = ui::MakeCheckBoxWnd(this, 10020, QString());
  NullCheck_->setAccessibleName(QCoreApplication::translate("Pictray", "NULLが連続"));
  connect(NullCheck_, &QCheckBox::clicked, this,
          [this](bool on) { StoreForThisRun(key::NullCheck, on ? "1" : "0"); });
  NullByte_ = CountEdit(this, 10041, key::NullByte);
  NullByte_->setFixedWidth(70);
  zeroRun->addWidget(NullCheck_);
  zeroRun->addWidget(Label(this, QT_TRANSLATE_NOOP("Pictray", "NULLが連続")));
  zeroRun->addWidget(NullByte_);
  zeroRun->addWidget(Label(this, QT_TRANSLATE_NOOP("Pictray", "Byte以上でエラーとする")));
  zeroRun->addStretch();
  grid->addLayout(zeroRun, 6, 0, 1, 11);
  grid->addWidget(Label(this, QT_TRANSLATE_NOOP("Pictray", "(1000kb未満のファイルが対象)")), 7, 0, 1, 11);

  JlibCheck_ = ui::MakeCheckBoxWnd(
      this, 10021, QCoreApplication::translate("Pictray", "NGチェックにjpeglibの読み込みチェックを含める"));
  connect(JlibCheck_, &QCheckBox::clicked, this,
          [this](bool on) { StoreForThisRun(key::JlibCheck, on ? "1" : "0"); });
  grid->addWidget(JlibCheck_, 8, 0, 1, 11);

  AllFormats_ = ui::MakeCheckBoxWnd(this, 10099,
                                    QCoreApplication::translate("Pictray", "JPEG以外(HEIC・RAW・PNG・WebP・動画)も解析する"));
  connect(AllFormats_, &QCheckBox::clicked, this,
          [this](bool on) { StoreForThisRun(key::AllFormats, on ? "1" : "0"); });
  ExifOrderTag_ = ui::MakeCheckBoxWnd(this, 10100, QCoreApplication::translate("Pictray", "バイト順を付ける"));
  connect(ExifOrderTag_, &QCheckBox::clicked, this,
          [this](bool on) { StoreForThisRun(key::ExifOrderTag, on ? "1" : "0"); });
  auto* formats = new QHBoxLayout;
  formats->addWidget(AllFormats_);
  formats->addWidget(ExifOrderTag_);
  formats->addStretch();
  grid->addLayout(formats, 9, 0, 1, 11);

  // Copies without an Exif date (a messaging app's, a screenshot).
  NameDate_ = ui::MakeCheckBoxWnd(this, 10105,
                                  QCoreApplication::translate("Pictray", "Exifの日付がなければファイル名の日付"));
  connect(NameDate_, &QCheckBox::clicked, this, [this](bool on) { StoreForThisRun(key::NameDate, on ? "1" : "0"); });
  FileDate_ = ui::MakeCheckBoxWnd(this, 10106, QCoreApplication::translate("Pictray", "それもなければ更新日時"));
  connect(FileDate_, &QCheckBox::clicked, this, [this](bool on) { StoreForThisRun(key::FileDate, on ? "1" : "0"); });
  auto* dates = new QHBoxLayout;
  dates->addWidget(NameDate_);
  dates->addWidget(FileDate_);
  dates->addStretch();
  grid->addLayout(dates, 10, 0, 1, 11);

  QPushButton* ok = ui::MakeTextButtonWnd(this, 10052, "OK");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &AnalysisDialog::accept);
  grid->addWidget(ok, 11, 9, 1, 2);
}

void AnalysisDialog::Load() {
  ExifSel_ = ReadSetting(env_, key::ExifSel, files_.GRprofile);
  ShowBoxes(BoxesOfExifSel(ExifSel_));
  NullCheck_->setChecked(ReadSetting(env_, key::NullCheck, files_.GRprofile) == "1");
  JlibCheck_->setChecked(ReadSetting(env_, key::JlibCheck, files_.GRprofile) == "1");
  AllFormats_->setChecked(ReadSetting(env_, key::AllFormats, files_.GRprofile) == "1");
  ExifOrderTagOnOpen_ = ReadSetting(env_, key::ExifOrderTag, files_.GRprofile) == "1";
  ExifOrderTag_->setChecked(ExifOrderTagOnOpen_);
  NameDateOnOpen_ = ReadSetting(env_, key::NameDate, files_.GRprofile) == "1";
  NameDate_->setChecked(NameDateOnOpen_);
  FileDateOnOpen_ = ReadSetting(env_, key::FileDate, files_.GRprofile) == "1";
  FileDate_->setChecked(FileDateOnOpen_);
  NullByte_->setText(ui::TextOf(ReadSetting(env_, key::NullByte, files_.GRprofile)));
  samcount_->setText(ui::TextOf(ReadSetting(env_, key::samcount, files_.GRprofile)));
}

ExifBoxes AnalysisDialog::Boxes() const {
  ExifBoxes boxes;
  for (int i = 0; i < kExifBoxCount; ++i) boxes.set(i, boxes_[i]->isChecked());
  return boxes;
}

void AnalysisDialog::ShowBoxes(const ExifBoxes& boxes) {
  for (int i = 0; i < kExifBoxCount; ++i) boxes_[i]->setChecked(boxes.test(i));
}

void AnalysisDialog::ExifBoxClicked(ExifBox box, bool checked) {
  const ExifBoxes after = ClickExifBox(Boxes(), box, checked);
  ShowBoxes(after);
  ExifSel_ = ExifSelOfBoxes(after);
  StoreForThisRun(key::ExifSel, ExifSel_);
}

void AnalysisDialog::StoreForThisRun(const SettingKey& k, const std::string& value) {
  SettingsWrites writes(env_);
  writes.Write(k, value, files_.profile);
  if (!writes.ok()) ui::MessageBox1Q(this, ui::TextOf(writes.Message()), Button::Err, Button::Err);
}

std::string AnalysisDialog::RefuseCount(const QLineEdit* edit, const char* what) const {
  if (ProfileNumber(ui::BytesOf(edit->text())) > 0) return {};
  return WindowText(QT_TRANSLATE_NOOP("Pictray", "%1に1以上の数を入力して下さい"),
                    {QCoreApplication::translate("Pictray", what).toUtf8().toStdString()});
}

void AnalysisDialog::accept() {
  for (const std::string& refused : {RefuseCount(samcount_, QT_TRANSLATE_NOOP("Pictray", "サンプリング色数")),
                                     RefuseCount(NullByte_, QT_TRANSLATE_NOOP("Pictray", "NULLが連続するバイト数"))}) {
    if (refused.empty()) continue;
    ui::MessageBox1Q(this, ui::TextOf(refused), Button::Err, Button::Err);
    return;
  }
  SettingsWrites writes(env_);
  writes.WriteBoth(key::ExifSel, ExifSel_, files_);
  writes.WriteBoth(key::NullCheck, NullCheck_->isChecked() ? "1" : "0", files_);
  writes.WriteBoth(key::JlibCheck, JlibCheck_->isChecked() ? "1" : "0", files_);
  writes.WriteBoth(key::AllFormats, AllFormats_->isChecked() ? "1" : "0", files_);
  if (ExifOrderTag_->isChecked() != ExifOrderTagOnOpen_)  // a missing key stays missing
    writes.WriteBoth(key::ExifOrderTag, ExifOrderTag_->isChecked() ? "1" : "0", files_);
  if (NameDate_->isChecked() != NameDateOnOpen_) writes.WriteBoth(key::NameDate, NameDate_->isChecked() ? "1" : "0", files_);
  if (FileDate_->isChecked() != FileDateOnOpen_) writes.WriteBoth(key::FileDate, FileDate_->isChecked() ? "1" : "0", files_);
  writes.WriteBoth(key::NullByte, ui::BytesOf(NullByte_->text()), files_);
  writes.WriteBoth(key::samcount, ui::BytesOf(samcount_->text()), files_);
  if (!writes.ok()) {
    ui::MessageBox1Q(this, ui::TextOf(writes.Message()), Button::Err, Button::Err);
    return;
  }
  QDialog::accept();
}

bool OpenModalWindowE(QWidget* owner, const SettingsFiles& files) {
  AnalysisDialog dialog(owner, files);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace pictray::app

// Every key of the settings files in one table: section, name, the value
// written when the file is created, what a reader gets when the key is
// missing, and the width it is read with (at most width - 1 bytes; 0 = no
// limit). Readers and writers name a key from here, never by its text. A
// missing key only matters when someone removed it from an existing file.
#pragma once

#include <cstddef>
#include <string>

#include "engine/settings/profile.h"

namespace pictray {

inline constexpr const char* kSection0 = "Section0";
inline constexpr const char* kSection1 = "Section1";
// Paths are read without cutting them (the file system allows long ones).
inline constexpr std::size_t kPathWidth = 0;

// The eleven characters replaced in folder names by a new settings file.
inline constexpr const char* kDefaultDisabledChars = "/:,;*?\"<>|.";

struct SettingKey {
  const char* section;
  const char* name;
  const char* creation;  // nullptr: not written when the file is created
  const char* fallback;
  std::size_t width;
};

namespace key {
// Pictray.ini, section "Section0". WPath is written first at creation, with
// the program's folder; it creates the file.
inline constexpr SettingKey WPath{kSection0, "WPath", nullptr, "", kPathWidth};
inline constexpr SettingKey ExifSel{kSection0, "ExifSel", "1", "1", 3};
inline constexpr SettingKey samcount{kSection0, "samcount", "5000000", "500000", 10};
inline constexpr SettingKey MatchPer{kSection0, "MatchPer", "10", "10", 4};
inline constexpr SettingKey WinClose{kSection0, "WinClose", "1", "1", 2};
inline constexpr SettingKey disabledchar{kSection0, "disabledchar", kDefaultDisabledChars, "", 100};
inline constexpr SettingKey Exec255bit{kSection0, "Exec255bit", "1", "0", 2};
inline constexpr SettingKey Exec000bit{kSection0, "Exec000bit", "1", "0", 2};
inline constexpr SettingKey ExecOWNbit{kSection0, "ExecOWNbit", "0", "0", 2};
inline constexpr SettingKey ExecRGB{kSection0, "ExecRGB", "", "0", 12};
inline constexpr SettingKey PixelPassbit{kSection0, "PixelPassbit", "1", "0", 2};
inline constexpr SettingKey RGB64{kSection0, "RGB64", "2", "0", 2};
inline constexpr SettingKey Px{kSection0, "Px", "50", "50", 10};
inline constexpr SettingKey Py{kSection0, "Py", "50", "50", 10};
inline constexpr SettingKey Pw{kSection0, "Pw", "1500", "1500", 10};
inline constexpr SettingKey Ph{kSection0, "Ph", "1000", "1000", 10};
inline constexpr SettingKey PartX{kSection0, "PartX", nullptr, "4", 2};
inline constexpr SettingKey ZenAppOn{kSection0, "ZenAppOn", nullptr, "0", 2};
inline constexpr SettingKey ReadDay{kSection0, "ReadDay", nullptr, "0", 2};
inline constexpr SettingKey JpegCheck{kSection0, "JpegCheck", nullptr, "0", 2};
inline constexpr SettingKey NullCheck{kSection0, "NullCheck", nullptr, "0", 2};
inline constexpr SettingKey NullByte{kSection0, "NullByte", nullptr, "10", 10};
inline constexpr SettingKey JlibCheck{kSection0, "JlibCheck", nullptr, "0", 2};
inline constexpr SettingKey MoveSoon{kSection0, "MoveSoon", nullptr, "0", 2};
// "1": the Exif, size and NG analyses read pictures and videos of other
// formats too; "0": JPEG only.
inline constexpr SettingKey AllFormats{kSection0, "AllFormats", nullptr, "1", 2};
// "1": a file without an Exif date takes the date its name holds (IMG_20230614_...).
inline constexpr SettingKey NameDate{kSection0, "NameDate", nullptr, "0", 2};
// "1": a file without an Exif date (nor one in its name, with NameDate) takes its modification time.
inline constexpr SettingKey FileDate{kSection0, "FileDate", nullptr, "0", 2};
// "1": an Exif label ends with the byte order, "(II)" or "(MM)"; "0": not.
inline constexpr SettingKey ExifOrderTag{kSection0, "ExifOrderTag", nullptr, "1", 2};
// The properties dialog keeps the pre-read program here as well, in step
// with "ZenApp" of Section1, the one the window runs.
inline constexpr SettingKey ZenAppCopy{kSection0, "ZenApp", nullptr, "Twinscan", kPathWidth};
// Most workers a run's pool may use; "0" (or none) is one per core.
inline constexpr SettingKey PoolMax{kSection0, "PoolMax", nullptr, "0", 3};
inline constexpr SettingKey BlackBack{kSection0, "BlackBack", nullptr, "0", 2};
// The strength dialog (fallbacks as the analysis reads them).
inline constexpr SettingKey SRgb0{kSection0, "SRgb0", nullptr, "0", 2};
inline constexpr SettingKey SRgb1{kSection0, "SRgb1", nullptr, "0", 4};
inline constexpr SettingKey SRgb2{kSection0, "SRgb2", nullptr, "255", 4};
inline constexpr SettingKey SRgb3{kSection0, "SRgb3", nullptr, "0", 2};
inline constexpr SettingKey SRgb4{kSection0, "SRgb4", nullptr, "0", 2};
inline constexpr SettingKey SRgb5{kSection0, "SRgb5", nullptr, "0", 4};
inline constexpr SettingKey SRgb6{kSection0, "SRgb6", nullptr, "255", 4};
// The ratio dialog.
inline constexpr SettingKey PRgb0{kSection0, "PRgb0", nullptr, "0", 2};
inline constexpr SettingKey PRgb1{kSection0, "PRgb1", nullptr, "0", 2};
inline constexpr SettingKey PRgb2{kSection0, "PRgb2", nullptr, "0", 2};
inline constexpr SettingKey PRgb3{kSection0, "PRgb3", nullptr, "9", 2};
inline constexpr SettingKey PRgb4{kSection0, "PRgb4", nullptr, "0", 3};
inline constexpr SettingKey PRgb5{kSection0, "PRgb5", nullptr, "0", 2};
inline constexpr SettingKey PRgb6{kSection0, "PRgb6", nullptr, "0", 2};
// The selected-colour dialogs: "1".."4" a mode of the mode table, "0" none.
inline constexpr SettingKey AllColorMode{kSection0, "AllColorMode", nullptr, "0", 2};
inline constexpr SettingKey PartColorMode{kSection0, "PartColorMode", nullptr, "0", 2};
// Pictray.ini, section "Section1": the applications.
inline constexpr SettingKey app{kSection1, "app", "open", " ", kPathWidth};
inline constexpr SettingKey app1{kSection1, "app1", "open", " ", kPathWidth};
inline constexpr SettingKey app2{kSection1, "app2", "open", " ", kPathWidth};
inline constexpr SettingKey app3{kSection1, "app3", "open", " ", kPathWidth};
inline constexpr SettingKey ZenApp{kSection1, "ZenApp", "Twinscan", "", kPathWidth};
// Twinscan.ini, section "Section0". Pictray writes Px and Py there to place
// the companion's window when it starts it.
namespace twinscan {
inline constexpr SettingKey Px{kSection0, "Px", nullptr, "50", 10};
inline constexpr SettingKey Py{kSection0, "Py", nullptr, "50", 10};
inline constexpr SettingKey Pw{kSection0, "Pw", nullptr, "400", 10};
inline constexpr SettingKey Ph{kSection0, "Ph", nullptr, "400", 10};
inline constexpr SettingKey MoveSoon{kSection0, "MoveSoon", nullptr, "0", 2};
inline constexpr SettingKey DeleteSoon{kSection0, "DeleteSoon", nullptr, "0", 2};
inline constexpr SettingKey OPENAPP{kSection0, "OPENAPP", nullptr, "open", kPathWidth};
inline constexpr SettingKey app{kSection0, "app", nullptr, "open", kPathWidth};
// Which copy of a group stays: the keep rule, a comma list such as
// "reference,companions,original,camera,pixels,size,format,date,name" or a
// preset "original", "oldest", "largest", "pixels" (engine/dupes/keep_rule.h).
inline constexpr SettingKey Keep{kSection0, "Keep", nullptr, "original", kPathWidth};
// "1": the search looks for the same pictures too, not only the same bytes.
inline constexpr SettingKey Similar{kSection0, "Similar", nullptr, "0", 2};
// A library: "1" searches the folders' subfolders too; the folders searched
// and the reference folders (never moved, kept first), each a list of paths,
// tab-separated, each escaped as twinscan-cli prints fields.
inline constexpr SettingKey Subfolders{kSection0, "Subfolders", nullptr, "0", 2};
inline constexpr SettingKey Folders{kSection0, "Folders", nullptr, "", kPathWidth};
inline constexpr SettingKey References{kSection0, "References", nullptr, "", kPathWidth};
}  // namespace twinscan
}  // namespace key

// The keys a new Pictray.ini gets after WPath, in the order they are written.
inline constexpr const SettingKey* kCreationOrder[] = {
    &key::ExifSel,  &key::samcount,   &key::MatchPer,   &key::WinClose, &key::disabledchar,
    &key::Exec255bit, &key::Exec000bit, &key::ExecOWNbit, &key::ExecRGB, &key::PixelPassbit,
    &key::RGB64,    &key::app,        &key::app1,       &key::app2,     &key::app3,
    &key::ZenApp,   &key::Px,         &key::Py,         &key::Pw,       &key::Ph};

// The key's value in `file`, or its fallback.
std::string ReadSetting(const fs::Env& env, const SettingKey& k, const std::string& file);
// The same with a reader's own fallback, where one reader differs from the
// others (a dialog that shows a missing switch as off).
std::string ReadSetting(const fs::Env& env, const SettingKey& k, const std::string& file,
                        const std::string& fallback);
// Its number (an unreadable value counts 0).
int ReadSettingNumber(const fs::Env& env, const SettingKey& k, const std::string& file);
// The same from a run's snapshot of the file.
std::string ReadSetting(const SettingKey& k, const ProfileSnapshot& profile);
std::string ReadSetting(const SettingKey& k, const ProfileSnapshot& profile, const std::string& fallback);
int ReadSettingNumber(const SettingKey& k, const ProfileSnapshot& profile);
// The grid of the cell analyses as the window's menu reads "PartX": 8 for
// "8", 4 for anything else.
int ReadPartX(const fs::Env& env, const std::string& file);
int ReadPartX(const ProfileSnapshot& profile);
bool WriteSetting(const fs::Env& env, const SettingKey& k, const std::string& value, const std::string& file);

}  // namespace pictray

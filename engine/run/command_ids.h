// The command ids that reach Pictray's and Twinscan's windows: what a
// control, a menu or a key sends, and what a run's end names.
#pragma once

namespace pictray {

namespace cmd {
inline constexpr int MoveStart = 1001;
inline constexpr int ListUp = 1002;
inline constexpr int ClearList = 1003;
inline constexpr int CharClass = 1004;
inline constexpr int PhraseClass = 1012;
inline constexpr int ExtClass = 1013;
inline constexpr int Exif = 1014;
inline constexpr int Info = 1022;
inline constexpr int Abort = 1031;
inline constexpr int ClearAnalyses = 1034;
inline constexpr int HeaderCheck = 1035;
inline constexpr int RgbAnalysis = 1037;
inline constexpr int Search = 1042;
inline constexpr int SizeAnalysis = 1043;
inline constexpr int NgAnalysis = 1045;
inline constexpr int OpenFolderApp3 = 1048;
inline constexpr int RgbRatio = 1049;
inline constexpr int PreReadNow = 1051;
inline constexpr int RunEnded = 1052;
inline constexpr int RgbStrength = 1053;
inline constexpr int Sharpness = 1054;
inline constexpr int PartColour = 4003;
inline constexpr int AllColour = 4004;
inline constexpr int MenuOpen = 5001;
inline constexpr int MenuClear = 5002;
inline constexpr int MenuListUp = 5003;  // list the folder field's folder (again)
inline constexpr int MenuExit = 5005;
inline constexpr int MenuAnalysisSettings = 5006;
inline constexpr int MenuDisplaySettings = 5007;
inline constexpr int MenuProperties = 5008;
inline constexpr int MenuHelp = 5010;
inline constexpr int MenuSearch = 5012;
inline constexpr int MenuUndoMove = 5020;  // take back the last move
inline constexpr int Grid4 = 5101;
inline constexpr int Grid8 = 5102;
inline constexpr int AppsChanged = 5103;
inline constexpr int Preview = 6009;
}  // namespace cmd

// Twinscan's toolbar, buttons and popup menu.
namespace twinscan::cmd {
inline constexpr int Clear = 1001;
inline constexpr int Properties = 1008;
inline constexpr int Help = 1009;
inline constexpr int Extract = 2003;   // BT01
inline constexpr int OpenSame = 2023;  // BT41
inline constexpr int Delete = 2024;    // BT42
inline constexpr int Quit = 2025;      // BT43
inline constexpr int Stop = 2026;      // BT44
inline constexpr int OpenFiles = 3003;
inline constexpr int UndoExtract = 3010;  // take back the last extraction
inline constexpr int FindCopies = 3011;   // the automatic run, on a start with a folder or a drop
inline constexpr int SimilarToo = 2027;     // toggle: the search looks for the same pictures too
// The review's choices, and the extraction of the groups as the user left them.
inline constexpr int MakeKept = 3012;
inline constexpr int LeaveOut = 3013;
inline constexpr int LeaveOutGroup = 3014;
inline constexpr int ExtractChosen = 3015;
inline constexpr int UndoChoice = 3016;  // take back the review's last choice
// The listed folders searched again (F5, Enter), and a folder chosen to add to them (Ctrl+O).
inline constexpr int SearchAgain = 3017;
inline constexpr int ChooseFolder = 3018;
// The folder lists: the selected folders taken off, a reference folder
// chosen to add, a path typed over; the toggle of the subfolders; the
// review's lasting decisions forgotten.
inline constexpr int RemoveFolder = 3019;
inline constexpr int AddReference = 3020;
inline constexpr int RemoveReference = 3021;
inline constexpr int FoldersEdited = 3022;
inline constexpr int Subfolders = 3023;
inline constexpr int ForgetDecisions = 3024;
}  // namespace twinscan::cmd

}  // namespace pictray

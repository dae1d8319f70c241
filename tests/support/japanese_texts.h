// What runs say at their ends, word for word in Japanese, for the tests
// that check which end a run reached.
#pragma once

namespace pictray {

inline constexpr const char* kListupEnd = "Listup終了";
inline constexpr const char* kCharSetEnd = "キャラクタセット処理終了";
inline constexpr const char* kPhraseSetEnd = "定形句セット処理終了";
inline constexpr const char* kExtSetEnd = "拡張子セット処理終了";
inline constexpr const char* kAllSameQuestion = "全て同じ値がセットされました。値をクリアしますか？";
inline constexpr const char* kRgbEnd = "ＲＧＢ解析処理終了";
inline constexpr const char* kRgbAborted = "ＲＧＢ解析処理中止";
inline constexpr const char* kRatioEnd = "PGB比率解析処理終了";
inline constexpr const char* kRatioAborted = "PGB比率解析処理中止";
inline constexpr const char* kStrengthEnd = "解析処理終了";
inline constexpr const char* kStrengthAborted = "RGB成分強度解析処理中止";
inline constexpr const char* kAllColourEnd = "AllRGB解析処理終了";
inline constexpr const char* kPartColourEnd = "処理終了";
inline constexpr const char* kColourRunAborted = "解析処理中止";
inline constexpr const char* kMoveEnd = "移動処理終了";
inline constexpr const char* kColourMatchQuestion = "1-1-1フォルダが存在します別の名前で移動しますか";
inline constexpr const char* kFolderBusy = "このフォルダでは別の移動処理が実行中です。終わってからやり直してください";
inline constexpr const char* kTwinscanAborted = "処理中止";

}  // namespace pictray

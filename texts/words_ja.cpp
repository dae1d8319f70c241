#include "texts/vocabulary.h"

namespace pictray::texts {
namespace {

const char* SaidJa(Said s) {
  switch (s) {
    case Said::Name: return "%s";
    case Said::ListupEnd: return "Listup終了";
    case Said::FolderUnreadable: return "フォルダを読めません: %s (%s)";
    case Said::CharSetEnd: return "キャラクタセット処理終了";
    case Said::PhraseSetEnd: return "定形句セット処理終了";
    case Said::ExtSetEnd: return "拡張子セット処理終了";
    case Said::SetAborted: return "セット処理中止";
    case Said::SetEnd: return "セット処理終了";
    case Said::SizeAborted: return "SIZE解析処理中止";
    case Said::SizeEnd: return "SIZE解析処理終了";
    case Said::NgAborted: return "NG解析処理中止";
    case Said::NgEnd: return "NG解析処理終了";
    case Said::RgbEnd: return "ＲＧＢ解析処理終了";
    case Said::RgbNoMemory: return "failed to load";
    case Said::RatioEnd: return "PGB比率解析処理終了";
    case Said::RatioAborted: return "PGB比率解析処理中止";
    case Said::StrengthEnd: return "解析処理終了";
    case Said::StrengthAborted: return "RGB成分強度解析処理中止";
    case Said::AllSameQuestion: return "全て同じ値がセットされました。値をクリアしますか？";
    case Said::AllColourEnd: return "AllRGB解析処理終了";
    case Said::PartColourEnd: return "処理終了";
    case Said::ColourRunAborted: return "解析処理中止";
    case Said::WorkFileNotRemoved: return "作業ファイルを削除できません: %s (%e)";
    case Said::TooManyColours: return "選択は[%d]色以下にして下さい。(%d)";
    case Said::MoveEnd: return "移動処理終了";
    case Said::MoveLeftSourceFolder: return "移動元フォルダを開けない";
    case Said::MoveLeftUnsafeTarget: return "フォルダ名に使えない移動先";
    case Said::MoveLeftTargetNotFolder: return "移動先がフォルダでない";
    case Said::MoveLeftFolderNotCreated: return "フォルダを作成できない";
    case Said::MoveLeftDifferentFileThere: return "移動先に同名の別ファイルあり";
    case Said::MoveLeftSourceMissing: return "ファイルが見つからない";
    case Said::MoveLeftSourceChanged: return "移動中にファイルが変更された";
    case Said::MoveLeftMoveFailed: return "移動できない";
    case Said::MoveLeftJournalStopped: return "移動の記録を書けない";
    case Said::MoveLeftSidecarTargetTaken: return "付随ファイルの移動先に同名の別ファイルあり";
    case Said::NotMoved: return "%s -> %s: ";
    case Said::ColourMatchQuestion: return "1-1-1フォルダが存在します別の名前で移動しますか";
    case Said::FolderBusy: return "このフォルダでは別の移動処理が実行中です。終わってからやり直してください";
    case Said::MoveJournalNotCreated: return "移動の記録を作成できないため移動しません: %s (%e)";
    case Said::NothingToUndo: return "元に戻せる移動はありません: %s";
    case Said::UndoMoveQuestion: return "%sの移動（%d件）を元に戻しますか？";
    case Said::UndoExtractQuestion: return "%sの抽出（%d件）を元に戻しますか？";
    case Said::UndoEnd: return "元に戻しました: %d件";
    case Said::UndoNotPossible: return "移動を元に戻せません: %s (%e)";
    case Said::UndoLeftNameTaken: return "元の名前が別のファイルで使われている";
    case Said::UndoLeftChanged: return "移動のあとで変更された";
    case Said::UndoLeftMissing: return "移動先に見つからない";
    case Said::UndoLeftRefused: return "記録の名前がフォルダの外を指すため扱わない";
    case Said::UndoLeftFolderNotEmpty: return "フォルダに他のファイルがある";
    case Said::UndoLeftFailed: return "戻せない";
    case Said::TwinscanAborted: return "処理中止";
    case Said::FolderNotOpened: return "フォルダを開けません: %s (%e)";
    case Said::ExtractJournalNotCreated: return "抽出の記録を作成できないため抽出しません: %s (%e)";
    case Said::ExtractJournalStopped: return "抽出の記録を書けないため止めました: %s (%e)";
    case Said::ExtractLeftMoveFailed: return "移動できない: %e";
    case Said::ExtractLeftJournalStopped: return "抽出の記録を書けない: %e";
    case Said::ExtractLeftInExtractionFolder: return "抽出フォルダに残った: %e";
    case Said::Extracted: return "抽出しました";
    case Said::NothingExtracted: return "抽出ファイル無し";
    case Said::ExtractedInto: return "[%s] フォルダを作成して抽出";
    case Said::NoFilesToExtract: return "抽出ファイルはありません";
    case Said::NoExtractionToUndo: return "元に戻せる抽出はありません";
    case Said::DeleteQuestion: return "抽出フォルダの削除を実行しますか？";
    case Said::Deleted: return "(%s)抽出ファイルの削除を実行しました";
    case Said::FolderNotDeleted: return "抽出フォルダを削除できませんでした: %s";
    case Said::DeleteRefused: return "抽出フォルダを削除しません";
    case Said::DeleteFoundForeign: return "抽出したファイル以外のものがあります";
    case Said::DeleteFoundChanged: return "抽出後に変更されたファイルがあります";
    case Said::DeleteFoundKeptDiffers: return "残したファイルと内容が一致しなくなったファイルがあります";
    case Said::DeleteFoundUnreadable: return "調べられないものがあります";
  }
  return "";
}

const char* PieceJa(Piece p) {
  switch (p) {
    case Piece::NameAfter: return ": %s";
    case Piece::MoveJournalStopped: return ": 移動の記録を書けないため止めました: %s (%e)";
    case Piece::MoveLeftOpen: return ": %d件は移動せず元の場所に残しました（";
    case Piece::ReasonCount: return "%s %d件";
    case Piece::ListComma: return "、";
    case Piece::MoveLeftClose: return "）";
    case Piece::ErrorAfter: return " (%e)";
    case Piece::UndoAborted: return "（中止しました）";
    case Piece::UndoJournalStopped: return "\n記録を書けないため止めました: %s (%e)";
    case Piece::UndoLeftHeader: return "\n%d件は戻さずに残しました:";
    case Piece::UndoLeftMoved: return "\n%s -> %s: ";
    case Piece::UndoLeftFolder: return "\n%s: ";
    case Piece::ExtractLeftDiffers: return "（内容が一致しない・変更された%d件は残しました）";
    case Piece::ExtractLeftFailed: return "（移動できなかった%d件）";
    case Piece::DeleteFoundItem: return "／%s（%d件）: %s";
  }
  return "";
}

const char* ButtonJa(Button b) {
  switch (b) {
    case Button::Yes: return "yes";
    case Button::Err: return "err";
    case Button::Ok: return "OK";
    case Button::No: return "NO";
    case Button::Clear: return "クリアする";
    case Button::DoNot: return "しない";
    case Button::Delete: return "削除する";
    case Button::QuitProgram: return "プログラム終了";
    case Button::Undo: return "元に戻す";
    case Button::Quit: return "終了する";
  }
  return "";
}

const char* CliJa(CliText t) {
  switch (t) {
    case CliText::TwinscanUsage:
      return "使い方: twinscan-cli [--similar] [--groups] [--keep RULE] [--extract [--dry-run]] フォルダ\n"
             "        twinscan-cli --undo フォルダ | --undo-list フォルダ\n";
    case CliText::TwinscanHelp:
      return "フォルダのファイルを一覧にし、内容がバイト単位で同じものをまとめます。1ファイル1行で\n"
             "file, folda, filename, size, sameno, firstfile をタブ区切りで出力します。\n"
             "  --similar   保存し直した同じ画像（縮小・再圧縮・別形式・回転・わずかな切り抜き）もまとめ、\n"
             "              表の代わりに組のファイルごとに1行: 組、keep または copy、名前、サイズ、\n"
             "              幅x高さ、ハッシュの距離、相関、共通部分の %。--extract ではそのコピーも移動\n"
             "  --groups    代わりに1組1行で名前を出力（残すものが先頭）\n"
             "  --keep RULE 組で残す1つ: original（既定: \" (1)\" や \" - Copy\" のようなコピーの印の\n"
             "              無い名前、同じ画像では次に画素数の多い方、次に大きい方、古い方、短い名前）、\n"
             "              oldest（撮影日時か更新日時の最も古いものを先に）、largest（最も大きい\n"
             "              ファイルを先に）、pixels（画素数の最も多いものを先に）\n"
             "  --extract   余分なコピーをすべてフォルダ内に新しく作る same... フォルダへ移動\n"
             "  --dry-run   --extract と共に: 移動するものを示すだけで何も変更しない\n"
             "  --undo フォルダ       フォルダの最後の抽出を元に戻す: 移動したときのファイルのままで\n"
             "                        元の名前が空いているものが戻ります。\"back N\" と、残したファイル\n"
             "                        ごとにその理由を1行ずつ出力\n"
             "  --undo-list フォルダ  フォルダの抽出のうち、まだ元に戻せるもの\n"
             "  --lang ja|en          メッセージの言語（既定: LC_ALL、LC_MESSAGES、LANG が日本語の\n"
             "                        ロケールなら日本語、それ以外は英語）\n"
             "記録は $XDG_STATE_HOME/twinscan/journals（または ~/.local/state/...）にフォルダごと\n"
             "最新50回分を保存します。\n"
             "出力するどの欄でも、タブ・改行・バックスラッシュは \\t、\\n、\\\\ と書きます。\n"
             "終了ステータス: 0 完了; 1 移動できないコピーがあった、または別の処理がフォルダのファイルを\n"
             "移動中（このときは何も移動しません）; 2 引数の誤り、またはフォルダをフォルダとして読めない。\n";
  }
  return "";
}

}  // namespace

const Vocabulary kJapanese{SaidJa, PieceJa, ButtonJa, CliJa};

}  // namespace pictray::texts

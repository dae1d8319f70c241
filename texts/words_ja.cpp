#include "engine/run/command_ids.h"
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
    case Said::RgbAborted: return "ＲＧＢ解析処理中止";
    case Said::RgbNoMemory: return "failed to load";
    case Said::RatioEnd: return "PGB比率解析処理終了";
    case Said::RatioAborted: return "PGB比率解析処理中止";
    case Said::StrengthEnd: return "解析処理終了";
    case Said::StrengthAborted: return "RGB成分強度解析処理中止";
    case Said::SharpnessEnd: return "鮮鋭度解析処理終了";
    case Said::SharpnessAborted: return "鮮鋭度解析処理中止";
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
    case Said::DecisionsHidden: return "以前の判断により %d グループ・%d ファイルを表示しません (--forget-decisions で再び表示)";
    case Said::DecisionsForgotten: return "%d 件の判断を忘れました";
    case Said::DecisionsNotKept: return "%d 件の判断を保存できませんでした: %s (%e)";
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
    case Said::ExtractLeftReference: return "参照フォルダのファイルは移動しない";
    case Said::ExtractLeftInExtractionFolder: return "抽出フォルダに残った: %e";
    case Said::Extracted: return "抽出しました";
    case Said::NothingExtracted: return "抽出ファイル無し";
    case Said::ExtractedInto: return "[%s] フォルダを作成して抽出";
    case Said::ExtractDryRunEnd: return "試行のため何も移動していません。抽出するもの";
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
    case Said::KeepRuleEmpty: return "残す規則が空です";
    case Said::KeepRuleUnknownWord:
      return "残す規則に知らない語があります: \"%s\"（使える語: reference, companions, original, camera, "
             "pixels, size か largest, format, date か oldest, name, folder:パス）";
    case Said::KeepRuleRepeated: return "残す規則で \"%s\" が2回あります";
    case Said::KeepRuleReferenceNotFirst: return "残す規則の \"reference\" は先頭に置くか省いてください";
    case Said::SimilarSkipped: return "同じ画像の検索で比べなかった画像: %d件";
    case Said::SimilarSkippedUnreadable: return "読めません: %s";
    case Said::SimilarSkippedTooLarge: return "大きすぎて描けません: %s";
    case Said::SimilarSkippedFormat: return "描けない形式です: %s";
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
    case Piece::ExtractMoved: return ": %d件、%s";
    case Piece::SizeBytes: return "%d バイト";
    case Piece::SizeUnits: return "%s %s";
    case Piece::WhyReference: return "参照フォルダのファイル";
    case Piece::WhyLiveVideo: return "Live Photo の動画あり";
    case Piece::WhyOriginal: return "コピーの印なし";
    case Piece::WhyCamera: return "カメラのオリジナル";
    case Piece::WhyPixels: return "画素数が多い %dx%d > %dx%d";
    case Piece::WhySize: return "ファイルが大きい %s > %s";
    case Piece::WhyFormat: return "形式 %s を %s より優先";
    case Piece::WhyDate: return "古い %s < %s";
    case Piece::WhyDateTaken: return "撮影 %s";
    case Piece::WhyDateModified: return "更新 %s";
    case Piece::WhyShorterName: return "名前が短い %d < %d バイト";
    case Piece::WhyNameOrder: return "名前の順で先";
    case Piece::WhyFolder: return "優先フォルダ %s の中";
    case Piece::WhyAnyFolder: return "優先フォルダの中";
    case Piece::WhyChosen: return "選択による";
    case Piece::WhySame: return "違いなし";
    case Piece::KindRaw: return "RAW";
    case Piece::KindLossless: return "PNG/TIFF/BMP";
    case Piece::KindHeif: return "HEIF";
    case Piece::KindJpeg: return "JPEG";
    case Piece::KindWebP: return "WebP";
    case Piece::KindOther: return "その他";
    case Piece::ProgressListing: return "一覧作成";
    case Piece::ProgressKeying: return "キー読み取り";
    case Piece::ProgressGrouping: return "比較・組分け";
    case Piece::ProgressMeasuring: return "画像の測定";
    case Piece::ProgressComparing: return "画像の比較";
    case Piece::ProgressExtracting: return "抽出";
    case Piece::ProgressCount: return " %d/%d";
    case Piece::ProgressLeft: return "、残り %s";
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
      return "使い方: twinscan-cli [--similar] [--groups | --json | --csv] [--keep RULE] [--quiet]\n"
             "                     [--extract [--dry-run]] [-r] [--reference ライブラリ]... フォルダ...\n"
             "        twinscan-cli --undo フォルダ | --undo-list フォルダ | --forget-decisions\n";
    case CliText::TwinscanHelp:
      return "フォルダのファイルを一覧にし、内容がバイト単位で同じものをまとめます。1ファイル1行で\n"
             "file, folda, filename, size, sameno, firstfile をタブ区切りで出力します。\n"
             "付随ファイル（.xmp、.aae、.thm、画像の名前全体 + .xmp）と画像の Live Photo の動画（同じ名前の\n"
             "MOV/MP4）は単独ではまとめず、画像と一緒に動きます。\n"
             "  --similar   保存し直した同じ画像（縮小・再圧縮・別形式・回転・わずかな切り抜き）もまとめ、\n"
             "              表の代わりに組のファイルごとに1行: 組、keep または copy、名前、サイズ、\n"
             "              幅x高さ、ハッシュの距離、相関、共通部分の %、残すファイルの行には残す理由。\n"
             "              --extract ではそのコピーも移動\n"
             "  --groups    代わりに1組1行で名前を出力（残すものが先頭）\n"
             "  --json      代わりに組を1つの JSON で出力: 各ファイルのパス、名前、サイズ、幅、高さ、形式、\n"
             "              撮影日時、役割（keep か copy）、付随ファイル、似かた（同一、距離、相関、共通\n"
             "              部分の %）、組ごとの why_kept（基準、言葉、比べた値）。--extract では移動の\n"
             "              結果も。UTF-8 でない名前は、その各バイトを U+FFFD にし、正確なバイトを16進で\n"
             "              別の欄（path_hex、name_hex）に出力\n"
             "  --csv       代わりに組を CSV（RFC 4180、行末 CR LF）で出力: group, role, path, name, size,\n"
             "              width, height, format, date_taken, identical, distance, correlation,\n"
             "              common_area_percent, why_criterion, why_kept。名前はそのままのバイト\n"
             "  --keep RULE  組で残す1つ: 基準のコンマ区切りの並び。2つのファイルに差をつけた最初の基準で\n"
             "              決まり、挙げなかった基準は既定の順\n"
             "              reference,companions,original,camera,pixels,size,format,date,name で後に続く:\n"
             "                reference   参照フォルダのファイルを先に（常に先頭）\n"
             "                companions  Live Photo の動画のある画像（付随ファイルは画像と一緒に動くが順位には\n"
             "                            関わらない）\n"
             "                original    \" (1)\" や \" - Copy\" のようなコピーの印の無い名前\n"
             "                camera      カメラのオリジナル: Exif にカメラ（メーカーか機種）と撮影日時の\n"
             "                            ある HEIC か JPEG\n"
             "                pixels      画素数の多い方\n"
             "                size        （または largest）大きいファイル\n"
             "                format      RAW、PNG/TIFF/BMP、HEIF、JPEG、WebP の順\n"
             "                date        （または oldest）撮影日時、無ければ更新日時の古い方\n"
             "                name        短い名前、次に名前の順\n"
             "                folder:パス  パスの中のファイルを先に（何度でも）\n"
             "              プリセット: original（既定）、oldest、largest、pixels はその1語の並び。\n"
             "              誤った並びはエラー（終了ステータス 2）\n"
             "  --extract   余分なコピーを付随ファイルと共にフォルダ内に新しく作る same... フォルダへ移動し、\n"
             "              移動したファイルの数と合計サイズを示す\n"
             "  --dry-run   --extract と共に: 移動するものを示すだけで何も変更しない\n"
             "  -r          各フォルダのサブフォルダも (隠しフォルダ・same... フォルダ・リンクは除く。\n"
             "              同じフォルダは一度だけ)。名前はフォルダからの相対パスで表示し、重複は\n"
             "              それぞれのフォルダの same... にその相対パスのまま移動 (記録は一つ、--undo は最初のフォルダ)\n"
             "  --reference ライブラリ  保護するライブラリ (複数可): そのファイルは移動せず、グループでは常に残し、\n"
             "              そのファイルだけのグループは表示しない\n"
             "  --forget-decisions  レビューの判断 (「同じではない」「グループを除外」) を忘れる\n"
             "  --quiet     標準エラーに進み具合の行も移動したものの言葉も出さない\n"
             "  --undo フォルダ       フォルダの最後の抽出を元に戻す: 移動したときのファイルのままで\n"
             "                        元の名前が空いているものが戻ります。\"back N\" と、残したファイル\n"
             "                        ごとにその理由を1行ずつ出力\n"
             "  --undo-list フォルダ  フォルダの抽出のうち、まだ元に戻せるもの\n"
             "  --lang ja|en          メッセージの言語（既定: LC_ALL、LC_MESSAGES、LANG が日本語の\n"
             "                        ロケールなら日本語、それ以外は英語）\n"
             "標準エラーが端末なら、処理の段階（一覧作成、キー読み取り、比較・組分け、画像の測定、画像の\n"
             "比較、抽出）とその数、全体が分かるところでは残り時間を示します。\n"
             "記録は $XDG_STATE_HOME/twinscan/journals（または ~/.local/state/...）にフォルダごと\n"
             "最新50回分を保存します。\n"
             "出力するどの欄でも（JSON と CSV を除く）、タブ・改行・バックスラッシュは \\t、\\n、\\\\ と書きます。\n"
             "終了ステータス: 0 完了; 1 移動できないコピーがあった、または別の処理がフォルダのファイルを\n"
             "移動中（このときは何も移動しません）; 2 引数の誤り（誤った --keep の並びを含む）、または\n"
             "フォルダをフォルダとして読めない。\n";
    case CliText::PictrayUsage:
      return "使い方: pictray-cli [--ini ファイル] [--select リスト] [--answer clear|keep] フォルダ [ステップ ...]"
             " | [--ini ファイル] --undo フォルダ | --undo-list フォルダ";
    case CliText::PictrayHelpHead:
      return "Pictray の一覧作成と同じようにフォルダを一覧にし、各ステップを順に行って、1ファイル1行で\n"
             "名前、行き先、種類、注記をタブ区切りで出力します。欄の中のタブ・改行・バックスラッシュは\n"
             "\\t、\\n、\\\\ と書きます。\n"
             "\n"
             "  --ini ファイル   設定ファイル（既定: プログラムの横の Pictray.ini、インストール後は\n"
             "                   ~/.config/pictray の中）\n"
             "  --select リスト  一覧作成のときに行う解析: ";
    case CliText::PictrayHelpOptions:
      return "  --answer clear|keep  すべての質問への答え（既定 keep）\n"
             "  --lang ja|en     メッセージの言語（既定: LC_ALL、LC_MESSAGES、LANG が日本語の\n"
             "                   ロケールなら日本語、それ以外は英語）\n";
    case CliText::PictrayHelpSteps: return "ステップ（書いた順に行います）:\n";
    case CliText::PictrayHelpTail:
      return "色を読むステップは設定を設定ファイルから取り、プログラムの libthumbkit.so を使います。\n"
             "\n"
             "exif のラベルは設定ファイルの ExifSel で決まります: 更新日時（DateTime）1 日付、2 時、\n"
             "3 10分単位、4 分、11 秒、14 年月、15 年; 5 機種; 6 ソフトウェア; 撮影日時\n"
             "（DateTimeOriginal）7 日付、8 時、9 10分単位、10 分、12 秒、16 年月、17 年; 入れ子の\n"
             "フォルダで撮影日時 18 年/月（2023/06）、19 年/月/日、更新日時 20 年/月、21 年/月/日。続けて\n"
             "Exif ブロックのバイト順 \"(II)\"/\"(MM)\" を付けます（ExifOrderTag=0 では付けません）。\n"
             "Exif の日付がないファイルは、NameDate=1 ならファイル名の日付（IMG_20230614_101112.jpg）、\n"
             "それもなく FileDate=1 なら更新日時になり、備考に NameDate または FileDate と出ます。\n"
             "exif、size、ng は JPEG を読み、設定ファイルが AllFormats=0 でなければ HEIC/HEIF、AVIF、\n"
             "CR2、CR3、CRW、NEF、NRW、ARW、SR2、DNG、ORF、RW2、RAF、PEF、SRW、MRW、TIFF、PNG、WebP と\n"
             "動画 MOV、MP4、M4V、3GP も中身で見分けて読みます（日時、機種、ソフトウェア; 保存されている\n"
             "画像全体のサイズ; 全体を読めないファイルと、その形式の名前なのにそうでないファイルは NG）。\n"
             "AllFormats=0 ではこれらの形式のファイルを JPEG として解析します: Exif とサイズのラベルは\n"
             "無く、NG。\n"
             "\n"
             "  --undo フォルダ       フォルダの移動のうち、まだ元に戻していない最後のものを元に戻す:\n"
             "                        移動したときのファイルのままで、元の名前が空いているものが戻ります。\n"
             "                        残したファイルごとにその理由を1行出力。ファイルを残した移動は\n"
             "                        より古い移動のために飛ばし、それらが戻ったあとでもう一度試します\n"
             "  --undo-list フォルダ  フォルダの移動のうち、まだ元に戻せるもの（新しい順）: 日時、種類、\n"
             "                        戻すファイル数、記録。その下に、最後に元に戻したとき残したファイルを\n"
             "                        --undo と同じ形で\n"
             "記録は $XDG_STATE_HOME/pictray/journals（または ~/.local/state/...）にフォルダごと\n"
             "最新50回分を保存します。\n"
             "\n"
             "終了ステータス: 0 完了; 1 ステップ、移動、元に戻すのどれかが失敗したかファイルを残した、\n"
             "または別の処理がフォルダを使用中; 2 引数の誤り、または使えないステップ。\n";
  }
  return "";
}

const char* StepJa(int command) {
  switch (command) {
    case cmd::CharClass:
      return "パターン\tパターンに合う名前に、パターンから作るフォルダ名を付ける（# か % は数字、\n"
             "$ か * は英字、? は任意の1文字。%、*、? は名前のその文字を写す）";
    case cmd::PhraseClass: return "文字列\t文字列を含む名前に、その文字列をフォルダ名として付ける";
    case cmd::ExtClass: return "\t拡張子のフォルダへ（.jpg のファイルは jpg へ）";
    case cmd::Exif: return "\tExif の日時、機種、ソフトウェア（ExifSel による。下記）";
    case cmd::Info: return "\tファイル先頭の形式の印（JFIF、Exif など）";
    case cmd::HeaderCheck: return "\tJPEG として正しく始まり Exif を持つか（NoJPEG、NoExif など）";
    case cmd::SizeAnalysis: return "\t画像の幅と高さ（640X480 など）";
    case cmd::NgAnalysis: return "\t全体を読めないファイルを NG に（行う検査は設定ファイルによる）";
    case cmd::RgbAnalysis:
      return "セル\t画像に重ねた格子の選んだセルで最も多い色（128_064_000 など）。セルは\n"
             "1..PartX*PartX のカンマ区切りか all";
    case cmd::RgbRatio: return "\tおおまかな色の系統ごとの割合";
    case cmd::RgbStrength: return "\t赤・緑・青のうち一つの強さ。注記にその色";
    case cmd::Sharpness: return "\t画像の鮮鋭度: sharp(鮮明)、soft(やや甘い)、blurred(ぼけ)";
    case cmd::AllColour:
      return "リストファイル\tRGB.txt のようなリストファイル（1行に RRR:GGG:BBB）の色を画像全体で\n"
             "（AllColorMode、MatchPer、samcount は設定ファイルから）";
    case cmd::PartColour: return "リストファイル@セル\t同じことを選んだセルの中で（PartColorMode）";
    case cmd::MoveStart:
      return "\tファイルを行き先のフォルダへ移動。結果の行と、移動せず残したファイルは\n"
             "標準エラーへ";
    case cmd::ClearAnalyses: return "\tすべてのファイルの行き先を消す";
  }
  return "";
}

}  // namespace

const Vocabulary kJapanese{SaidJa, PieceJa, ButtonJa, CliJa, StepJa};

}  // namespace pictray::texts

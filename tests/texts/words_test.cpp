#include <gtest/gtest.h>

#include <cerrno>

#include "engine/runs/run_commands.h"
#include "texts/texts.h"

namespace pictray {
namespace {

using texts::Language;
using texts::Words;

struct Row {
  Message message;
  std::string japanese, english;
};

TEST(WordsTest, SayEveryKindInBothLanguagesKeepingNamesBytes) {
  const std::string bad = "\xff\xfe%s.jpg";  // not UTF-8, and holding a marker
  const Row rows[] = {
      {{Said::RgbEnd}, "ＲＧＢ解析処理終了", "RGB analysis finished"},
      {{Said::Name, {bad}}, bad, bad},
      {{Said::FolderUnreadable, {"/p", "why"}}, "フォルダを読めません: /p (why)", "Cannot read the folder: /p (why)"},
      {{Said::TooManyColours, {}, {100, 120}}, "選択は[100]色以下にして下さい。(120)",
       "Choose at most [100] colours. (120)"},
      {{Said::WorkFileNotRemoved, {bad}, {}, EACCES}, "作業ファイルを削除できません: " + bad + " (Permission denied)",
       "Cannot delete the work file: " + bad + " (Permission denied)"},
      {{Said::MoveEnd}, "移動処理終了", "Move finished"},
      {{Said::MoveEnd, {"/s/j"}, {3}, ENOSPC, {{Said::MoveLeftSourceMissing, {}, {2}}, {Said::MoveLeftMoveFailed, {}, {1}}}},
       "移動処理終了: 移動の記録を書けないため止めました: /s/j (No space left on device): 3件は移動せず元の場所に残しました"
       "（ファイルが見つからない 2件、移動できない 1件）",
       "Move finished: stopped because the move record cannot be written: /s/j (No space left on device): 3 files "
       "were not moved and stay where they were (file not found: 2, cannot be moved: 1)"},
      {{Said::NotMoved, {bad, "F"}, {}, EXDEV, {{Said::MoveLeftMoveFailed}}},
       bad + " -> F: 移動できない (Invalid cross-device link)", bad + " -> F: cannot be moved (Invalid cross-device link)"},
      {{Said::FolderBusy, {bad}}, "このフォルダでは別の移動処理が実行中です。終わってからやり直してください: " + bad,
       "Another move is working in this folder. Try again when it has finished: " + bad},
      {{Said::NothingToUndo, {""}}, "元に戻せる移動はありません: ", "There is no move to undo: "},
      {{Said::UndoExtractQuestion, {"2024/01/02 03:04:05"}, {7}}, "2024/01/02 03:04:05の抽出（7件）を元に戻しますか？",
       "Undo the extraction of 2024/01/02 03:04:05 (7 files)?"},
      {{Said::UndoEnd,
        {"/s/j"},
        {3, 1},
        ENOSPC,
        {{Said::UndoLeftChanged, {"/p/x/a.jpg", "/p/a.jpg"}}, {Said::UndoLeftFolderNotEmpty, {"/p/x", ""}, {}, ENOTEMPTY}}},
       "元に戻しました: 3件（中止しました）\n記録を書けないため止めました: /s/j (No space left on device)\n2件は戻さずに残し"
       "ました:\n/p/x/a.jpg -> /p/a.jpg: 移動のあとで変更された\n/p/x: フォルダに他のファイルがある (Directory not empty)",
       "Undone: 3 files (stopped)\nStopped because the record cannot be written: /s/j (No space left on device)\n2 were "
       "left where they are:\n/p/x/a.jpg -> /p/a.jpg: changed after the move\n/p/x: the folder holds other files "
       "(Directory not empty)"},
      {{Said::ExtractedInto, {"same_1/"}, {2, 1}}, "[same_1/] フォルダを作成して抽出（内容が一致しない・変更された2件は残しました）"
       "（移動できなかった1件）", "Created the folder [same_1/] and extracted into it (2 files whose contents differ or "
       "changed were left in place) (1 files could not be moved)"},
      {{Said::ExtractedInto, {"same_1/"}, {0, 0, 3, 1536}}, "[same_1/] フォルダを作成して抽出: 3件、1.5 KB",
       "Created the folder [same_1/] and extracted into it: 3 files, 1.5 KB"},
      {{Said::ExtractDryRunEnd, {""}, {0, 0, 2, 100}}, "試行のため何も移動していません。抽出するもの: 2件、100 バイト",
       "Dry run, nothing moved; it would extract: 2 files, 100 bytes"},
      {{Said::KeepRuleRepeated, {"size"}}, "残す規則で \"size\" が2回あります", "The keep rule names \"size\" twice"},
      {{Said::DeleteRefused, {}, {}, 0, {{Said::DeleteFoundForeign, {"a", bad}, {3}}, {Said::DeleteFoundChanged, {"b"}, {1}}}},
       "抽出フォルダを削除しません／抽出したファイル以外のものがあります（3件）: a, " + bad + ", …／抽出後に変更されたファイル"
       "があります（1件）: b",
       "The extraction folder is not deleted / it holds something that was not extracted (3): a, " + bad +
           ", … / files changed after the extraction (1): b"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Words(r.message, Language::Japanese), r.japanese);
    EXPECT_EQ(Words(r.message, Language::English), r.english);
  }
  // twinscan-cli's progress line and sizes.
  EXPECT_EQ(texts::ProgressWords(texts::ProgressStep::Measuring, 50, 200, 75, Language::English),
            "measuring 50/200, 1:15 left");
  EXPECT_EQ(texts::ProgressWords(texts::ProgressStep::Listing, 10, 40, 3725, Language::Japanese),
            "一覧作成 10/40、残り 1:02:05");
  EXPECT_EQ(texts::SizeWords(5ull << 30, Language::English), "5.0 GB");
  // Every kind and button has words in both languages.
  for (int s = 0; s <= static_cast<int>(Said::SimilarSkippedFormat); ++s)
    for (Language l : {Language::Japanese, Language::English})
      EXPECT_NE(Words(Message{static_cast<Said>(s), {"n"}}, l), "") << s;
  for (int b = 0; b <= static_cast<int>(Button::Quit); ++b) {
    const auto button = static_cast<Button>(b);
    EXPECT_NE(Words(button, Language::Japanese), "");
    EXPECT_NE(Words(button, Language::English), "");
  }
}

// Every step of the command rows is worded in every language, its value
// named exactly when it takes one, so that pictray-cli's help has them all.
TEST(WordsTest, EveryStepIsWordedInEveryLanguage) {
  std::vector<std::pair<std::string_view, int>> steps;
  for (const RunCommand& c : RunCommands()) steps.emplace_back(c.verb, c.id);
  steps.emplace_back("clear", FindRowsWord("clear")->id);
  for (const texts::LanguageInfo& l : texts::Languages())
    for (const auto& [verb, id] : steps) {
      const texts::StepWords w = texts::WordsOfStep(id, l.language);
      EXPECT_FALSE(w.what.empty()) << verb << ' ' << l.code;
      EXPECT_EQ(w.value.empty(), !verb.ends_with('=')) << verb << ' ' << l.code;
    }
}

}  // namespace
}  // namespace pictray

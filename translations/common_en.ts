<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>engine</name>
    <message>
        <source>Listup終了</source>
        <translation>Listing finished</translation>
    </message>
    <message>
        <source>フォルダを読めません: %1 (%2)</source>
        <translation>Cannot read the folder: %1 (%2)</translation>
    </message>
    <message>
        <source>キャラクタセット処理終了</source>
        <translation>Character classification finished</translation>
    </message>
    <message>
        <source>定形句セット処理終了</source>
        <translation>Phrase classification finished</translation>
    </message>
    <message>
        <source>拡張子セット処理終了</source>
        <translation>Extension classification finished</translation>
    </message>
    <message>
        <source>セット処理中止</source>
        <translation>Classification aborted</translation>
    </message>
    <message>
        <source>セット処理終了</source>
        <translation>Classification finished</translation>
    </message>
    <message>
        <source>SIZE解析処理中止</source>
        <translation>Size analysis aborted</translation>
    </message>
    <message>
        <source>SIZE解析処理終了</source>
        <translation>Size analysis finished</translation>
    </message>
    <message>
        <source>NG解析処理中止</source>
        <translation>NG analysis aborted</translation>
    </message>
    <message>
        <source>NG解析処理終了</source>
        <translation>NG analysis finished</translation>
    </message>
    <message>
        <source>ＲＧＢ解析処理終了</source>
        <translation>RGB analysis finished</translation>
    </message>
    <message>
        <source>PGB比率解析処理終了</source>
        <translation>RGB ratio analysis finished</translation>
    </message>
    <message>
        <source>PGB比率解析処理中止</source>
        <translation>RGB ratio analysis aborted</translation>
    </message>
    <message>
        <source>解析処理終了</source>
        <translation>Analysis finished</translation>
    </message>
    <message>
        <source>RGB成分強度解析処理中止</source>
        <translation>RGB component strength analysis aborted</translation>
    </message>
    <message>
        <source>全て同じ値がセットされました。値をクリアしますか？</source>
        <translation>Every file got the same value. Clear the values?</translation>
    </message>
    <message>
        <source>移動処理終了</source>
        <translation>Move finished</translation>
    </message>
    <message>
        <source>: %1件は移動せず元の場所に残しました（</source>
        <translation>: %1 files were not moved and stay where they were (</translation>
    </message>
    <message>
        <source>移動元フォルダを開けない %1件</source>
        <translation>source folder cannot be opened: %1</translation>
    </message>
    <message>
        <source>フォルダ名に使えない移動先 %1件</source>
        <translation>target not usable as a folder name: %1</translation>
    </message>
    <message>
        <source>移動先がフォルダでない %1件</source>
        <translation>target is not a folder: %1</translation>
    </message>
    <message>
        <source>フォルダを作成できない %1件</source>
        <translation>folder cannot be created: %1</translation>
    </message>
    <message>
        <source>移動先に同名の別ファイルあり %1件</source>
        <translation>a different file of the same name is in the target: %1</translation>
    </message>
    <message>
        <source>ファイルが見つからない %1件</source>
        <translation>file not found: %1</translation>
    </message>
    <message>
        <source>移動中にファイルが変更された %1件</source>
        <translation>file changed during the move: %1</translation>
    </message>
    <message>
        <source>移動できない %1件</source>
        <translation>cannot be moved: %1</translation>
    </message>
    <message>
        <source>移動の記録を書けない %1件</source>
        <translation>the journal cannot be written: %1</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>）</source>
        <translation>)</translation>
    </message>
    <message>
        <source>1-1-1フォルダが存在します別の名前で移動しますか</source>
        <translation>A 1-1-1 folder exists. Move under another name?</translation>
    </message>
    <message>
        <source>このフォルダでは別の移動処理が実行中です。終わってからやり直してください</source>
        <translation>Another move is working in this folder. Try again when it has finished</translation>
    </message>
    <message>
        <source>このフォルダでは別の移動処理が実行中です。終わってからやり直してください: %1</source>
        <translation>Another move is working in this folder. Try again when it has finished: %1</translation>
    </message>
    <message>
        <source>処理中止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>フォルダを開けません: %1</source>
        <translation>Cannot open the folder: %1</translation>
    </message>
    <message>
        <source>抽出しました</source>
        <translation>Extracted</translation>
    </message>
    <message>
        <source>抽出ファイルはありません</source>
        <translation>There are no files to extract</translation>
    </message>
    <message>
        <source>抽出ファイル無し</source>
        <translation>No files extracted</translation>
    </message>
    <message>
        <source>[%1] フォルダを作成して抽出</source>
        <translation>Created the folder [%1] and extracted into it</translation>
    </message>
    <message>
        <source>（内容が一致しない・変更された%1件は残しました）</source>
        <translation> (%1 files whose contents differ or changed were left in place)</translation>
    </message>
    <message>
        <source>（移動できなかった%1件）</source>
        <translation> (%1 files could not be moved)</translation>
    </message>
    <message>
        <source>抽出フォルダの削除を実行しますか？</source>
        <translation>Delete the extraction folder?</translation>
    </message>
    <message>
        <source>(%1)抽出ファイルの削除を実行しました</source>
        <translation>(%1) The extracted files were deleted</translation>
    </message>
    <message>
        <source>抽出フォルダを削除できませんでした: %1</source>
        <translation>The extraction folder could not be deleted: %1</translation>
    </message>
    <message>
        <source>抽出フォルダを削除しません</source>
        <translation>The extraction folder is not deleted</translation>
    </message>
    <message>
        <source>／抽出したファイル以外のものがあります（%1件）: %2</source>
        <translation> / it holds something that was not extracted (%1): %2</translation>
    </message>
    <message>
        <source>／抽出後に変更されたファイルがあります（%1件）: %2</source>
        <translation> / files changed after the extraction (%1): %2</translation>
    </message>
    <message>
        <source>／残したファイルと内容が一致しなくなったファイルがあります（%1件）: %2</source>
        <translation> / files no longer equal to the kept file (%1): %2</translation>
    </message>
    <message>
        <source>／調べられないものがあります（%1件）: %2</source>
        <translation> / things that cannot be examined (%1): %2</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>err</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>NO</source>
        <translation>No</translation>
    </message>
    <message>
        <source>クリアする</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>しない</source>
        <translation>Don&apos;t</translation>
    </message>
    <message>
        <source>削除する</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>プログラム終了</source>
        <translation>Quit the program</translation>
    </message>
    <message>
        <source>AllRGB解析処理終了</source>
        <translation>All-colour (AllRGB) analysis finished</translation>
    </message>
    <message>
        <source>処理終了</source>
        <translation>Finished</translation>
    </message>
    <message>
        <source>解析処理中止</source>
        <translation>Analysis stopped</translation>
    </message>
    <message>
        <source>作業ファイルを削除できません: %1 (%2)</source>
        <translation>Cannot delete the work file: %1 (%2)</translation>
    </message>
    <message>
        <source>選択は[%1]色以下にして下さい。(%2)</source>
        <translation>Choose at most [%1] colours. (%2)</translation>
    </message>
    <message>
        <source>: 移動の記録を書けないため止めました: %1 (%2)</source>
        <translation>: stopped because the move record cannot be written: %1 (%2)</translation>
    </message>
    <message>
        <source>移動の記録を作成できないため移動しません: %1 (%2)</source>
        <translation>Nothing is moved because the move record cannot be created: %1 (%2)</translation>
    </message>
    <message>
        <source>元に戻せる移動はありません: %1</source>
        <translation>There is no move to undo: %1</translation>
    </message>
    <message>
        <source>元に戻せる抽出はありません</source>
        <translation>There is no extraction to undo</translation>
    </message>
    <message>
        <source>移動を元に戻せません: %1 (%2)</source>
        <translation>Cannot undo the move: %1 (%2)</translation>
    </message>
    <message>
        <source>元に戻しました: %1件</source>
        <translation>Undone: %1 files</translation>
    </message>
    <message>
        <source>（中止しました）</source>
        <translation> (stopped)</translation>
    </message>
    <message>
        <source>
記録を書けないため止めました: %1 (%2)</source>
        <translation>
Stopped because the record cannot be written: %1 (%2)</translation>
    </message>
    <message>
        <source>
%1件は戻さずに残しました:</source>
        <translation>
%1 were left where they are:</translation>
    </message>
    <message>
        <source>
%1 -&gt; %2: </source>
        <translation>
%1 -&gt; %2: </translation>
    </message>
    <message>
        <source>
%1: </source>
        <translation>
%1: </translation>
    </message>
    <message>
        <source>元の名前が別のファイルで使われている</source>
        <translation>the original name is taken by another file</translation>
    </message>
    <message>
        <source>移動のあとで変更された</source>
        <translation>changed after the move</translation>
    </message>
    <message>
        <source>移動先に見つからない</source>
        <translation>not found where it was moved to</translation>
    </message>
    <message>
        <source>記録の名前がフォルダの外を指すため扱わない</source>
        <translation>left alone: the journal names something outside the folder</translation>
    </message>
    <message>
        <source>フォルダに他のファイルがある</source>
        <translation>the folder holds other files</translation>
    </message>
    <message>
        <source>戻せない</source>
        <translation>cannot be moved back</translation>
    </message>
    <message>
        <source> (%1)</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>抽出の記録を作成できないため抽出しません: %1 (%2)</source>
        <translation>Nothing is extracted because the extraction record cannot be created: %1 (%2)</translation>
    </message>
    <message>
        <source>抽出の記録を書けないため止めました: %1 (%2)</source>
        <translation>Stopped because the extraction record cannot be written: %1 (%2)</translation>
    </message>
    <message>
        <source>%1の移動（%2件）を元に戻しますか？</source>
        <translation>Undo the move of %1 (%2 files)?</translation>
    </message>
    <message>
        <source>%1の抽出（%2件）を元に戻しますか？</source>
        <translation>Undo the extraction of %1 (%2 files)?</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>終了する</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>元に戻せる移動はありません: </source>
        <translation>There is no move to undo: </translation>
    </message>
</context>
<context>
    <name>ui</name>
    <message>
        <source>ja</source>
        <translation>en</translation>
    </message>
    <message>
        <source>フォルダを選択</source>
        <translation>Choose a folder</translation>
    </message>
    <message>
        <source>プログラムを選択</source>
        <translation>Choose a program</translation>
    </message>
    <message>
        <source>プログラム (*)</source>
        <translation>Programs (*)</translation>
    </message>
    <message>
        <source>ヘルプを表示するブラウザを起動できません。次のファイルをブラウザで開いて下さい: %1</source>
        <translation>No browser can be started to show the help. Open this file in a browser: %1</translation>
    </message>
    <message>
        <source>help.html</source>
        <comment>the end of the help page&apos;s file name</comment>
        <translation>help_en.html</translation>
    </message>
    <message>
        <source>ヘルプファイルがありません: %1</source>
        <translation>The help file is missing: %1</translation>
    </message>
</context>
</TS>

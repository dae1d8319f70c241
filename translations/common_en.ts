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
</context>
<context>
    <name>ui</name>
    <message>
        <source>フォルダを選択</source>
        <translation>Choose a folder</translation>
    </message>
</context>
</TS>

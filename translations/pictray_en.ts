<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Pictray</name>
    <message>
        <source>all RGB選択</source>
        <translation>All colours (all RGB)</translation>
    </message>
    <message>
        <source>JPEGとして読めません: %1</source>
        <translation>Cannot read as JPEG: %1</translation>
    </message>
    <message>
        <source>年月日</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>時</source>
        <translation>Hour</translation>
    </message>
    <message>
        <source>10分</source>
        <translation>10 min</translation>
    </message>
    <message>
        <source>1分</source>
        <translation>1 min</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>Second</translation>
    </message>
    <message>
        <source>解析設定</source>
        <translation>Analysis settings</translation>
    </message>
    <message>
        <source>更新日付</source>
        <translation>Modified</translation>
    </message>
    <message>
        <source>作成日付</source>
        <translation>Taken</translation>
    </message>
    <message>
        <source>(存在した場合)</source>
        <translation>(when present)</translation>
    </message>
    <message>
        <source>メーカー/機種</source>
        <translation>Maker/model</translation>
    </message>
    <message>
        <source>使用ソフト</source>
        <translation>Software</translation>
    </message>
    <message>
        <source>サンプリング色数(メモリ注意)</source>
        <translation>Sampled colours (mind memory)</translation>
    </message>
    <message>
        <source>NULLが連続</source>
        <translation>NULLs in a row</translation>
    </message>
    <message>
        <source>Byte以上でエラーとする</source>
        <translation>bytes or more are an error</translation>
    </message>
    <message>
        <source>(1000kb未満のファイルが対象)</source>
        <translation>(files under 1000 KB)</translation>
    </message>
    <message>
        <source>NGチェックにjpeglibの読み込みチェックを含める</source>
        <translation>Include a jpeglib read check in the NG check</translation>
    </message>
    <message>
        <source>%1に1以上の数を入力して下さい</source>
        <translation>Enter a number of 1 or more for %1</translation>
    </message>
    <message>
        <source>サンプリング色数</source>
        <translation>Sampled colours</translation>
    </message>
    <message>
        <source>NULLが連続するバイト数</source>
        <translation>NULL bytes in a row</translation>
    </message>
    <message>
        <source>APP(リスト)</source>
        <translation>APP (list)</translation>
    </message>
    <message>
        <source>APP1(結果リスト)</source>
        <translation>APP1 (result list)</translation>
    </message>
    <message>
        <source>APP2(結果リスト)</source>
        <translation>APP2 (result list)</translation>
    </message>
    <message>
        <source>APP3(移動後フォルダ)</source>
        <translation>APP3 (moved folder)</translation>
    </message>
    <message>
        <source>表示設定</source>
        <translation>Display settings</translation>
    </message>
    <message>
        <source>リストアップ時 jpeg開始ヘッダーの有無を調べる</source>
        <translation>On list-up, check for the JPEG start header</translation>
    </message>
    <message>
        <source>使用禁止文字設定</source>
        <translation>Forbidden characters</translation>
    </message>
    <message>
        <source>フォルダ名でこれらの文字は _ に置き換えられます</source>
        <translation>These characters are replaced by _ in folder names</translation>
    </message>
    <message>
        <source>アプリを選択</source>
        <translation>Choose a program</translation>
    </message>
    <message>
        <source>起動アプリ既定値は&apos;open&apos;(小文字)</source>
        <translation>The default program is &apos;open&apos; (lower case)</translation>
    </message>
    <message>
        <source>ファイルがありません: %1</source>
        <translation>No such file: %1</translation>
    </message>
    <message>
        <source>名称: %1
フォルダ: %2
種類: %3
サイズ: %4 バイト
更新日時: %5</source>
        <translation>Name: %1
Folder: %2
Type: %3
Size: %4 bytes
Modified: %5</translation>
    </message>
    <message>
        <source>キャラクタで選択: 全て(?),数字(#,%),アルファベット(*,$)を文字数を考慮して指定 (例)???abc##.jpg</source>
        <translation>By characters: any (?), digit (#,%), letter (*,$), one sign per character (e.g.) ???abc##.jpg</translation>
    </message>
    <message>
        <source>数字(#-&gt;#,%-&gt;元の数字に置換)</source>
        <translation>Digit (# -&gt; #, % -&gt; the digit itself)</translation>
    </message>
    <message>
        <source>アルファベット(*-&gt;*,$-&gt;元のアルファベットに置換)</source>
        <translation>Letter (* -&gt; *, $ -&gt; the letter itself)</translation>
    </message>
    <message>
        <source>全て(?-&gt;元のまま)</source>
        <translation>Any (? -&gt; as it is)</translation>
    </message>
    <message>
        <source>定型句で選択: 選びたい文字列(英数字)を指定</source>
        <translation>By phrase: the text (letters and digits) to pick</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>移動先フォルダ</source>
        <translation>Destination folder</translation>
    </message>
    <message>
        <source>パターン 種別</source>
        <translation>Pattern  kind</translation>
    </message>
    <message>
        <source>処理中は実行できません。中断するか終了を待って下さい</source>
        <translation>Not while a run is going. Stop it or wait until it ends</translation>
    </message>
    <message>
        <source>設定ファイルを作成できません: %1</source>
        <translation>Cannot create the settings file: %1</translation>
    </message>
    <message>
        <source>設定ファイルが大きすぎます: %1</source>
        <translation>The settings file is too large (a settings file is a few KB, at most 1 MiB); it is neither read nor changed: %1</translation>
    </message>
    <message>
        <source>不明なコマンドです: %1</source>
        <translation>Unknown command: %1</translation>
    </message>
    <message>
        <source>%1X%1に設定</source>
        <translation>Set to %1X%1</translation>
    </message>
    <message>
        <source>リストアップしたフォルダがありません。移動する前にフォルダをリストアップして下さい</source>
        <translation>No folder is listed. List a folder before moving</translation>
    </message>
    <message>
        <source>フォルダ欄の「%1」はリストアップしたフォルダ「%2」ではありません。移動は行いません。このフォルダのファイルを移動するには先にリストアップして下さい</source>
        <translation>The folder field &quot;%1&quot; is not the listed folder &quot;%2&quot;. Nothing is moved. To move the files of this folder, list it first</translation>
    </message>
    <message>
        <source>解析クリアしますか?</source>
        <translation>Clear the analyses?</translation>
    </message>
    <message>
        <source>起動しますか</source>
        <translation>Start it?</translation>
    </message>
    <message>
        <source>実施後再度読み込みが必要です。起動しますか</source>
        <translation>The folder must be listed again afterwards. Start it?</translation>
    </message>
    <message>
        <source>ダイアログ起動中</source>
        <translation>A dialog is open</translation>
    </message>
    <message>
        <source>%1終了しますか？</source>
        <translation>Quit %1?</translation>
    </message>
    <message>
        <source>メニューから終了して下さい</source>
        <translation>Quit from the menu</translation>
    </message>
    <message>
        <source>%1 終了しますか？</source>
        <translation>Quit %1?</translation>
    </message>
    <message>
        <source>APP3(移動後フォルダ)に &apos;open&apos; を設定しました。移動後のフォルダを開くアプリは「設定」の「表示」で変えられます</source>
        <translation>APP3 (moved folder) is now &apos;open&apos;. Change the program that opens the moved folder in Settings &gt; Display</translation>
    </message>
    <message>
        <source>設定ファイルに書き込めません: %1</source>
        <translation>Cannot write the settings file: %1</translation>
    </message>
    <message>
        <source>フォルダ欄のフォルダがありません: %1</source>
        <translation>The folder in the folder field does not exist: %1</translation>
    </message>
    <message>
        <source>APP3(移動後フォルダ)のアプリ「%1」を起動できません。「設定」の「表示」で指定して下さい</source>
        <translation>Cannot start the APP3 (moved folder) program &quot;%1&quot;. Set it in Settings &gt; Display</translation>
    </message>
    <message>
        <source>partRGB選択</source>
        <translation>Part colours (part RGB)</translation>
    </message>
    <message>
        <source>比較率%(モード&#x3000;1,2のみ)</source>
        <translation>Match % (modes 1, 2 only)</translation>
    </message>
    <message>
        <source>色選択失敗</source>
        <translation>Choosing the colours failed</translation>
    </message>
    <message>
        <source>作業用の設定ファイルに書けません: %1</source>
        <translation>Cannot write the working settings file: %1</translation>
    </message>
    <message>
        <source>比較率%1(per) %2色&#x3000;一致で検出</source>
        <translation>Match %1% (per): found when %2 colours match</translation>
    </message>
    <message>
        <source>設定ファイルに書けません: %1</source>
        <translation>Cannot write the settings file: %1</translation>
    </message>
    <message>
        <source>RGB比率分類</source>
        <translation>RGB ratio sort</translation>
    </message>
    <message>
        <source>普通</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>同系色に分類して集計します</source>
        <translation>Groups similar colours and counts them</translation>
    </message>
    <message>
        <source>多</source>
        <translation>Many</translation>
    </message>
    <message>
        <source>色の分類</source>
        <translation>Colour groups</translation>
    </message>
    <message>
        <source>使用数が少ない色順に名前付けします</source>
        <translation>Names by the least used colours first</translation>
    </message>
    <message>
        <source>低頻度順</source>
        <translation>Rare first</translation>
    </message>
    <message>
        <source>色比率モ－ド</source>
        <translation>Colour ratio mode</translation>
    </message>
    <message>
        <source>使用数が上位の色を基準に分類します</source>
        <translation>Sorts by the most used colours</translation>
    </message>
    <message>
        <source>高</source>
        <translation>High</translation>
    </message>
    <message>
        <source>色の種類数を基準に分類します</source>
        <translation>Sorts by the number of colours</translation>
    </message>
    <message>
        <source>色数優先度</source>
        <translation>Count weight</translation>
    </message>
    <message>
        <source>色種優先度</source>
        <translation>Variety weight</translation>
    </message>
    <message>
        <source>命名時,文字順にします</source>
        <translation>Sorts the letters of the name</translation>
    </message>
    <message>
        <source>(ソ－ト名称)</source>
        <translation>(sorted name)</translation>
    </message>
    <message>
        <source>全ての使用色を抽出します</source>
        <translation>Takes every colour used</translation>
    </message>
    <message>
        <source>高頻度色</source>
        <translation>Frequent</translation>
    </message>
    <message>
        <source>全ての使用色から使用数が多い色のみ抽出</source>
        <translation>Takes only the most used colours</translation>
    </message>
    <message>
        <source>低頻度色</source>
        <translation>Rare</translation>
    </message>
    <message>
        <source>全ての使用色から使用数が少ない色のみ抽出</source>
        <translation>Takes only the least used colours</translation>
    </message>
    <message>
        <source>全色モ－ド</source>
        <translation>All-colour mode</translation>
    </message>
    <message>
        <source>有効</source>
        <translation>On</translation>
    </message>
    <message>
        <source>分類名を頭から指定した文字数にします</source>
        <translation>Cuts the group name to its first characters</translation>
    </message>
    <message>
        <source>分類化</source>
        <translation>Group by</translation>
    </message>
    <message>
        <source>先頭より、1-&gt;20桁&#x3000;にて分類</source>
        <translation>first 1 -&gt; 20 characters</translation>
    </message>
    <message>
        <source>プロパティ設定</source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>WorkFile Path(確認用)</source>
        <translation>WorkFile Path (to check)</translation>
    </message>
    <message>
        <source>作業フォルダを選択</source>
        <translation>Choose the work folder</translation>
    </message>
    <message>
        <source>読込み前処理アプリ</source>
        <translation>Pre-read program</translation>
    </message>
    <message>
        <source>window close 有効</source>
        <translation>window close on</translation>
    </message>
    <message>
        <source>WorkFile Pathのフォルダがありません。作業ファイルを置くフォルダを指定して下さい: %1</source>
        <translation>The WorkFile Path folder does not exist. Choose the folder for the work file: %1</translation>
    </message>
    <message>
        <source>リストアップ時、jpeg(exifフォ－マット)で作成日付が分かる場合セット ※{EX～RGB成分強度分析}が全てoffの時のみ有効</source>
        <translation>On list-up, sets the date taken when a JPEG (Exif) has one. Only when {EX to RGB strength} are all off</translation>
    </message>
    <message>
        <source>リストアップ時、jpeg(exifフォ－マット)で作成日付が分かる場合セット ※{EX,inf,hed}がoffの時のみ有効</source>
        <translation>On list-up, sets the date taken when a JPEG (Exif) has one. Only when {EX, inf, hed} are off</translation>
    </message>
    <message>
        <source>フォルダ名</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>件数</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>1件目ファイル</source>
        <translation>First file</translation>
    </message>
    <message>
        <source>パス</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>プレビュー</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>&#x3000;&#x3000;&#x3000;&#x3000;分類</source>
        <translation>        Group</translation>
    </message>
    <message>
        <source>件数&#x3000;&#x3000;&#x3000;</source>
        <translation>Files      </translation>
    </message>
    <message>
        <source>ファイル整理ソフト(lumoセット)を
ダウンロ－ドして使ってみる。&#x3000;&#x3000;
                  [フリ－ソフト]</source>
        <translation>Download and try the file
organizer (lumo set).
            [free software]</translation>
    </message>
    <message>
        <source>解析終了後すぐ移動する</source>
        <translation>Move right after analysis</translation>
    </message>
    <message>
        <source>読込み時作成日セット</source>
        <translation>Date taken on reading</translation>
    </message>
    <message>
        <source>ひとつのフォルダにまとめる</source>
        <translation>Into one folder</translation>
    </message>
    <message>
        <source>移動後のフォルダを開く</source>
        <translation>Open the moved folder</translation>
    </message>
    <message>
        <source>結果リスト消去?</source>
        <translation>Clear the result list?</translation>
    </message>
    <message>
        <source>フォルダを解体しますか</source>
        <translation>Break up the folder?</translation>
    </message>
    <message>
        <source>解体OK</source>
        <translation>Broken up</translation>
    </message>
    <message>
        <source>フォルダがありません: %1</source>
        <translation>The folder is no longer there: %1</translation>
    </message>
    <message>
        <source>解体失敗</source>
        <translation>Breaking up failed</translation>
    </message>
    <message>
        <source>処理終了</source>
        <translation>Finished</translation>
    </message>
    <message>
        <source>RGB解析</source>
        <translation>RGB analysis</translation>
    </message>
    <message>
        <source>スタート</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>255:255:255 を除外</source>
        <translation>Leave out 255:255:255</translation>
    </message>
    <message>
        <source>0:0:0 を除外</source>
        <translation>Leave out 0:0:0</translation>
    </message>
    <message>
        <source>を除外</source>
        <translation>left out</translation>
    </message>
    <message>
        <source>1ピクセルとばし検索</source>
        <translation>Every other pixel</translation>
    </message>
    <message>
        <source>大分類化(RGB/64)</source>
        <translation>Coarse (RGB/64)</translation>
    </message>
    <message>
        <source>中分類化(RGB/32)</source>
        <translation>Medium (RGB/32)</translation>
    </message>
    <message>
        <source>小分類化(RGB/16)</source>
        <translation>Fine (RGB/16)</translation>
    </message>
    <message>
        <source>分類化無し</source>
        <translation>No grouping</translation>
    </message>
    <message>
        <source>1-1-1 0-0-0 に分類</source>
        <translation>Sort into 1-1-1 0-0-0</translation>
    </message>
    <message>
        <source>一致(1-1-1)のみ分類</source>
        <translation>Matches (1-1-1) only</translation>
    </message>
    <message>
        <source>RGB 0-0-0 に分類</source>
        <translation>Sort into RGB 0-0-0</translation>
    </message>
    <message>
        <source>一致RGBのみ分類</source>
        <translation>Matching RGB only</translation>
    </message>
    <message>
        <source>色選択</source>
        <translation>Pick</translation>
    </message>
    <message>
        <source>読込み</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>クリア</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>範囲が選択されていません</source>
        <translation>No area is selected</translation>
    </message>
    <message>
        <source>色リストを読めません: %1 (%2)</source>
        <translation>Cannot read the colour list: %1 (%2)</translation>
    </message>
    <message>
        <source>%1 行は色ではないので読み飛ばしました: %2</source>
        <translation>%1 lines are not colours and were skipped: %2</translation>
    </message>
    <message>
        <source>色リストを保存できません: %1</source>
        <translation>Cannot save the colour list: %1</translation>
    </message>
    <message>
        <source>保存終了。</source>
        <translation>Saved.</translation>
    </message>
    <message>
        <source>RGB成分強度分類</source>
        <translation>RGB strength sort</translation>
    </message>
    <message>
        <source>対象色:選択したRGB値が最大の色を１つ探します</source>
        <translation>Target: finds one colour whose chosen RGB value is the highest</translation>
    </message>
    <message>
        <source>移動先を1つのフォルダにする</source>
        <translation>Move into one folder</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>各使用色のRGBのR(赤)の値のみ調べます</source>
        <translation>Looks only at the R (red) value of each colour</translation>
    </message>
    <message>
        <source>各使用色のRGBのG(緑)の値のみ調べます</source>
        <translation>Looks only at the G (green) value of each colour</translation>
    </message>
    <message>
        <source>各使用色のRGBのB(青)の値のみ調べます</source>
        <translation>Looks only at the B (blue) value of each colour</translation>
    </message>
    <message>
        <source>非対象色の有効値(値以下が有効-小さい程対象色に近い)</source>
        <translation>Other colours (this value or less counts; smaller is closer to the target)</translation>
    </message>
    <message>
        <source>選択したRGB以外の色(RGB)の最大値を設定します</source>
        <translation>Sets the highest value of the other RGB colours</translation>
    </message>
    <message>
        <source>下限指定</source>
        <translation>Lower bound</translation>
    </message>
    <message>
        <source>選択したRGBの値が有効値以上のデ－タを対象にします</source>
        <translation>Takes colours whose chosen RGB value is at least this value</translation>
    </message>
    <message>
        <source>有効値(0-255(値以上が有効-大きい程対象色に近い))</source>
        <translation>Value (0-255; this value or more counts; larger is closer)</translation>
    </message>
    <message>
        <source>範囲指定</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>選択したRGBの値が範囲指定内をデ－タを対象にします</source>
        <translation>Takes colours whose chosen RGB value lies in the range</translation>
    </message>
    <message>
        <source>対象色の有効値(範囲指定)</source>
        <translation>Target colour range</translation>
    </message>
    <message>
        <source>最小値設定</source>
        <translation>Set the lowest value</translation>
    </message>
    <message>
        <source>最大値設定</source>
        <translation>Set the highest value</translation>
    </message>
    <message>
        <source>有効範囲が未設定</source>
        <translation>The range is not set</translation>
    </message>
    <message>
        <source>リスト（&amp;L）</source>
        <translation>&amp;List</translation>
    </message>
    <message>
        <source>開く（&amp;O）</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>クリア（&amp;C）</source>
        <translation>&amp;Clear</translation>
    </message>
    <message>
        <source>検索（&amp;S）</source>
        <translation>&amp;Search</translation>
    </message>
    <message>
        <source>移動を元に戻す</source>
        <translation>Undo the move</translation>
    </message>
    <message>
        <source>終了（&amp;X）</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>サイズ（&amp;S）</source>
        <translation>&amp;Size</translation>
    </message>
    <message>
        <source>設定（&amp;E）</source>
        <translation>S&amp;ettings</translation>
    </message>
    <message>
        <source>解析</source>
        <translation>Analysis</translation>
    </message>
    <message>
        <source>表示</source>
        <translation>Display</translation>
    </message>
    <message>
        <source>プロパティ</source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>全体</source>
        <translation>All</translation>
    </message>
    <message>
        <source>進行状況: 全ファイル</source>
        <translation>Progress: all files</translation>
    </message>
    <message>
        <source>詳細</source>
        <translation>Detail</translation>
    </message>
    <message>
        <source>進行状況: ファイル内の処理・2つ目の処理</source>
        <translation>Progress: inside one file, or the second worker</translation>
    </message>
    <message>
        <source>リストアップ</source>
        <translation>List up</translation>
    </message>
    <message>
        <source>リストクリア</source>
        <translation>Clear list</translation>
    </message>
    <message>
        <source>解析クリア</source>
        <translation>Clear analyses</translation>
    </message>
    <message>
        <source>中断</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>移動スタート</source>
        <translation>Start move</translation>
    </message>
    <message>
        <source>読込み前処理</source>
        <translation>Pre-read</translation>
    </message>
    <message>
        <source>検索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>キャラクタ</source>
        <translation>Characters</translation>
    </message>
    <message>
        <source>定型句</source>
        <translation>Phrase</translation>
    </message>
    <message>
        <source>拡張子</source>
        <translation>Extension</translation>
    </message>
    <message>
        <source>Info + Exifヘッダーチェック</source>
        <translation>Info + Exif header check</translation>
    </message>
    <message>
        <source>サイズ解析</source>
        <translation>Size analysis</translation>
    </message>
    <message>
        <source>NG解析</source>
        <translation>NG analysis</translation>
    </message>
    <message>
        <source>開</source>
        <comment>icon letters</comment>
        <translation>O</translation>
    </message>
    <message>
        <source>日</source>
        <comment>icon letters</comment>
        <translation>D</translation>
    </message>
    <message>
        <source>解✕</source>
        <comment>icon letters</comment>
        <translation>A✕</translation>
    </message>
    <message>
        <source>移動</source>
        <comment>icon letters</comment>
        <translation>MOVE</translation>
    </message>
    <message>
        <source>検</source>
        <comment>icon letters</comment>
        <translation>S</translation>
    </message>
    <message>
        <source>文字</source>
        <comment>icon letters</comment>
        <translation>ABC</translation>
    </message>
    <message>
        <source>定型</source>
        <comment>icon letters</comment>
        <translation>PHR</translation>
    </message>
    <message>
        <source>年</source>
        <translation>Year</translation>
    </message>
    <message>
        <source>年月</source>
        <translation>Month</translation>
    </message>
    <message>
        <source>JPEG以外(HEIC・RAW・PNG・WebP・動画)も解析する</source>
        <translation>Analyse other formats too (HEIC, RAW, PNG, WebP, videos)</translation>
    </message>
    <message>
        <source>バイト順を付ける</source>
        <translation>Add the byte order</translation>
    </message>
    <message>
        <source>ファイル一覧</source>
        <translation>File list</translation>
    </message>
    <message>
        <source>移動結果</source>
        <translation>Move results</translation>
    </message>
    <message>
        <source>分類ごとの件数</source>
        <translation>Count per class</translation>
    </message>
    <message>
        <source>リストアップ（&amp;U）</source>
        <translation>List &amp;up</translation>
    </message>
    <message>
        <source>中断（&amp;T）</source>
        <translation>S&amp;top</translation>
    </message>
    <message>
        <source>リストするフォルダ</source>
        <translation>Folder to list</translation>
    </message>
    <message>
        <source>リストするフォルダ（Enter: リストアップ、%1: 選択）</source>
        <translation>Folder to list (Enter: list up, %1: choose)</translation>
    </message>
    <message>
        <source>ファイル名の検索</source>
        <translation>File name search</translation>
    </message>
    <message>
        <source>選んだ色</source>
        <translation>Chosen colours</translation>
    </message>
    <message>
        <source>年/月</source>
        <translation>Year/Month</translation>
    </message>
    <message>
        <source>年/月/日</source>
        <translation>Year/Month/Day</translation>
    </message>
    <message>
        <source>Exifの日付がなければファイル名の日付</source>
        <translation>Without an Exif date, the date in the name</translation>
    </message>
    <message>
        <source>それもなければ更新日時</source>
        <translation>Failing that, the modification time</translation>
    </message>
    <message>
        <source>鮮鋭度分類</source>
        <translation>Sharpness sort</translation>
    </message>
</context>
</TS>

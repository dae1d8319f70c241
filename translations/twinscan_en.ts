<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Twinscan</name>
    <message>
        <source>file</source>
        <translation>File</translation>
    </message>
    <message>
        <source>folda</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>filename</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>path</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>size</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>プロパティ設定</source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>[確認 app_open]で使用</source>
        <translation>Used by the Open button (app_open)</translation>
    </message>
    <message>
        <source>右メニューopenで使用</source>
        <translation>Used by open in the right-click menu</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>exe files (*)</source>
        <translation>Programs (*)</translation>
    </message>
    <message>
        <source>設定ファイルに書き込めません</source>
        <translation>Cannot write the settings file</translation>
    </message>
    <message>
        <source>設定フォルダを作成できません: %1 (%2)</source>
        <translation>Cannot create the settings folder: %1 (%2)</translation>
    </message>
    <message>
        <source>clear</source>
        <translation>clear</translation>
    </message>
    <message>
        <source>抽出を元に戻す</source>
        <translation>Undo the extraction</translation>
    </message>
    <message>
        <source>properties</source>
        <translation>properties</translation>
    </message>
    <message>
        <source>help</source>
        <translation>help</translation>
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
        <source>mode</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>同ファイル抽出</source>
        <translation>Extract copies</translation>
    </message>
    <message>
        <source>確認[app_open]</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>抽出ファイル削除</source>
        <translation>Delete extracted</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>処理を次のファイルの前で止めます</source>
        <translation>Stops the work before the next file</translation>
    </message>
    <message>
        <source>オンのとき: フォルダを渡して起動する（またはドロップする）と、確認なしですぐに同ファイルを抽出します。オンのまま終了すると次回の起動でもそうします</source>
        <translation>When on: starting with a folder (or dropping one) extracts the copies at once, without asking. Quitting with it on keeps it so for the next start</translation>
    </message>
    <message>
        <source>オンのとき: 抽出のあと、確認なしで抽出フォルダをごみ箱へ移します。オンのまま終了すると次回の起動でもそうします</source>
        <translation>When on: after the extraction the extraction folder goes to the trash without asking. Quitting with it on keeps it so for the next start</translation>
    </message>
    <message>
        <source>open</source>
        <translation>open</translation>
    </message>
    <message>
        <source>設定ファイルに書き込めません: %1</source>
        <translation>Cannot write the settings file: %1</translation>
    </message>
    <message>
        <source>アプリ「%1」を起動できません: %2</source>
        <translation>Cannot start the program &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>組内番号</source>
        <translation>No. in set</translation>
    </message>
    <message>
        <source>残すファイル</source>
        <translation>Kept file</translation>
    </message>
    <message>
        <source>比較キー</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>同じファイル %1 組、余分 %2 件</source>
        <translation>%1 sets of the same file, %2 surplus</translation>
    </message>
    <message>
        <source>似た画像も探す</source>
        <translation>Similar pictures too</translation>
    </message>
    <message>
        <source>同じバイトのコピーのほかに、大きさや形式の違う同じ画像も探します</source>
        <translation>Besides byte-identical copies, also finds the same picture in another size or format</translation>
    </message>
    <message>
        <source>一覧と確認</source>
        <translation>List and review</translation>
    </message>
    <message>
        <source>ファイル一覧</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>グループの確認</source>
        <translation>Review groups</translation>
    </message>
    <message>
        <source>サムネイルライブラリを読み込めません: %1</source>
        <translation>Cannot load the thumbnail library: %1</translation>
    </message>
    <message>
        <source>%1 バイト</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>同一ファイル</source>
        <translation>byte-identical</translation>
    </message>
    <message>
        <source>小さい</source>
        <translation>smaller</translation>
    </message>
    <message>
        <source>大きい</source>
        <translation>larger</translation>
    </message>
    <message>
        <source>%1%に切り抜き</source>
        <translation>cropped to %1%</translation>
    </message>
    <message>
        <source>同じ画像の%1</source>
        <translation>%1 of the same picture</translation>
    </message>
    <message>
        <source>似た画像</source>
        <translation>similar picture</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>余分の大きさ</source>
        <translation>Surplus size</translation>
    </message>
    <message>
        <source>★ 残すファイル</source>
        <translation>★ Kept</translation>
    </message>
    <message>
        <source>同じファイルのグループ</source>
        <translation>Groups of the same files</translation>
    </message>
    <message>
        <source>グループのファイル</source>
        <translation>Files of the group</translation>
    </message>
    <message>
        <source>残すファイルにする</source>
        <translation>Keep this one</translation>
    </message>
    <message>
        <source>選んだファイルを残し、ほかを余分なコピーとします (Space / Enter)</source>
        <translation>Keeps the selected file and makes the others its surplus copies (Space / Enter)</translation>
    </message>
    <message>
        <source>同じではない</source>
        <translation>Not the same</translation>
    </message>
    <message>
        <source>選んだファイルをこのグループから外します。動かしません (Delete)</source>
        <translation>Takes the selected file out of this group; it is not moved (Delete)</translation>
    </message>
    <message>
        <source>グループごと外す</source>
        <translation>Leave out group</translation>
    </message>
    <message>
        <source>このグループのファイルはどれも動かしません (Delete)</source>
        <translation>None of this group&apos;s files is moved (Delete)</translation>
    </message>
    <message>
        <source>選んだとおりに抽出</source>
        <translation>Extract as chosen</translation>
    </message>
    <message>
        <source>残すファイル以外をグループごとのフォルダへ移します</source>
        <translation>Moves every file but the kept ones into a folder per group</translation>
    </message>
    <message>
        <source>グループの数</source>
        <translation>Number of groups</translation>
    </message>
    <message>
        <source>同じファイルのグループはありません</source>
        <translation>No groups of the same files</translation>
    </message>
    <message>
        <source>%1 組、余分 %2 件（%3）</source>
        <translation>%1 groups, %2 surplus files (%3)</translation>
    </message>
    <message>
        <source>取り消す</source>
        <translation>Undo choice</translation>
    </message>
    <message>
        <source>最後の選択を取り消します (Ctrl+Z)</source>
        <translation>Takes back the last choice (Ctrl+Z)</translation>
    </message>
    <message>
        <source>フォルダ</source>
        <translation>Folders</translation>
    </message>
    <message>
        <source>探す</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>似た画像も探すようにしました。%1 をもう一度探しますか？</source>
        <translation>Similar pictures are looked for too now. Search %1 again?</translation>
    </message>
    <message>
        <source>同じファイルだけを探すようにしました。%1 をもう一度探しますか？</source>
        <translation>Only identical files are looked for now. Search %1 again?</translation>
    </message>
    <message>
        <source>フォルダがありません: %1</source>
        <translation>No such folder: %1</translation>
    </message>
    <message>
        <source>★ 残すファイル（参照フォルダ）</source>
        <translation>★ Kept (reference folder)</translation>
    </message>
    <message>
        <source>判断を忘れる…</source>
        <translation>Forget decisions…</translation>
    </message>
    <message>
        <source>「同じではない」「グループごと外す」で選んで抽出した判断を忘れ、次に探すときにまた表示します</source>
        <translation>Forgets the &quot;Not the same&quot; and &quot;Leave out group&quot; choices you extracted with, so that the next search shows those files again</translation>
    </message>
    <message>
        <source>以前の判断で %1 組・%2 件を表示していません</source>
        <translation>Hidden by earlier decisions: %1 groups, %2 files</translation>
    </message>
    <message>
        <source>探すフォルダをドロップするか「＋」で加えます</source>
        <translation>Drop folders to search here, or use &quot;+&quot;</translation>
    </message>
    <message>
        <source>探すフォルダ（Enter: すべて探す、F2: 書き換える、Delete: 一覧から外す）</source>
        <translation>Folders to search (Enter: search them all, F2: edit, Delete: take off the list)</translation>
    </message>
    <message>
        <source>探すフォルダを選んで加えます</source>
        <translation>Chooses a folder to search and adds it</translation>
    </message>
    <message>
        <source>参照フォルダ</source>
        <translation>Reference folders</translation>
    </message>
    <message>
        <source>なし（ドロップするか「＋」で加えます）</source>
        <translation>None (drop one here, or use &quot;+&quot;)</translation>
    </message>
    <message>
        <source>参照フォルダ: ここにあるファイルは動かさず、同じファイルのグループでは必ず残します。参照フォルダのファイルどうしのグループは表示しません</source>
        <translation>Reference folders: their files are never moved and are always kept in a group of copies. Groups of reference files only are not shown</translation>
    </message>
    <message>
        <source>参照フォルダを選んで加えます</source>
        <translation>Chooses a reference folder and adds it</translation>
    </message>
    <message>
        <source>追加…</source>
        <translation>Add…</translation>
    </message>
    <message>
        <source>外す</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>選んだフォルダを一覧から外します。フォルダそのものはそのままです (Delete)</source>
        <translation>Takes the selected folders off the list; the folders themselves stay as they are (Delete)</translation>
    </message>
    <message>
        <source>サブフォルダも探す</source>
        <translation>Include subfolders</translation>
    </message>
    <message>
        <source>フォルダの中のフォルダも探します（隠しフォルダ、抽出フォルダ、リンクしたフォルダには入りません）</source>
        <translation>Searches the folders inside the folders too (never hidden folders, extraction folders or linked folders)</translation>
    </message>
    <message>
        <source>一覧のフォルダをすべて探します</source>
        <translation>Searches every listed folder</translation>
    </message>
    <message>
        <source>探すフォルダを「＋」かドロップで加えてください</source>
        <translation>Add a folder to search with &quot;+&quot; or by dropping it</translation>
    </message>
    <message>
        <source>サブフォルダも探すようにしました。%1 をもう一度探しますか？</source>
        <translation>Subfolders are searched too now. Search %1 again?</translation>
    </message>
    <message>
        <source>サブフォルダは探さないようにしました。%1 をもう一度探しますか？</source>
        <translation>Subfolders are no longer searched. Search %1 again?</translation>
    </message>
    <message>
        <source>「同じではない」「グループごと外す」で選んだ %1 件の判断を忘れますか？ 隠していたファイルが次に探すときにまた表示されます</source>
        <translation>Forget the %1 decisions made with &quot;Not the same&quot; and &quot;Leave out group&quot;? The files they hid show again at the next search</translation>
    </message>
    <message>
        <source>判断を忘れられません: %1 (%2)</source>
        <translation>Cannot forget the decisions: %1 (%2)</translation>
    </message>
    <message>
        <source>判断を忘れました。%1 をもう一度探しますか？</source>
        <translation>Decisions forgotten. Search %1 again?</translation>
    </message>
    <message>
        <source>%1 ほか %2 フォルダ</source>
        <translation>%1 and %2 more folders</translation>
    </message>
    <message>
        <source>理由: %1</source>
        <translation>Why: %1</translation>
    </message>
    <message>
        <source>一覧…</source>
        <translation>List…</translation>
    </message>
    <message>
        <source>比べなかった画像の一覧</source>
        <translation>List of the pictures not compared</translation>
    </message>
    <message>
        <source>似た画像の検索で比べなかった画像と、その理由（読めない、大きすぎる、描けない形式）</source>
        <translation>The pictures the search for similar pictures did not compare, and why (cannot be read, too large, a format it does not draw)</translation>
    </message>
    <message>
        <source>比べなかった画像 %1 件</source>
        <translation>Pictures not compared: %1</translation>
    </message>
    <message>
        <source>ファイル</source>
        <translation>File</translation>
    </message>
    <message>
        <source>比べなかった理由</source>
        <translation>Why not compared</translation>
    </message>
    <message>
        <source>大きすぎて描けない</source>
        <translation>too large to draw</translation>
    </message>
    <message>
        <source>描けない形式</source>
        <translation>a format it does not draw</translation>
    </message>
    <message>
        <source>読めない（壊れているか途中で切れている）</source>
        <translation>cannot be read (damaged or cut short)</translation>
    </message>
    <message>
        <source>比べなかった画像</source>
        <translation>Pictures not compared</translation>
    </message>
    <message>
        <source>似た画像の検索は、次の %1 件を画像として比べていません（同じバイトのコピーは見つけています）。</source>
        <translation>The search for similar pictures did not compare these files as pictures: %1 (their byte-identical copies are still found).</translation>
    </message>
    <message>
        <source>Twinscan.ini の Keep= を使えません: %1。代わりに既定の順 %2 で残すファイルを選びます。</source>
        <translation>Keep= in Twinscan.ini cannot be used: %1. The default order %2 chooses the kept files instead.</translation>
    </message>
</context>
</TS>

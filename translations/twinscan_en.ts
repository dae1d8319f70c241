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
</context>
</TS>

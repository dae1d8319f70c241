<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
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

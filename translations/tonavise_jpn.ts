<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja">
<context>
    <name>ScopeCapture</name>
    <message>
        <source>All Files (*)</source>
        <translation>すべてのファイル (*)</translation>
    </message>
    <message>
        <source>The picture could not be saved as
%1</source>
        <translation>画像を次の名前で保存できませんでした
%1</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::CAboutDlg</name>
    <message>
        <source>About Tonavise</source>
        <translation>Tonavise について</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::CDlgFundamentTone</name>
    <message>
        <source>Fundamental Frequency (tone)</source>
        <translation>基本周波数(基音)</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::CDlgSet</name>
    <message>
        <source>Set Parameters</source>
        <translation>パラメーター設定</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Frequency of A4</source>
        <translation>A4 の周波数</translation>
    </message>
    <message>
        <source>Hz</source>
        <translation>Hz</translation>
    </message>
    <message>
        <source>Screen Capturer</source>
        <translation>画面キャプチャー</translation>
    </message>
    <message>
        <source>Folder to save the Image</source>
        <translation>画像の保存先フォルダー</translation>
    </message>
    <message>
        <source>Ref</source>
        <translation>参照</translation>
    </message>
    <message>
        <source>Start Time (Seconds)</source>
        <translation>開始時間(秒)</translation>
    </message>
    <message>
        <source>Interval (Seconds)</source>
        <translation>間隔(秒)</translation>
    </message>
    <message>
        <source>Numbers of images</source>
        <translation>画像の枚数</translation>
    </message>
    <message>
        <source>Recorder</source>
        <translation>レコーダー</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>時間</translation>
    </message>
    <message>
        <source>Repeating</source>
        <translation>繰り返し録音</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::CMainFrame</name>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Function</source>
        <translation>機能(&amp;U)</translation>
    </message>
    <message>
        <source>Spectrum Scope</source>
        <translation>スペクトルスコープ</translation>
    </message>
    <message>
        <source>Zoom And Shift</source>
        <translation>ズームと移動</translation>
    </message>
    <message>
        <source>Select Key</source>
        <translation>調の選択</translation>
    </message>
    <message>
        <source>Select Microphone&apos;s channel</source>
        <translation>マイクのチャンネル選択</translation>
    </message>
    <message>
        <source>Player</source>
        <translation>プレーヤー</translation>
    </message>
    <message>
        <source>&amp;Tool</source>
        <translation>ツール(&amp;T)</translation>
    </message>
    <message>
        <source>Metronome</source>
        <translation>メトロノーム</translation>
    </message>
    <message>
        <source>Recorder</source>
        <translation>レコーダー</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>表示(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>ヘルプ(&amp;H)</translation>
    </message>
    <message>
        <source>Scope Type</source>
        <translation>スコープの種類</translation>
    </message>
    <message>
        <source>Assistance</source>
        <translation>アシスタント</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>準備完了</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::CScopeView</name>
    <message>
        <source>KeySelect</source>
        <translation>調の選択</translation>
    </message>
</context>
</TS>

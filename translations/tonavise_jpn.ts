<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja">
<context>
    <name>Command</name>
    <message>
        <source>Wave Shape Scope</source>
        <translation>波形スコープ</translation>
    </message>
    <message>
        <source>Set Wave shape scope mode
Wave shape scope</source>
        <translation>波形スコープにする
波形スコープ</translation>
    </message>
    <message>
        <source>Horizontal Zoom In</source>
        <translation>横方向に拡大</translation>
    </message>
    <message>
        <source>Horizontal zoom in
Hor. Zoom-in</source>
        <translation>横方向に拡大
横拡大</translation>
    </message>
    <message>
        <source>Horizontal Zoom Out</source>
        <translation>横方向に縮小</translation>
    </message>
    <message>
        <source>Horizontal zoom out
Hor. Zoom-Out</source>
        <translation>横方向に縮小
横縮小</translation>
    </message>
    <message>
        <source>Frequency Scale</source>
        <translation>周波数目盛り</translation>
    </message>
    <message>
        <source>Set X-axis as Frequency scale
Frequency scale</source>
        <translation>横軸を周波数目盛りにする
周波数目盛り</translation>
    </message>
    <message>
        <source>Pitch Scale</source>
        <translation>音程目盛り</translation>
    </message>
    <message>
        <source>Set X-axis as Pitch scale
Pitch scale</source>
        <translation>横軸を音程目盛りにする
音程目盛り</translation>
    </message>
    <message>
        <source>Vertical Zoom In</source>
        <translation>縦方向に拡大</translation>
    </message>
    <message>
        <source>Vertical zoom in
Vert. Zoom-in</source>
        <translation>縦方向に拡大
縦拡大</translation>
    </message>
    <message>
        <source>Vertical Zoom Out</source>
        <translation>縦方向に縮小</translation>
    </message>
    <message>
        <source>Vertical zoom out
Vert. Zoom-out</source>
        <translation>縦方向に縮小
縦縮小</translation>
    </message>
    <message>
        <source>Start Capturing</source>
        <translation>キャプチャー開始</translation>
    </message>
    <message>
        <source>Copy screen
Copy screen</source>
        <translation>画面キャプチャー
画面キャプチャー</translation>
    </message>
    <message>
        <source>Save copied screen
Save copied screen</source>
        <translation>キャプチャーした画面を保存
キャプチャー画面の保存</translation>
    </message>
    <message>
        <source>Select Notation</source>
        <translation>表記の選択</translation>
    </message>
    <message>
        <source>Select Notation
Notation</source>
        <translation>表記の選択
表記</translation>
    </message>
    <message>
        <source>Sc&amp;ope Bar</source>
        <translation>スコープバー(&amp;O)</translation>
    </message>
    <message>
        <source>Half tone up
Half tone up</source>
        <translation>半音上げる
半音上げる</translation>
    </message>
    <message>
        <source>Half tone down
Half tone down</source>
        <translation>半音下げる
半音下げる</translation>
    </message>
    <message>
        <source>No Transposition
No Transposition</source>
        <translation>移調なし
移調なし</translation>
    </message>
    <message>
        <source>Output tone of &quot;la&quot;</source>
        <translation>「ラ」の音を出す</translation>
    </message>
    <message>
        <source>Output tone of &quot;la&quot;
Tone of &quot;la&quot;</source>
        <translation>「ラ」の音を出す
「ラ」の音</translation>
    </message>
    <message>
        <source>Monophonic(1-ch)</source>
        <translation>モノラル(1ch)</translation>
    </message>
    <message>
        <source>Microphone is Monophonic(1-ch)
1-ch Mic</source>
        <translation>マイクはモノラル(1ch)
1ch マイク</translation>
    </message>
    <message>
        <source>Stereophonic(2-ch)</source>
        <translation>ステレオ(2ch)</translation>
    </message>
    <message>
        <source>Microphone is Stereophonic(2-ch)
2-ch Mic</source>
        <translation>マイクはステレオ(2ch)
2ch マイク</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>ファイルを開く</translation>
    </message>
    <message>
        <source>Open file
Open</source>
        <translation>ファイルを開く
開く</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>再生</translation>
    </message>
    <message>
        <source>Play file
Play</source>
        <translation>ファイルを再生
再生</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Stop Playing
Stop</source>
        <translation>再生を停止
停止</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>一時停止</translation>
    </message>
    <message>
        <source>Pause Playing
Pause</source>
        <translation>再生を一時停止
一時停止</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>ヘルプ</translation>
    </message>
    <message>
        <source>Show Help
Help</source>
        <translation>ヘルプを表示
ヘルプ</translation>
    </message>
    <message>
        <source>&amp;Player Bar</source>
        <translation>プレーヤーバー(&amp;P)</translation>
    </message>
    <message>
        <source>Set Parameters Dialog</source>
        <translation>パラメーター設定</translation>
    </message>
    <message>
        <source>Show Set Parameters Dialog
Set Parameters Dialog</source>
        <translation>パラメーター設定を表示
パラメーター設定</translation>
    </message>
    <message>
        <source>Fundamental Frequency (tone)</source>
        <translation>基本周波数(基音)</translation>
    </message>
    <message>
        <source>Display fundamental frequency (tone)
Fundamental Frequency</source>
        <translation>基本周波数(基音)を表示
基本周波数</translation>
    </message>
    <message>
        <source>C</source>
        <translation>C</translation>
    </message>
    <message>
        <source>Db</source>
        <translation>Db</translation>
    </message>
    <message>
        <source>D</source>
        <translation>D</translation>
    </message>
    <message>
        <source>bE</source>
        <translation>bE</translation>
    </message>
    <message>
        <source>E</source>
        <translation>E</translation>
    </message>
    <message>
        <source>F</source>
        <translation>F</translation>
    </message>
    <message>
        <source>#F/bG</source>
        <translation>#F/bG</translation>
    </message>
    <message>
        <source>G</source>
        <translation>G</translation>
    </message>
    <message>
        <source>bA</source>
        <translation>bA</translation>
    </message>
    <message>
        <source>A</source>
        <translation>A</translation>
    </message>
    <message>
        <source>bB</source>
        <translation>bB</translation>
    </message>
    <message>
        <source>B</source>
        <translation>B</translation>
    </message>
    <message>
        <source>3-D Display</source>
        <translation>3D 表示</translation>
    </message>
    <message>
        <source>Three Dimension
3-D</source>
        <translation>3 次元表示
3D</translation>
    </message>
    <message>
        <source>Logarithmic Display</source>
        <translation>対数表示</translation>
    </message>
    <message>
        <source>Logarithmic Display
Logarithmic Display</source>
        <translation>対数表示
対数表示</translation>
    </message>
    <message>
        <source>Play Metronome
Play Metronome</source>
        <translation>メトロノームを鳴らす
メトロノーム</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>設定</translation>
    </message>
    <message>
        <source>Set Metronome
Set Metronome</source>
        <translation>メトロノームの設定
メトロノームの設定</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>録音</translation>
    </message>
    <message>
        <source>Record sound from Microphone
Record</source>
        <translation>マイクから録音
録音</translation>
    </message>
    <message>
        <source>Stop recording
Stop</source>
        <translation>録音を停止
停止</translation>
    </message>
    <message>
        <source>Play recorded sound
Play</source>
        <translation>録音を再生
再生</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Save recorded sound
Save</source>
        <translation>録音を保存
保存</translation>
    </message>
    <message>
        <source>&amp;Recorder Bar</source>
        <translation>レコーダーバー(&amp;R)</translation>
    </message>
    <message>
        <source>Watch Right</source>
        <translation>右へ移動</translation>
    </message>
    <message>
        <source>Watch right
Watch right</source>
        <translation>右へ移動
右へ移動</translation>
    </message>
    <message>
        <source>Watch Left</source>
        <translation>左へ移動</translation>
    </message>
    <message>
        <source>Watch left
Watch left</source>
        <translation>左へ移動
左へ移動</translation>
    </message>
    <message>
        <source>Signal generator</source>
        <translation>信号発生器</translation>
    </message>
    <message>
        <source>Signal generator
Signal generator</source>
        <translation>信号発生器
信号発生器</translation>
    </message>
    <message>
        <source>&amp;Assistance Bar</source>
        <translation>アシスタントバー(&amp;A)</translation>
    </message>
    <message>
        <source>Pitch Marking</source>
        <translation>音程マーキング</translation>
    </message>
    <message>
        <source>Marking the pitch scale line with color.
Pitch Marking</source>
        <translation>音程目盛りの線に色を付けます。
音程マーキング</translation>
    </message>
    <message>
        <source>&amp;About Tonavise...</source>
        <translation>Tonavise について(&amp;A)...</translation>
    </message>
    <message>
        <source>About Tonavise...</source>
        <translation>Tonavise について...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>終了(&amp;X)</translation>
    </message>
    <message>
        <source>Quit the application
Exit</source>
        <translation>アプリケーションを終了
終了</translation>
    </message>
    <message>
        <source>&amp;Tool Bar</source>
        <translation>ツールバー(&amp;T)</translation>
    </message>
    <message>
        <source>Show or hide the toolbar
Toggle ToolBar</source>
        <translation>ツールバーの表示/非表示
ツールバー</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>ステータスバー(&amp;S)</translation>
    </message>
    <message>
        <source>Show or hide the status bar
Toggle Status Bar</source>
        <translation>ステータスバーの表示/非表示
ステータスバー</translation>
    </message>
    <message>
        <source>Precise Pitch</source>
        <translation>精密ピッチ</translation>
    </message>
    <message>
        <source>Name the pitch with the precise estimate, to a tenth of a cent, with a tuner bar
Precise Pitch</source>
        <translation>精密な推定で音高を0.1セント単位で表示し、チューナーバーを表示します
精密ピッチ</translation>
    </message>
    <message>
        <source>Pitch Track</source>
        <translation>ピッチ軌跡</translation>
    </message>
    <message>
        <source>Show how the pitch moved over the last seconds
Pitch Track</source>
        <translation>直近数秒間の音高の動きを表示します
ピッチ軌跡</translation>
    </message>
    <message>
        <source>Loop Start (A)</source>
        <translation>ループ開始 (A)</translation>
    </message>
    <message>
        <source>Set the loop&apos;s start at the play position
Loop start (A)</source>
        <translation>再生位置をループの開始にする
ループ開始 (A)</translation>
    </message>
    <message>
        <source>Loop End (B)</source>
        <translation>ループ終了 (B)</translation>
    </message>
    <message>
        <source>Set the loop&apos;s end at the play position
Loop end (B)</source>
        <translation>再生位置をループの終了にする
ループ終了 (B)</translation>
    </message>
    <message>
        <source>Clear Loop</source>
        <translation>ループ解除</translation>
    </message>
    <message>
        <source>Play on without the loop
Clear loop</source>
        <translation>ループせずに再生を続ける
ループ解除</translation>
    </message>
    <message>
        <source>&amp;Fit Picture to Window</source>
        <translation>画像をウィンドウに合わせる(&amp;F)</translation>
    </message>
    <message>
        <source>Scale the scope&apos;s picture to the window
Fit Picture to Window</source>
        <translation>スコープの画像をウィンドウの大きさに合わせる
画像をウィンドウに合わせる</translation>
    </message>
    <message>
        <source>&amp;Keep Aspect Ratio</source>
        <translation>縦横比を保つ(&amp;K)</translation>
    </message>
    <message>
        <source>Scale the fitted picture without distorting it
Keep Aspect Ratio</source>
        <translation>画像をゆがめずに拡大縮小する
縦横比を保つ</translation>
    </message>
    <message>
        <source>T&amp;uner</source>
        <translation>チューナー(&amp;U)</translation>
    </message>
    <message>
        <source>Show the tuner: the note large, its cents on a needle or a strobe
Tuner</source>
        <translation>チューナーを表示：音名を大きく、セントを針かストロボで表示
チューナー</translation>
    </message>
    <message>
        <source>Tuner Stro&amp;be</source>
        <translation>チューナーのストロボ(&amp;B)</translation>
    </message>
    <message>
        <source>Show the tuner&apos;s strobe instead of its needle
Tuner Strobe</source>
        <translation>チューナーを針の代わりにストロボで表示
チューナーのストロボ</translation>
    </message>
    <message>
        <source>Play or Pause</source>
        <translation>再生/一時停止</translation>
    </message>
    <message>
        <source>Play the file, or pause it while it plays
Play or Pause</source>
        <translation>ファイルを再生し、再生中なら一時停止する
再生/一時停止</translation>
    </message>
    <message>
        <source>Tap Tempo</source>
        <translation>タップテンポ</translation>
    </message>
    <message>
        <source>Tap the metronome&apos;s tempo, one press a beat
Tap Tempo</source>
        <translation>1拍に1回押してメトロノームのテンポを決めます
タップテンポ</translation>
    </message>
    <message>
        <source>Loop...</source>
        <translation>ループ...</translation>
    </message>
    <message>
        <source>Type the loop&apos;s times, pause or speed up each repeat, and save loops with the file
Loop</source>
        <translation>ループの時刻を入力し、繰り返しの前に休みや加速を入れ、ループをファイルと一緒に保存します
ループ</translation>
    </message>
</context>
<context>
    <name>FileDialogs</name>
    <message>
        <source>All Files (*.*)</source>
        <translation>すべてのファイル (*.*)</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>開く</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>名前を付けて保存</translation>
    </message>
    <message>
        <source>Sound files (*.wav *.mp3)</source>
        <translation>サウンドファイル (*.wav *.mp3)</translation>
    </message>
</context>
<context>
    <name>Message</name>
    <message>
        <source>Can not open this MP3 file.</source>
        <translation>この MP3 ファイルを開けません。</translation>
    </message>
    <message>
        <source>Can not read this MP3 File.</source>
        <translation>この MP3 ファイルを読み込めません。</translation>
    </message>
    <message>
        <source>Can not convert this MP3 file to WAV file.</source>
        <translation>この MP3 ファイルを WAV ファイルに変換できません。</translation>
    </message>
    <message>
        <source>Can not open this file.</source>
        <translation>このファイルを開けません。</translation>
    </message>
    <message>
        <source>This file is not the WAV file</source>
        <translation>このファイルは WAV ファイルではありません</translation>
    </message>
    <message>
        <source>This file is not the PCM format file.</source>
        <translation>このファイルは PCM 形式のファイルではありません。</translation>
    </message>
    <message>
        <source>The memory is not enough!</source>
        <translation>メモリーが足りません!</translation>
    </message>
    <message>
        <source>This file holds no sound.</source>
        <translation>このファイルには音がありません。</translation>
    </message>
</context>
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
    <message>
        <source>The timed snapshots could not be saved, the first one as
%1</source>
        <translation>定時スナップショットを保存できませんでした。最初の画像の保存先:
%1</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::AboutDialog</name>
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
    <name>tonavise::ui::BeatFlash</name>
    <message>
        <source>Beat Flash</source>
        <translation>ビートフラッシュ</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::BeatLights</name>
    <message>
        <source>Beat</source>
        <translation>拍</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::FundamentalToneWindow</name>
    <message>
        <source>Fundamental Frequency (tone)</source>
        <translation>基本周波数(基音)</translation>
    </message>
    <message>
        <source>Smooth Tuner Needle</source>
        <translation>チューナーの針を平滑化</translation>
    </message>
    <message>
        <source>no pitch</source>
        <translation>音高なし</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::LoopDialog</name>
    <message>
        <source>Loop</source>
        <translation>ループ</translation>
    </message>
    <message>
        <source>&amp;Set</source>
        <translation>設定(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;A:</source>
        <translation>&amp;A:</translation>
    </message>
    <message>
        <source>&amp;B:</source>
        <translation>&amp;B:</translation>
    </message>
    <message>
        <source>Each repeat</source>
        <translation>繰り返しごと</translation>
    </message>
    <message>
        <source>&amp;Pause before it</source>
        <translation>前に休む(&amp;P)</translation>
    </message>
    <message>
        <source> s</source>
        <translation> 秒</translation>
    </message>
    <message>
        <source>Speed &amp;trainer</source>
        <translation>スピードトレーナー(&amp;T)</translation>
    </message>
    <message>
        <source>Faster by</source>
        <translation>速くする量</translation>
    </message>
    <message>
        <source>After passes</source>
        <translation>回数ごと</translation>
    </message>
    <message>
        <source>Up to</source>
        <translation>上限</translation>
    </message>
    <message>
        <source>Saved loops of this file</source>
        <translation>このファイルの保存したループ</translation>
    </message>
    <message>
        <source>Name, for example Bridge</source>
        <translation>名前（例：サビ）</translation>
    </message>
    <message>
        <source>Sa&amp;ve</source>
        <translation>保存(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>削除(&amp;D)</translation>
    </message>
    <message>
        <source>The trainer&apos;s target (%1 %) must be faster than the speed it starts from (%2 %).</source>
        <translation>トレーナーの目標 (%1 %) は開始の速さ (%2 %) より速くしてください。</translation>
    </message>
    <message>
        <source>Open a file first.</source>
        <translation>先にファイルを開いてください。</translation>
    </message>
    <message>
        <source>Write A and B as times, for example 1:05.20 or 65.2.</source>
        <translation>A と B は時刻で書いてください（例：1:05.20 または 65.2）。</translation>
    </message>
    <message>
        <source>The file lasts %1: the loop is unchanged.</source>
        <translation>ファイルの長さは %1 です。ループは変わりません。</translation>
    </message>
    <message>
        <source>A and B must be at least %1 s apart, A first: the loop is unchanged.</source>
        <translation>A を先に、A と B は %1 秒以上離してください。ループは変わりません。</translation>
    </message>
    <message>
        <source>Set a loop first (A and B), then save it.</source>
        <translation>先にループ（A と B）を設定してから保存してください。</translation>
    </message>
    <message>
        <source>Loop %1</source>
        <translation>ループ %1</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::MainWindow</name>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Function</source>
        <translation>機能(&amp;F)</translation>
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
        <translation>マイクのチャンネル</translation>
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
    <message>
        <source>The manual %1 was not found. It was looked for in:
%2</source>
        <translation>マニュアル %1 が見つかりませんでした。次の場所を探しました:
%2</translation>
    </message>
    <message>
        <source>No program could be started to show the manual
%1</source>
        <translation>マニュアルを表示するプログラムを起動できませんでした
%1</translation>
    </message>
    <message>
        <source>No input</source>
        <translation>入力なし</translation>
    </message>
    <message>
        <source>Input lost: %1</source>
        <translation>入力の欠落: %1</translation>
    </message>
    <message>
        <source>The chosen input %1 is not available; using the default</source>
        <translation>選択した入力 %1 は使用できません。既定の入力を使います</translation>
    </message>
    <message>
        <source>The chosen output %1 is not available; using the default</source>
        <translation>選択した出力 %1 は使用できません。既定の出力を使います</translation>
    </message>
    <message>
        <source>Recent Files</source>
        <translation>最近使ったファイル</translation>
    </message>
    <message>
        <source>%1 is no longer there</source>
        <translation>%1 はもうありません</translation>
    </message>
    <message>
        <source>Overview</source>
        <translation>概要</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::MetronomeDialog</name>
    <message>
        <source>Metronome</source>
        <translation>メトロノーム</translation>
    </message>
    <message>
        <source>&amp;Tempo</source>
        <translation>テンポ(&amp;T)</translation>
    </message>
    <message>
        <source>Meter</source>
        <translation>拍子</translation>
    </message>
    <message>
        <source>&amp;Start</source>
        <translation>開始(&amp;S)</translation>
    </message>
    <message>
        <source>St&amp;op</source>
        <translation>停止(&amp;O)</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>終了(&amp;X)</translation>
    </message>
    <message>
        <source>Ta&amp;p</source>
        <translation>タップ(&amp;P)</translation>
    </message>
    <message>
        <source>Tap the beat (or press T) to set the tempo</source>
        <translation>拍に合わせてタップ（または T キー）してテンポを設定</translation>
    </message>
    <message>
        <source>S&amp;ubdivision</source>
        <translation>細分(&amp;U)</translation>
    </message>
    <message>
        <source>None</source>
        <translation>なし</translation>
    </message>
    <message>
        <source>&amp;Count in one bar before recording</source>
        <translation>録音前に 1 小節カウント(&amp;C)</translation>
    </message>
    <message>
        <source>Practice</source>
        <translation>練習</translation>
    </message>
    <message>
        <source>M&amp;eter N/D:</source>
        <translation>拍子 N/D(&amp;E):</translation>
    </message>
    <message>
        <source>&amp;Groups:</source>
        <translation>グループ(&amp;G):</translation>
    </message>
    <message>
        <source>&amp;Dotted quarter beat</source>
        <translation>付点四分音符を1拍に(&amp;D)</translation>
    </message>
    <message>
        <source>6/8, 9/8 and 12/8: the tempo counts dotted quarters</source>
        <translation>6/8、9/8、12/8: テンポを付点四分音符で数えます</translation>
    </message>
    <message>
        <source>With two clicks a beat: where the second one falls</source>
        <translation>1拍2クリックのとき: 2つ目の位置</translation>
    </message>
    <message>
        <source>S&amp;wing:</source>
        <translation>スウィング(&amp;W):</translation>
    </message>
    <message>
        <source>Click</source>
        <translation>クリック</translation>
    </message>
    <message>
        <source>Wood block</source>
        <translation>ウッドブロック</translation>
    </message>
    <message>
        <source>Beep</source>
        <translation>ビープ</translation>
    </message>
    <message>
        <source>Sou&amp;nd:</source>
        <translation>音(&amp;N):</translation>
    </message>
    <message>
        <source>&amp;Volume:</source>
        <translation>音量(&amp;V):</translation>
    </message>
    <message>
        <source>T&amp;rainer: +</source>
        <translation>テンポトレーナー(&amp;R): +</translation>
    </message>
    <message>
        <source> bpm</source>
        <translation> bpm</translation>
    </message>
    <message>
        <source>every</source>
        <translation>毎</translation>
    </message>
    <message>
        <source>bars up to</source>
        <translation>小節、目標</translation>
    </message>
    <message>
        <source>&amp;Mute bars: play</source>
        <translation>ミュート小節(&amp;M): 鳴らす</translation>
    </message>
    <message>
        <source>then mute</source>
        <translation>小節、ミュート</translation>
    </message>
    <message>
        <source>Beat &amp;Flash</source>
        <translation>ビートフラッシュ(&amp;F)</translation>
    </message>
    <message>
        <source>A large beat to read from the music stand</source>
        <translation>譜面台からも読める大きな拍表示</translation>
    </message>
    <message>
        <source>Beat: click a light to change its accent</source>
        <translation>拍: ランプをクリックしてアクセントを変更</translation>
    </message>
    <message>
        <source>Write the meter first, for example 7/8.</source>
        <translation>先に拍子を書いてください (例: 7/8)。</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::OverviewStrip</name>
    <message>
        <source>File overview</source>
        <translation>ファイルの概要</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::PitchMarkingDialog</name>
    <message>
        <source>Pitch marking</source>
        <translation>音程マーキング</translation>
    </message>
    <message>
        <source>&amp;Erhu</source>
        <translation>二胡(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Violin</source>
        <translation>バイオリン(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Guitar</source>
        <translation>ギター(&amp;G)</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::PitchTrackWindow</name>
    <message>
        <source>Pitch Track</source>
        <translation>ピッチ軌跡</translation>
    </message>
    <message>
        <source>no pitch</source>
        <translation>音高なし</translation>
    </message>
    <message>
        <source>Pitch Track (frozen)</source>
        <translation>ピッチ軌跡（停止中）</translation>
    </message>
    <message>
        <source>Last %1 Seconds</source>
        <translation>直近 %1 秒</translation>
    </message>
    <message>
        <source>Freeze</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>消去</translation>
    </message>
    <message>
        <source>Export...</source>
        <translation>書き出し...</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>書き出し</translation>
    </message>
    <message>
        <source>CSV rows and a PNG picture (*.csv)</source>
        <translation>CSV データと PNG 画像 (*.csv)</translation>
    </message>
    <message>
        <source>The pitch track could not be written to %1.</source>
        <translation>ピッチ軌跡を %1 に書き込めませんでした。</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::PlayerBar</name>
    <message>
        <source>Speed: slower or faster without changing the pitch</source>
        <translation>速度：音の高さを変えずに遅く・速く</translation>
    </message>
    <message>
        <source>Transpose in semitones, without changing the speed</source>
        <translation>半音単位の移調（速度は変わりません）</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>速度</translation>
    </message>
    <message>
        <source>Transpose</source>
        <translation>移調</translation>
    </message>
    <message>
        <source>Play position</source>
        <translation>再生位置</translation>
    </message>
    <message>
        <source>Play time</source>
        <translation>再生時間</translation>
    </message>
    <message>
        <source>No file</source>
        <translation>ファイルなし</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::PlayerPractice</name>
    <message>
        <source>Loop %1 – %2</source>
        <translation>ループ %1 – %2</translation>
    </message>
    <message>
        <source>Loop off</source>
        <translation>ループ解除</translation>
    </message>
    <message>
        <source>A and B must be at least %1 s apart: the loop is unchanged.</source>
        <translation>A と B は %1 秒以上離してください。ループは変わりません。</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::RecorderReadout</name>
    <message>
        <source>Input level</source>
        <translation>入力レベル</translation>
    </message>
    <message>
        <source>%1 dB</source>
        <translation>%1 dB</translation>
    </message>
    <message>
        <source>Recorded time</source>
        <translation>録音時間</translation>
    </message>
    <message>
        <source>%1, peak %2 dB</source>
        <translation>%1、ピーク %2 dB</translation>
    </message>
    <message>
        <source>, clipped</source>
        <translation>、クリップあり</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::ScopeView</name>
    <message>
        <source>KeySelect</source>
        <translation>調の選択</translation>
    </message>
    <message>
        <source>Scope</source>
        <translation>スコープ</translation>
    </message>
    <message>
        <source>Waveform</source>
        <translation>波形</translation>
    </message>
    <message>
        <source>Spectrum on a frequency scale</source>
        <translation>周波数目盛りのスペクトル</translation>
    </message>
    <message>
        <source>Spectrum on the piano keys</source>
        <translation>ピアノ鍵盤のスペクトル</translation>
    </message>
    <message>
        <source>%1, in 3-D</source>
        <translation>%1、3D</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::SettingsDialog</name>
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
    <message>
        <source>Sound devices</source>
        <translation>サウンドデバイス</translation>
    </message>
    <message>
        <source>Input</source>
        <translation>入力</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>出力</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>既定</translation>
    </message>
    <message>
        <source>%1 (not available)</source>
        <translation>%1（使用できません）</translation>
    </message>
    <message>
        <source>(sound server not answering)</source>
        <translation>（サウンドサーバーが応答しません）</translation>
    </message>
    <message>
        <source>Common pitches of A4</source>
        <translation>A4 のよく使われる周波数</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Hz</translation>
    </message>
    <message>
        <source>Presets</source>
        <translation>プリセット</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::SignalGeneratorDialog</name>
    <message>
        <source>Signal Generator</source>
        <translation>信号発生器</translation>
    </message>
    <message>
        <source>Left Channel</source>
        <translation>左チャンネル</translation>
    </message>
    <message>
        <source>Right Channel</source>
        <translation>右チャンネル</translation>
    </message>
    <message>
        <source>Frequency(1-20000Hz)</source>
        <translation>周波数(1-20000Hz)</translation>
    </message>
    <message>
        <source>Amplitude(0-100%)</source>
        <translation>振幅(0-100%)</translation>
    </message>
    <message>
        <source>Wave Form</source>
        <translation>波形</translation>
    </message>
    <message>
        <source>Sine</source>
        <translation>正弦波</translation>
    </message>
    <message>
        <source>Square</source>
        <translation>矩形波</translation>
    </message>
    <message>
        <source>Triangle</source>
        <translation>三角波</translation>
    </message>
    <message>
        <source>Saw</source>
        <translation>のこぎり波</translation>
    </message>
    <message>
        <source>&amp;Start</source>
        <translation>開始(&amp;S)</translation>
    </message>
    <message>
        <source>St&amp;op</source>
        <translation>停止(&amp;O)</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>終了(&amp;X)</translation>
    </message>
    <message>
        <source>Please enter an integer.</source>
        <translation>整数を入力してください。</translation>
    </message>
    <message>
        <source>Please enter an integer between %1 and %2.</source>
        <translation>%1 から %2 までの整数を入力してください。</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::TunerDock</name>
    <message>
        <source>Tuner</source>
        <translation>チューナー</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::TunerFaceWidget</name>
    <message>
        <source>Tuner</source>
        <translation>チューナー</translation>
    </message>
    <message>
        <source>♭ flat</source>
        <translation>♭ 低い</translation>
    </message>
    <message>
        <source>in tune</source>
        <translation>合っている</translation>
    </message>
    <message>
        <source>sharp ♯</source>
        <translation>高い ♯</translation>
    </message>
    <message>
        <source>cents</source>
        <translation>セント</translation>
    </message>
    <message>
        <source>no pitch</source>
        <translation>音高なし</translation>
    </message>
    <message>
        <source>%1, in tune</source>
        <translation>%1、合っている</translation>
    </message>
    <message>
        <source>%1, %2 cents sharp</source>
        <translation>%1、%2 セント高い</translation>
    </message>
    <message>
        <source>%1, %2 cents flat</source>
        <translation>%1、%2 セント低い</translation>
    </message>
    <message>
        <source>±%1 cents</source>
        <translation>±%1 セント</translation>
    </message>
    <message>
        <source>Keep A4 at Its Frequency</source>
        <translation>A4 の周波数を保つ</translation>
    </message>
    <message>
        <source>Guitar (standard)</source>
        <translation>ギター(標準)</translation>
    </message>
    <message>
        <source>Guitar (drop D)</source>
        <translation>ギター(ドロップD)</translation>
    </message>
    <message>
        <source>Guitar (DADGAD)</source>
        <translation>ギター(DADGAD)</translation>
    </message>
    <message>
        <source>Guitar (open G)</source>
        <translation>ギター(オープンG)</translation>
    </message>
    <message>
        <source>Guitar (open D)</source>
        <translation>ギター(オープンD)</translation>
    </message>
    <message>
        <source>Bass (4 strings)</source>
        <translation>ベース(4弦)</translation>
    </message>
    <message>
        <source>Bass (5 strings)</source>
        <translation>ベース(5弦)</translation>
    </message>
    <message>
        <source>Violin</source>
        <translation>バイオリン</translation>
    </message>
    <message>
        <source>Viola</source>
        <translation>ビオラ</translation>
    </message>
    <message>
        <source>Cello</source>
        <translation>チェロ</translation>
    </message>
    <message>
        <source>Double bass</source>
        <translation>コントラバス</translation>
    </message>
    <message>
        <source>Ukulele</source>
        <translation>ウクレレ</translation>
    </message>
    <message>
        <source>Mandolin</source>
        <translation>マンドリン</translation>
    </message>
    <message>
        <source>Custom strings</source>
        <translation>カスタムの弦</translation>
    </message>
    <message>
        <source>pure fifths</source>
        <translation>純正五度</translation>
    </message>
    <message>
        <source>string %1</source>
        <translation>第%1弦</translation>
    </message>
    <message>
        <source>None: the Nearest Key</source>
        <translation>なし：最も近い鍵盤</translation>
    </message>
    <message>
        <source>Custom Strings...</source>
        <translation>カスタムの弦...</translation>
    </message>
    <message>
        <source>Custom Strings</source>
        <translation>カスタムの弦</translation>
    </message>
    <message>
        <source>The open strings as notes, low string first:</source>
        <translation>開放弦の音名（低い弦から）：</translation>
    </message>
    <message>
        <source>Pure Fifths</source>
        <translation>純正五度</translation>
    </message>
    <message>
        <source>The Nearest String</source>
        <translation>最も近い弦</translation>
    </message>
    <message>
        <source>String %1 (%2)</source>
        <translation>第%1弦 (%2)</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Drone %1</source>
        <translation>ドローン %1</translation>
    </message>
    <message>
        <source>Stop Drone</source>
        <translation>ドローンを停止</translation>
    </message>
    <message>
        <source>The file cannot be read.</source>
        <translation>ファイルを読み込めません。</translation>
    </message>
    <message>
        <source>Scala File (%1)...</source>
        <translation>Scala ファイル (%1)...</translation>
    </message>
    <message>
        <source>Scala File...</source>
        <translation>Scala ファイル...</translation>
    </message>
    <message>
        <source>Scala Scale</source>
        <translation>Scala 音階</translation>
    </message>
    <message>
        <source>Scala scales (*.scl)</source>
        <translation>Scala 音階 (*.scl)</translation>
    </message>
    <message>
        <source>This Note</source>
        <translation>この音</translation>
    </message>
    <message>
        <source>Next String</source>
        <translation>次の弦</translation>
    </message>
    <message>
        <source>Previous String</source>
        <translation>前の弦</translation>
    </message>
    <message>
        <source>Tuner Menu</source>
        <translation>チューナーのメニュー</translation>
    </message>
    <message>
        <source>Stro&amp;be</source>
        <translation>ストロボ(&amp;B)</translation>
    </message>
    <message>
        <source>&amp;Needle</source>
        <translation>針(&amp;N)</translation>
    </message>
    <message>
        <source>In Tune &amp;Within</source>
        <translation>合っている範囲(&amp;W)</translation>
    </message>
    <message>
        <source>&amp;Temperament</source>
        <translation>音律(&amp;T)</translation>
    </message>
    <message>
        <source>T&amp;onic</source>
        <translation>主音(&amp;O)</translation>
    </message>
    <message>
        <source>Transposing &amp;Instrument</source>
        <translation>移調楽器(&amp;I)</translation>
    </message>
    <message>
        <source>&amp;Strings</source>
        <translation>弦(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Lock to String</source>
        <translation>弦を固定(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Reference Tone</source>
        <translation>基準音(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Drone</source>
        <translation>ドローン(&amp;D)</translation>
    </message>
</context>
</TS>

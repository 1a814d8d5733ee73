<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Command</name>
    <message>
        <source>Wave Shape Scope</source>
        <translation>波形示波器</translation>
    </message>
    <message>
        <source>Set Wave shape scope mode
Wave shape scope</source>
        <translation>设为波形示波器模式
波形示波器</translation>
    </message>
    <message>
        <source>Horizontal Zoom In</source>
        <translation>水平放大</translation>
    </message>
    <message>
        <source>Horizontal zoom in
Hor. Zoom-in</source>
        <translation>水平放大
水平放大</translation>
    </message>
    <message>
        <source>Horizontal Zoom Out</source>
        <translation>水平缩小</translation>
    </message>
    <message>
        <source>Horizontal zoom out
Hor. Zoom-Out</source>
        <translation>水平缩小
水平缩小</translation>
    </message>
    <message>
        <source>Frequency Scale</source>
        <translation>频率刻度</translation>
    </message>
    <message>
        <source>Set X-axis as Frequency scale
Frequency scale</source>
        <translation>将横轴设为频率刻度
频率刻度</translation>
    </message>
    <message>
        <source>Pitch Scale</source>
        <translation>音高刻度</translation>
    </message>
    <message>
        <source>Set X-axis as Pitch scale
Pitch scale</source>
        <translation>将横轴设为音高刻度
音高刻度</translation>
    </message>
    <message>
        <source>Vertical Zoom In</source>
        <translation>垂直放大</translation>
    </message>
    <message>
        <source>Vertical zoom in
Vert. Zoom-in</source>
        <translation>垂直放大
垂直放大</translation>
    </message>
    <message>
        <source>Vertical Zoom Out</source>
        <translation>垂直缩小</translation>
    </message>
    <message>
        <source>Vertical zoom out
Vert. Zoom-out</source>
        <translation>垂直缩小
垂直缩小</translation>
    </message>
    <message>
        <source>Start Capturing</source>
        <translation>开始截图</translation>
    </message>
    <message>
        <source>Copy screen
Copy screen</source>
        <translation>截取屏幕
截取屏幕</translation>
    </message>
    <message>
        <source>Save copied screen
Save copied screen</source>
        <translation>保存截取的画面
保存截取的画面</translation>
    </message>
    <message>
        <source>Select Notation</source>
        <translation>选择记谱法</translation>
    </message>
    <message>
        <source>Select Notation
Notation</source>
        <translation>选择记谱法
记谱法</translation>
    </message>
    <message>
        <source>Sc&amp;ope Bar</source>
        <translation>示波器工具栏(&amp;O)</translation>
    </message>
    <message>
        <source>Half tone up
Half tone up</source>
        <translation>升高半音
升高半音</translation>
    </message>
    <message>
        <source>Half tone down
Half tone down</source>
        <translation>降低半音
降低半音</translation>
    </message>
    <message>
        <source>No Transposition
No Transposition</source>
        <translation>不移调
不移调</translation>
    </message>
    <message>
        <source>Output tone of &quot;la&quot;</source>
        <translation>输出“la”音</translation>
    </message>
    <message>
        <source>Output tone of &quot;la&quot;
Tone of &quot;la&quot;</source>
        <translation>输出“la”音
“la”音</translation>
    </message>
    <message>
        <source>Monophonic(1-ch)</source>
        <translation>单声道(1 声道)</translation>
    </message>
    <message>
        <source>Microphone is Monophonic(1-ch)
1-ch Mic</source>
        <translation>麦克风为单声道(1 声道)
单声道麦克风</translation>
    </message>
    <message>
        <source>Stereophonic(2-ch)</source>
        <translation>立体声(2 声道)</translation>
    </message>
    <message>
        <source>Microphone is Stereophonic(2-ch)
2-ch Mic</source>
        <translation>麦克风为立体声(2 声道)
立体声麦克风</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>打开文件</translation>
    </message>
    <message>
        <source>Open file
Open</source>
        <translation>打开文件
打开</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>播放</translation>
    </message>
    <message>
        <source>Play file
Play</source>
        <translation>播放文件
播放</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Stop Playing
Stop</source>
        <translation>停止播放
停止</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>暂停</translation>
    </message>
    <message>
        <source>Pause Playing
Pause</source>
        <translation>暂停播放
暂停</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>帮助</translation>
    </message>
    <message>
        <source>Show Help
Help</source>
        <translation>显示帮助
帮助</translation>
    </message>
    <message>
        <source>&amp;Player Bar</source>
        <translation>播放器工具栏(&amp;P)</translation>
    </message>
    <message>
        <source>Set Parameters Dialog</source>
        <translation>设置参数对话框</translation>
    </message>
    <message>
        <source>Show Set Parameters Dialog
Set Parameters Dialog</source>
        <translation>显示设置参数对话框
设置参数对话框</translation>
    </message>
    <message>
        <source>Fundamental Frequency (tone)</source>
        <translation>基频(基音)</translation>
    </message>
    <message>
        <source>Display fundamental frequency (tone)
Fundamental Frequency</source>
        <translation>显示基频(基音)
基频</translation>
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
        <translation>三维显示</translation>
    </message>
    <message>
        <source>Three Dimension
3-D</source>
        <translation>三维显示
三维</translation>
    </message>
    <message>
        <source>Logarithmic Display</source>
        <translation>对数显示</translation>
    </message>
    <message>
        <source>Logarithmic Display
Logarithmic Display</source>
        <translation>对数显示
对数显示</translation>
    </message>
    <message>
        <source>Play Metronome
Play Metronome</source>
        <translation>播放节拍器
播放节拍器</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Set Metronome
Set Metronome</source>
        <translation>设置节拍器
设置节拍器</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>录音</translation>
    </message>
    <message>
        <source>Record sound from Microphone
Record</source>
        <translation>从麦克风录音
录音</translation>
    </message>
    <message>
        <source>Stop recording
Stop</source>
        <translation>停止录音
停止</translation>
    </message>
    <message>
        <source>Play recorded sound
Play</source>
        <translation>播放录音
播放</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Save recorded sound
Save</source>
        <translation>保存录音
保存</translation>
    </message>
    <message>
        <source>&amp;Recorder Bar</source>
        <translation>录音机工具栏(&amp;R)</translation>
    </message>
    <message>
        <source>Watch Right</source>
        <translation>向右移动</translation>
    </message>
    <message>
        <source>Watch right
Watch right</source>
        <translation>向右移动
向右移动</translation>
    </message>
    <message>
        <source>Watch Left</source>
        <translation>向左移动</translation>
    </message>
    <message>
        <source>Watch left
Watch left</source>
        <translation>向左移动
向左移动</translation>
    </message>
    <message>
        <source>Signal generator</source>
        <translation>信号发生器</translation>
    </message>
    <message>
        <source>Signal generator
Signal generator</source>
        <translation>信号发生器
信号发生器</translation>
    </message>
    <message>
        <source>&amp;Assistance Bar</source>
        <translation>辅助工具栏(&amp;A)</translation>
    </message>
    <message>
        <source>Pitch Marking</source>
        <translation>音高标记</translation>
    </message>
    <message>
        <source>Marking the pitch scale line with color.
Pitch Marking</source>
        <translation>用颜色标记音高刻度线。
音高标记</translation>
    </message>
    <message>
        <source>&amp;About Tonavise...</source>
        <translation>关于 Tonavise(&amp;A)...</translation>
    </message>
    <message>
        <source>About Tonavise...</source>
        <translation>关于 Tonavise...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>退出(&amp;X)</translation>
    </message>
    <message>
        <source>Quit the application
Exit</source>
        <translation>退出应用程序
退出</translation>
    </message>
    <message>
        <source>&amp;Tool Bar</source>
        <translation>工具栏(&amp;T)</translation>
    </message>
    <message>
        <source>Show or hide the toolbar
Toggle ToolBar</source>
        <translation>显示或隐藏工具栏
切换工具栏</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>状态栏(&amp;S)</translation>
    </message>
    <message>
        <source>Show or hide the status bar
Toggle Status Bar</source>
        <translation>显示或隐藏状态栏
切换状态栏</translation>
    </message>
    <message>
        <source>Precise Pitch</source>
        <translation>精确音高</translation>
    </message>
    <message>
        <source>Name the pitch with the precise estimate, to a tenth of a cent, with a tuner bar
Precise Pitch</source>
        <translation>用精确估计命名音高，精确到十分之一音分，并显示调音条
精确音高</translation>
    </message>
    <message>
        <source>Pitch Track</source>
        <translation>音高轨迹</translation>
    </message>
    <message>
        <source>Show how the pitch moved over the last seconds
Pitch Track</source>
        <translation>显示最近几秒内音高的变化
音高轨迹</translation>
    </message>
    <message>
        <source>Loop Start (A)</source>
        <translation>循环起点 (A)</translation>
    </message>
    <message>
        <source>Set the loop&apos;s start at the play position
Loop start (A)</source>
        <translation>把循环起点设在播放位置
循环起点 (A)</translation>
    </message>
    <message>
        <source>Loop End (B)</source>
        <translation>循环终点 (B)</translation>
    </message>
    <message>
        <source>Set the loop&apos;s end at the play position
Loop end (B)</source>
        <translation>把循环终点设在播放位置
循环终点 (B)</translation>
    </message>
    <message>
        <source>Clear Loop</source>
        <translation>取消循环</translation>
    </message>
    <message>
        <source>Play on without the loop
Clear loop</source>
        <translation>不再循环，继续播放
取消循环</translation>
    </message>
    <message>
        <source>&amp;Fit Picture to Window</source>
        <translation>图像适应窗口(&amp;F)</translation>
    </message>
    <message>
        <source>Scale the scope&apos;s picture to the window
Fit Picture to Window</source>
        <translation>把示波图像缩放到窗口大小
图像适应窗口</translation>
    </message>
    <message>
        <source>&amp;Keep Aspect Ratio</source>
        <translation>保持宽高比(&amp;K)</translation>
    </message>
    <message>
        <source>Scale the fitted picture without distorting it
Keep Aspect Ratio</source>
        <translation>缩放图像时不变形
保持宽高比</translation>
    </message>
    <message>
        <source>T&amp;uner</source>
        <translation>调音器(&amp;U)</translation>
    </message>
    <message>
        <source>Show the tuner: the note large, its cents on a needle or a strobe
Tuner</source>
        <translation>显示调音器：大字显示音名，用指针或频闪显示音分
调音器</translation>
    </message>
    <message>
        <source>Tuner Stro&amp;be</source>
        <translation>调音器频闪(&amp;B)</translation>
    </message>
    <message>
        <source>Show the tuner&apos;s strobe instead of its needle
Tuner Strobe</source>
        <translation>调音器以频闪代替指针显示
调音器频闪</translation>
    </message>
    <message>
        <source>Play or Pause</source>
        <translation>播放或暂停</translation>
    </message>
    <message>
        <source>Play the file, or pause it while it plays
Play or Pause</source>
        <translation>播放文件,播放时则暂停
播放或暂停</translation>
    </message>
    <message>
        <source>Tap Tempo</source>
        <translation>敲击定速</translation>
    </message>
    <message>
        <source>Tap the metronome&apos;s tempo, one press a beat
Tap Tempo</source>
        <translation>每拍按一次，敲出节拍器的速度
敲击定速</translation>
    </message>
    <message>
        <source>Loop...</source>
        <translation>循环...</translation>
    </message>
    <message>
        <source>Type the loop&apos;s times, pause or speed up each repeat, and save loops with the file
Loop</source>
        <translation>输入循环的时间，在每次重复前暂停或加速，并随文件保存循环
循环</translation>
    </message>
</context>
<context>
    <name>FileDialogs</name>
    <message>
        <source>All Files (*.*)</source>
        <translation>所有文件 (*.*)</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>另存为</translation>
    </message>
    <message>
        <source>Sound files (*.wav *.mp3)</source>
        <translation>声音文件 (*.wav *.mp3)</translation>
    </message>
</context>
<context>
    <name>Message</name>
    <message>
        <source>Can not open this MP3 file.</source>
        <translation>无法打开此 MP3 文件。</translation>
    </message>
    <message>
        <source>Can not read this MP3 File.</source>
        <translation>无法读取此 MP3 文件。</translation>
    </message>
    <message>
        <source>Can not convert this MP3 file to WAV file.</source>
        <translation>无法将此 MP3 文件转换为 WAV 文件。</translation>
    </message>
    <message>
        <source>Can not open this file.</source>
        <translation>无法打开此文件。</translation>
    </message>
    <message>
        <source>This file is not the WAV file</source>
        <translation>此文件不是 WAV 文件</translation>
    </message>
    <message>
        <source>This file is not the PCM format file.</source>
        <translation>此文件不是 PCM 格式的文件。</translation>
    </message>
    <message>
        <source>The memory is not enough!</source>
        <translation>内存不足!</translation>
    </message>
    <message>
        <source>This file holds no sound.</source>
        <translation>此文件中没有声音。</translation>
    </message>
</context>
<context>
    <name>ScopeCapture</name>
    <message>
        <source>All Files (*)</source>
        <translation>所有文件 (*)</translation>
    </message>
    <message>
        <source>The picture could not be saved as
%1</source>
        <translation>无法将图片保存为
%1</translation>
    </message>
    <message>
        <source>The timed snapshots could not be saved, the first one as
%1</source>
        <translation>无法保存定时截图，第一张应保存为
%1</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::AboutDialog</name>
    <message>
        <source>About Tonavise</source>
        <translation>关于 Tonavise</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::BeatFlash</name>
    <message>
        <source>Beat Flash</source>
        <translation>节拍闪示</translation>
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
        <translation>基频(基音)</translation>
    </message>
    <message>
        <source>Smooth Tuner Needle</source>
        <translation>平滑调音指针</translation>
    </message>
    <message>
        <source>no pitch</source>
        <translation>无音高</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::LoopDialog</name>
    <message>
        <source>Loop</source>
        <translation>循环</translation>
    </message>
    <message>
        <source>&amp;Set</source>
        <translation>设置(&amp;S)</translation>
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
        <translation>每次重复</translation>
    </message>
    <message>
        <source>&amp;Pause before it</source>
        <translation>重复前暂停(&amp;P)</translation>
    </message>
    <message>
        <source> s</source>
        <translation> 秒</translation>
    </message>
    <message>
        <source>Speed &amp;trainer</source>
        <translation>速度训练(&amp;T)</translation>
    </message>
    <message>
        <source>Faster by</source>
        <translation>每次加快</translation>
    </message>
    <message>
        <source>After passes</source>
        <translation>每几遍</translation>
    </message>
    <message>
        <source>Up to</source>
        <translation>直到</translation>
    </message>
    <message>
        <source>Saved loops of this file</source>
        <translation>此文件保存的循环</translation>
    </message>
    <message>
        <source>Name, for example Bridge</source>
        <translation>名称，例如 副歌</translation>
    </message>
    <message>
        <source>Sa&amp;ve</source>
        <translation>保存(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>删除(&amp;D)</translation>
    </message>
    <message>
        <source>The trainer&apos;s target (%1 %) must be faster than the speed it starts from (%2 %).</source>
        <translation>速度训练的目标 (%1 %) 必须快于起始速度 (%2 %)。</translation>
    </message>
    <message>
        <source>Open a file first.</source>
        <translation>请先打开文件。</translation>
    </message>
    <message>
        <source>Write A and B as times, for example 1:05.20 or 65.2.</source>
        <translation>请把 A 和 B 写成时间，例如 1:05.20 或 65.2。</translation>
    </message>
    <message>
        <source>The file lasts %1: the loop is unchanged.</source>
        <translation>文件长 %1：循环保持不变。</translation>
    </message>
    <message>
        <source>A and B must be at least %1 s apart, A first: the loop is unchanged.</source>
        <translation>A 在前，且 A 与 B 至少相隔 %1 秒：循环保持不变。</translation>
    </message>
    <message>
        <source>Set a loop first (A and B), then save it.</source>
        <translation>请先设置循环（A 和 B），再保存。</translation>
    </message>
    <message>
        <source>Loop %1</source>
        <translation>循环 %1</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::MainWindow</name>
    <message>
        <source>&amp;File</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Function</source>
        <translation>功能(&amp;F)</translation>
    </message>
    <message>
        <source>Spectrum Scope</source>
        <translation>频谱示波器</translation>
    </message>
    <message>
        <source>Zoom And Shift</source>
        <translation>缩放和移动</translation>
    </message>
    <message>
        <source>Select Key</source>
        <translation>选择调</translation>
    </message>
    <message>
        <source>Select Microphone&apos;s channel</source>
        <translation>选择麦克风声道</translation>
    </message>
    <message>
        <source>Player</source>
        <translation>播放器</translation>
    </message>
    <message>
        <source>&amp;Tool</source>
        <translation>工具(&amp;T)</translation>
    </message>
    <message>
        <source>Metronome</source>
        <translation>节拍器</translation>
    </message>
    <message>
        <source>Recorder</source>
        <translation>录音机</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>查看(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>帮助(&amp;H)</translation>
    </message>
    <message>
        <source>Scope Type</source>
        <translation>示波器类型</translation>
    </message>
    <message>
        <source>Assistance</source>
        <translation>辅助</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>就绪</translation>
    </message>
    <message>
        <source>The manual %1 was not found. It was looked for in:
%2</source>
        <translation>找不到说明书 %1。已在以下位置查找：
%2</translation>
    </message>
    <message>
        <source>No program could be started to show the manual
%1</source>
        <translation>无法启动程序来显示说明书
%1</translation>
    </message>
    <message>
        <source>No input</source>
        <translation>无输入</translation>
    </message>
    <message>
        <source>Input lost: %1</source>
        <translation>输入丢失：%1</translation>
    </message>
    <message>
        <source>The chosen input %1 is not available; using the default</source>
        <translation>所选输入 %1 不可用，改用默认输入</translation>
    </message>
    <message>
        <source>The chosen output %1 is not available; using the default</source>
        <translation>所选输出 %1 不可用，改用默认输出</translation>
    </message>
    <message>
        <source>Recent Files</source>
        <translation>最近的文件</translation>
    </message>
    <message>
        <source>%1 is no longer there</source>
        <translation>%1 已不存在</translation>
    </message>
    <message>
        <source>Overview</source>
        <translation>概览</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::MetronomeDialog</name>
    <message>
        <source>Metronome</source>
        <translation>节拍器</translation>
    </message>
    <message>
        <source>&amp;Tempo</source>
        <translation>速度(&amp;T)</translation>
    </message>
    <message>
        <source>Meter</source>
        <translation>拍子</translation>
    </message>
    <message>
        <source>&amp;Start</source>
        <translation>开始(&amp;S)</translation>
    </message>
    <message>
        <source>St&amp;op</source>
        <translation>停止(&amp;O)</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>退出(&amp;X)</translation>
    </message>
    <message>
        <source>Ta&amp;p</source>
        <translation>敲击(&amp;P)</translation>
    </message>
    <message>
        <source>Tap the beat (or press T) to set the tempo</source>
        <translation>按节拍敲击（或按 T 键）来设定速度</translation>
    </message>
    <message>
        <source>S&amp;ubdivision</source>
        <translation>细分(&amp;U)</translation>
    </message>
    <message>
        <source>None</source>
        <translation>无</translation>
    </message>
    <message>
        <source>&amp;Count in one bar before recording</source>
        <translation>录音前预备一小节(&amp;C)</translation>
    </message>
    <message>
        <source>Practice</source>
        <translation>练习</translation>
    </message>
    <message>
        <source>M&amp;eter N/D:</source>
        <translation>拍号 N/D(&amp;E):</translation>
    </message>
    <message>
        <source>&amp;Groups:</source>
        <translation>分组(&amp;G):</translation>
    </message>
    <message>
        <source>&amp;Dotted quarter beat</source>
        <translation>以附点四分音符为拍(&amp;D)</translation>
    </message>
    <message>
        <source>6/8, 9/8 and 12/8: the tempo counts dotted quarters</source>
        <translation>6/8、9/8 和 12/8：速度按附点四分音符计</translation>
    </message>
    <message>
        <source>With two clicks a beat: where the second one falls</source>
        <translation>每拍两响时：第二响所在的位置</translation>
    </message>
    <message>
        <source>S&amp;wing:</source>
        <translation>摇摆(&amp;W):</translation>
    </message>
    <message>
        <source>Click</source>
        <translation>咔嗒声</translation>
    </message>
    <message>
        <source>Wood block</source>
        <translation>木鱼</translation>
    </message>
    <message>
        <source>Beep</source>
        <translation>蜂鸣</translation>
    </message>
    <message>
        <source>Sou&amp;nd:</source>
        <translation>声音(&amp;N):</translation>
    </message>
    <message>
        <source>&amp;Volume:</source>
        <translation>音量(&amp;V):</translation>
    </message>
    <message>
        <source>T&amp;rainer: +</source>
        <translation>速度训练(&amp;R): +</translation>
    </message>
    <message>
        <source> bpm</source>
        <translation> 拍/分</translation>
    </message>
    <message>
        <source>every</source>
        <translation>每</translation>
    </message>
    <message>
        <source>bars up to</source>
        <translation>小节，直到</translation>
    </message>
    <message>
        <source>&amp;Mute bars: play</source>
        <translation>静音小节(&amp;M): 响</translation>
    </message>
    <message>
        <source>then mute</source>
        <translation>小节，再静音</translation>
    </message>
    <message>
        <source>Beat &amp;Flash</source>
        <translation>节拍闪示(&amp;F)</translation>
    </message>
    <message>
        <source>A large beat to read from the music stand</source>
        <translation>在谱架前也能看清的大节拍</translation>
    </message>
    <message>
        <source>Beat: click a light to change its accent</source>
        <translation>节拍：点击灯改变其重音</translation>
    </message>
    <message>
        <source>Write the meter first, for example 7/8.</source>
        <translation>请先写拍号，例如 7/8。</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::OverviewStrip</name>
    <message>
        <source>File overview</source>
        <translation>文件概览</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::PitchMarkingDialog</name>
    <message>
        <source>Pitch marking</source>
        <translation>音高标记</translation>
    </message>
    <message>
        <source>&amp;Erhu</source>
        <translation>二胡(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Violin</source>
        <translation>小提琴(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Guitar</source>
        <translation>吉他(&amp;G)</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::PitchTrackWindow</name>
    <message>
        <source>Pitch Track</source>
        <translation>音高轨迹</translation>
    </message>
    <message>
        <source>no pitch</source>
        <translation>无音高</translation>
    </message>
    <message>
        <source>Pitch Track (frozen)</source>
        <translation>音高轨迹（已冻结）</translation>
    </message>
    <message>
        <source>Last %1 Seconds</source>
        <translation>最近 %1 秒</translation>
    </message>
    <message>
        <source>Freeze</source>
        <translation>冻结</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>清除</translation>
    </message>
    <message>
        <source>Export...</source>
        <translation>导出...</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>导出</translation>
    </message>
    <message>
        <source>CSV rows and a PNG picture (*.csv)</source>
        <translation>CSV 数据和 PNG 图片 (*.csv)</translation>
    </message>
    <message>
        <source>The pitch track could not be written to %1.</source>
        <translation>无法将音高轨迹写入 %1。</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::PlayerBar</name>
    <message>
        <source>Speed: slower or faster without changing the pitch</source>
        <translation>速度：放慢或加快，音高不变</translation>
    </message>
    <message>
        <source>Transpose in semitones, without changing the speed</source>
        <translation>以半音移调，速度不变</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>速度</translation>
    </message>
    <message>
        <source>Transpose</source>
        <translation>移调</translation>
    </message>
    <message>
        <source>Play position</source>
        <translation>播放位置</translation>
    </message>
    <message>
        <source>Play time</source>
        <translation>播放时间</translation>
    </message>
    <message>
        <source>No file</source>
        <translation>没有文件</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::PlayerPractice</name>
    <message>
        <source>Loop %1 – %2</source>
        <translation>循环 %1 – %2</translation>
    </message>
    <message>
        <source>Loop off</source>
        <translation>循环已关闭</translation>
    </message>
    <message>
        <source>A and B must be at least %1 s apart: the loop is unchanged.</source>
        <translation>A 与 B 至少相隔 %1 秒：循环保持不变。</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::RecorderReadout</name>
    <message>
        <source>Input level</source>
        <translation>输入电平</translation>
    </message>
    <message>
        <source>%1 dB</source>
        <translation>%1 dB</translation>
    </message>
    <message>
        <source>Recorded time</source>
        <translation>录音时间</translation>
    </message>
    <message>
        <source>%1, peak %2 dB</source>
        <translation>%1,峰值 %2 dB</translation>
    </message>
    <message>
        <source>, clipped</source>
        <translation>,已削波</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::ScopeView</name>
    <message>
        <source>KeySelect</source>
        <translation>选择调</translation>
    </message>
    <message>
        <source>Scope</source>
        <translation>示波器</translation>
    </message>
    <message>
        <source>Waveform</source>
        <translation>波形</translation>
    </message>
    <message>
        <source>Spectrum on a frequency scale</source>
        <translation>频率刻度上的频谱</translation>
    </message>
    <message>
        <source>Spectrum on the piano keys</source>
        <translation>钢琴键上的频谱</translation>
    </message>
    <message>
        <source>%1, in 3-D</source>
        <translation>%1，三维</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::SettingsDialog</name>
    <message>
        <source>Set Parameters</source>
        <translation>设置参数</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Frequency of A4</source>
        <translation>A4 的频率</translation>
    </message>
    <message>
        <source>Hz</source>
        <translation>Hz</translation>
    </message>
    <message>
        <source>Screen Capturer</source>
        <translation>屏幕截图</translation>
    </message>
    <message>
        <source>Folder to save the Image</source>
        <translation>保存图像的文件夹</translation>
    </message>
    <message>
        <source>Ref</source>
        <translation>浏览</translation>
    </message>
    <message>
        <source>Start Time (Seconds)</source>
        <translation>开始时间(秒)</translation>
    </message>
    <message>
        <source>Interval (Seconds)</source>
        <translation>间隔(秒)</translation>
    </message>
    <message>
        <source>Numbers of images</source>
        <translation>图像数量</translation>
    </message>
    <message>
        <source>Recorder</source>
        <translation>录音机</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>时间</translation>
    </message>
    <message>
        <source>Repeating</source>
        <translation>循环录音</translation>
    </message>
    <message>
        <source>Sound devices</source>
        <translation>声音设备</translation>
    </message>
    <message>
        <source>Input</source>
        <translation>输入</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>输出</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>默认</translation>
    </message>
    <message>
        <source>%1 (not available)</source>
        <translation>%1（不可用）</translation>
    </message>
    <message>
        <source>(sound server not answering)</source>
        <translation>（声音服务器没有响应）</translation>
    </message>
    <message>
        <source>Common pitches of A4</source>
        <translation>A4 的常用频率</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Hz</translation>
    </message>
    <message>
        <source>Presets</source>
        <translation>预设</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::SignalGeneratorDialog</name>
    <message>
        <source>Signal Generator</source>
        <translation>信号发生器</translation>
    </message>
    <message>
        <source>Left Channel</source>
        <translation>左声道</translation>
    </message>
    <message>
        <source>Right Channel</source>
        <translation>右声道</translation>
    </message>
    <message>
        <source>Frequency(1-20000Hz)</source>
        <translation>频率(1-20000Hz)</translation>
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
        <translation>方波</translation>
    </message>
    <message>
        <source>Triangle</source>
        <translation>三角波</translation>
    </message>
    <message>
        <source>Saw</source>
        <translation>锯齿波</translation>
    </message>
    <message>
        <source>&amp;Start</source>
        <translation>开始(&amp;S)</translation>
    </message>
    <message>
        <source>St&amp;op</source>
        <translation>停止(&amp;O)</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>退出(&amp;X)</translation>
    </message>
    <message>
        <source>Please enter an integer.</source>
        <translation>请输入一个整数。</translation>
    </message>
    <message>
        <source>Please enter an integer between %1 and %2.</source>
        <translation>请输入介于 %1 和 %2 之间的整数。</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::TunerDock</name>
    <message>
        <source>Tuner</source>
        <translation>调音器</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::TunerFaceWidget</name>
    <message>
        <source>Tuner</source>
        <translation>调音器</translation>
    </message>
    <message>
        <source>♭ flat</source>
        <translation>♭ 偏低</translation>
    </message>
    <message>
        <source>in tune</source>
        <translation>音准</translation>
    </message>
    <message>
        <source>sharp ♯</source>
        <translation>偏高 ♯</translation>
    </message>
    <message>
        <source>cents</source>
        <translation>音分</translation>
    </message>
    <message>
        <source>no pitch</source>
        <translation>无音高</translation>
    </message>
    <message>
        <source>%1, in tune</source>
        <translation>%1，音准</translation>
    </message>
    <message>
        <source>%1, %2 cents sharp</source>
        <translation>%1，偏高 %2 音分</translation>
    </message>
    <message>
        <source>%1, %2 cents flat</source>
        <translation>%1，偏低 %2 音分</translation>
    </message>
    <message>
        <source>±%1 cents</source>
        <translation>±%1 音分</translation>
    </message>
    <message>
        <source>Keep A4 at Its Frequency</source>
        <translation>保持 A4 的频率</translation>
    </message>
    <message>
        <source>Guitar (standard)</source>
        <translation>吉他(标准)</translation>
    </message>
    <message>
        <source>Guitar (drop D)</source>
        <translation>吉他(Drop D)</translation>
    </message>
    <message>
        <source>Guitar (DADGAD)</source>
        <translation>吉他(DADGAD)</translation>
    </message>
    <message>
        <source>Guitar (open G)</source>
        <translation>吉他(开放 G)</translation>
    </message>
    <message>
        <source>Guitar (open D)</source>
        <translation>吉他(开放 D)</translation>
    </message>
    <message>
        <source>Bass (4 strings)</source>
        <translation>贝斯(4 弦)</translation>
    </message>
    <message>
        <source>Bass (5 strings)</source>
        <translation>贝斯(5 弦)</translation>
    </message>
    <message>
        <source>Violin</source>
        <translation>小提琴</translation>
    </message>
    <message>
        <source>Viola</source>
        <translation>中提琴</translation>
    </message>
    <message>
        <source>Cello</source>
        <translation>大提琴</translation>
    </message>
    <message>
        <source>Double bass</source>
        <translation>低音提琴</translation>
    </message>
    <message>
        <source>Ukulele</source>
        <translation>尤克里里</translation>
    </message>
    <message>
        <source>Mandolin</source>
        <translation>曼陀林</translation>
    </message>
    <message>
        <source>Custom strings</source>
        <translation>自定义琴弦</translation>
    </message>
    <message>
        <source>pure fifths</source>
        <translation>纯五度</translation>
    </message>
    <message>
        <source>string %1</source>
        <translation>第 %1 弦</translation>
    </message>
    <message>
        <source>None: the Nearest Key</source>
        <translation>无：最近的键</translation>
    </message>
    <message>
        <source>Custom Strings...</source>
        <translation>自定义琴弦...</translation>
    </message>
    <message>
        <source>Custom Strings</source>
        <translation>自定义琴弦</translation>
    </message>
    <message>
        <source>The open strings as notes, low string first:</source>
        <translation>空弦音名，从低音弦开始：</translation>
    </message>
    <message>
        <source>Pure Fifths</source>
        <translation>纯五度</translation>
    </message>
    <message>
        <source>The Nearest String</source>
        <translation>最近的琴弦</translation>
    </message>
    <message>
        <source>String %1 (%2)</source>
        <translation>第 %1 弦 (%2)</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Drone %1</source>
        <translation>持续音 %1</translation>
    </message>
    <message>
        <source>Stop Drone</source>
        <translation>停止持续音</translation>
    </message>
    <message>
        <source>The file cannot be read.</source>
        <translation>无法读取该文件。</translation>
    </message>
    <message>
        <source>Scala File (%1)...</source>
        <translation>Scala 文件 (%1)...</translation>
    </message>
    <message>
        <source>Scala File...</source>
        <translation>Scala 文件...</translation>
    </message>
    <message>
        <source>Scala Scale</source>
        <translation>Scala 音阶</translation>
    </message>
    <message>
        <source>Scala scales (*.scl)</source>
        <translation>Scala 音阶 (*.scl)</translation>
    </message>
    <message>
        <source>This Note</source>
        <translation>当前音</translation>
    </message>
    <message>
        <source>Next String</source>
        <translation>下一根弦</translation>
    </message>
    <message>
        <source>Previous String</source>
        <translation>上一根弦</translation>
    </message>
    <message>
        <source>Tuner Menu</source>
        <translation>调音器菜单</translation>
    </message>
    <message>
        <source>Stro&amp;be</source>
        <translation>频闪(&amp;B)</translation>
    </message>
    <message>
        <source>&amp;Needle</source>
        <translation>指针(&amp;N)</translation>
    </message>
    <message>
        <source>In Tune &amp;Within</source>
        <translation>音准范围(&amp;W)</translation>
    </message>
    <message>
        <source>&amp;Temperament</source>
        <translation>律制(&amp;T)</translation>
    </message>
    <message>
        <source>T&amp;onic</source>
        <translation>主音(&amp;O)</translation>
    </message>
    <message>
        <source>Transposing &amp;Instrument</source>
        <translation>移调乐器(&amp;I)</translation>
    </message>
    <message>
        <source>&amp;Strings</source>
        <translation>琴弦(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Lock to String</source>
        <translation>锁定琴弦(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Reference Tone</source>
        <translation>参考音(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Drone</source>
        <translation>持续音(&amp;D)</translation>
    </message>
</context>
</TS>

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
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
</context>
<context>
    <name>tonavise::ui::CAboutDlg</name>
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
    <name>tonavise::ui::CDlgFundamentTone</name>
    <message>
        <source>Fundamental Frequency (tone)</source>
        <translation>基频(基音)</translation>
    </message>
</context>
<context>
    <name>tonavise::ui::CDlgSet</name>
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
</context>
<context>
    <name>tonavise::ui::CMainFrame</name>
    <message>
        <source>&amp;File</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Function</source>
        <translation>功能(&amp;U)</translation>
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
        <translation>选择调号</translation>
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
</context>
<context>
    <name>tonavise::ui::CScopeView</name>
    <message>
        <source>KeySelect</source>
        <translation>选择调号</translation>
    </message>
</context>
</TS>

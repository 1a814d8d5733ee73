#!/usr/bin/env python3
"""Gives the classes and their files plain names that say what they are, in one step.

Run once from the project's root on a clean tree, then build and test:
    scripts/renames/plain-class-names.py
Moves the files with `git mv` and rewrites every tracked text file: the sources, tests,
benchmarks, fuzz targets, CMake lists, documents and the translation files, whose contexts carry
the class names (so no Chinese or Japanese text is lost). A name is replaced as a whole word, and
also with a "Test" ending (a test file or suite named after its class). Settings keys, file
formats and the texts users see hold none of these names and do not change.
"""
import re
import subprocess
import sys

# Old class name -> new class name.
CLASSES = {
    "CAboutDlg": "AboutDialog",
    "CBeatLights": "BeatLights",
    "CBrowseFolderDialog": "BrowseFolderDialog",
    "CDlgFundamentTone": "FundamentalToneWindow",
    "CDlgMetronome": "MetronomeDialog",
    "CDlgScaleColor": "PitchMarkingDialog",
    "CDlgSet": "SettingsDialog",
    "CDoreme": "KeyTable",
    "CFft": "Fft",
    "CFilePlayThread": "PlayerThread",
    "CListPitchScaleListBox": "KeyMarkList",
    "CMainFrame": "MainWindow",
    "CMp3Reader": "Mp3Reader",
    "CPitchTrackWindow": "PitchTrackWindow",
    "CPlayerBar": "PlayerBar",
    "CPositionSlider": "PositionSlider",
    "CRecorderThread": "RecorderThread",
    "CScopeView": "ScopeView",
    "CSignalerDlg": "SignalGeneratorDialog",
    "CTonaviseApp": "TonaviseApp",
    "CTransposeBox": "TransposeBox",
    "CUpDown": "StepButtons",
    "CWavReader": "WavReader",
    "CWaveInThread": "CaptureThread",
    "CWaveOutThread": "ToneThread",
    "CWaveSignalThread": "SignalThread",
}

# Old file stem -> new file stem (folder, stem); the stems also name test files and suites.
FILES = {
    ("src/ui", "AboutDlg"): "AboutDialog",
    ("src/ui", "DlgFundamentTone"): "FundamentalToneWindow",
    ("src/ui", "DlgMetronome"): "MetronomeDialog",
    ("src/ui", "DlgScaleColor"): "PitchMarkingDialog",
    ("src/ui", "DlgSet"): "SettingsDialog",
    ("src/ui", "ListPitchScaleListBox"): "KeyMarkList",
    ("src/ui", "MainFrame"): "MainWindow",
    ("src/ui", "SignalerDlg"): "SignalGeneratorDialog",
    ("src/ui", "UpDown"): "StepButtons",
    ("src/engine", "Doreme"): "KeyTable",
    ("src/engine", "FilePlayThread"): "PlayerThread",
    ("src/engine", "WaveInThread"): "CaptureThread",
    ("src/engine", "WaveOutThread"): "ToneThread",
    ("src/engine", "WaveSignalThread"): "SignalThread",
}

# Variables, members, object names and enumerations named after a class, and handlers.
MEMBERS = {
    "doreme": "keyTable",
    "doreme_": "keyTable_",
    "aboutDlg": "aboutDialog",
    "signalerDlg": "signalGeneratorDialog",
    "DlgMetronomeControl": "MetronomeControl",
    "DlgScaleColorControl": "PitchMarkingControl",
    "DlgSetControl": "SettingsControl",
    "SignalerControl": "SignalGeneratorControl",
    "WaveOutTest": "ToneOutputTest",
    # Handlers named after what they do rather than after the window event they once answered.
    "OnInitDialog": "FillControls",
    "InitialUpdate": "StartLive",
    "OnInitialUpdate": "StartLive",
    "OnDestroy": "StopLive",
    "OnCommand": "HandleCommand",
    "OnVoilin": "OnViolin",
    "voilinButton_": "violinButton_",
    "voilinButton": "violinButton",
    "kVoilinMarks": "kViolinMarks",
    "kVoilinPreset": "kViolinPreset",
    "IDC_VOILIN": "IDC_VIOLIN",
}


def git(*args):
    return subprocess.run(["git", *args], check=True, capture_output=True, text=True).stdout


def main():
    if git("status", "--porcelain").strip():
        sys.exit("plain-class-names: the tree has changes; commit or stash them first")
    words = dict(CLASSES)
    words.update({old: new for (_, old), new in FILES.items()})
    words.update(MEMBERS)
    pattern = re.compile(r"\b(" + "|".join(sorted(map(re.escape, words), key=len, reverse=True)) +
                         r")(Test|Tests|Bench)?\b")

    for (folder, old), new in FILES.items():
        for path in git("ls-files", "--", folder, "tests", "bench", "fuzz").split():
            name = path.rsplit("/", 1)[-1]
            stem, dot, ending = name.partition(".")
            if stem in (old, old + "Test") and ending in ("h", "cpp"):
                target = path[: -len(name)] + stem.replace(old, new, 1) + dot + ending
                git("mv", path, target)

    changed = 0
    for path in git("ls-files").split():
        if path.startswith("scripts/renames/"):
            continue
        try:
            with open(path, encoding="utf-8") as f:
                text = f.read()
        except (UnicodeDecodeError, IsADirectoryError):
            continue
        new_text = pattern.sub(lambda m: words[m.group(1)] + (m.group(2) or ""), text)
        if new_text != text:
            with open(path, "w", encoding="utf-8") as f:
                f.write(new_text)
            changed += 1
    print(f"plain-class-names: {len(FILES)} file stems moved, {changed} files rewritten")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Lays the engine out by subsystem: moves each file of src/engine into its folder.

Run once from the project's root on a clean tree, then build and test:
    scripts/renames/engine-folders.py
Moves the files with `git mv` and rewrites every include of them ("engine/Fft.h" becomes
"engine/dsp/Fft.h") and every path to them in the CMake lists and documents.
"""
import os
import re
import subprocess
import sys

FOLDERS = {
    # What every part shares: the audio constants, the message interface, small lock-free tools.
    "core": ["AudioFormat", "Notifier", "UiLanguage", "SeqlockRing", "AutoResetEvent"],
    # The transform, its kernels, the pitch estimators, the key table and the click sound.
    "dsp": ["Fft", "FftKernels", "FftKernelsAvx2", "FftKernelsBaseline", "Fundamental",
            "NsdfPitch", "PitchEstimate", "KeyTable", "Metronome"],
    # Sound files: reading, writing, loading, and what a loaded file becomes as it plays.
    "audiofile": ["ByteSource", "Mp3Reader", "WavReader", "WavWriter", "FileLoading",
                  "LoadedClip", "ScopeFeed", "PracticeStream"],
    # The device layer and its back ends.
    "device": ["SoundDevice", "SoundSystem", "PulseSound", "PortAudioSound", "VirtualSound",
               "DeviceStandIn", "DeviceListReader", "SignalBuffer"],
    # The worker threads, their messages and stores, the analysis and the live engine.
    "live": ["MessageThread", "ThreadMessages", "CaptureStore", "SpectrumExchange",
             "PitchReading", "RecordingStore", "AnalysisThread", "ClipAnalysis", "CaptureThread",
             "ToneThread", "PlayerThread", "RecorderThread", "SignalThread", "LiveEngine"],
}


def git(*args):
    return subprocess.run(["git", *args], check=True, capture_output=True, text=True).stdout


def main():
    if git("status", "--porcelain").strip():
        sys.exit("engine-folders: the tree has changes; commit or stash them first")
    folder_of = {stem: folder for folder, stems in FOLDERS.items() for stem in stems}
    moved = 0
    for path in git("ls-files", "src/engine").split():
        rel = path[len("src/engine/"):]
        if "/" in rel or rel == "CMakeLists.txt":
            continue
        stem = rel.partition(".")[0]
        if stem not in folder_of:
            sys.exit(f"engine-folders: {path} has no folder")
        os.makedirs(f"src/engine/{folder_of[stem]}", exist_ok=True)
        git("mv", path, f"src/engine/{folder_of[stem]}/{rel}")
        moved += 1

    stems = "|".join(sorted(folder_of, key=len, reverse=True))
    # Includes and paths: engine/Name.ext and src/engine/Name.ext.
    path_re = re.compile(r"\b(engine/)(" + stems + r")(\.(?:h|cpp|inl|\*))")
    # Source lists of the engine's own CMake file: a bare file name on its own line.
    list_re = re.compile(r"^(\s*)(" + stems + r")(\.cpp)\b", re.M)
    changed = 0
    for path in git("ls-files").split():
        if path.startswith("scripts/renames/"):
            continue
        try:
            with open(path, encoding="utf-8") as f:
                text = f.read()
        except (UnicodeDecodeError, IsADirectoryError):
            continue
        new = path_re.sub(lambda m: m.group(1) + folder_of[m.group(2)] + "/" + m.group(2) +
                          m.group(3), text)
        if path == "src/engine/CMakeLists.txt":
            new = list_re.sub(lambda m: m.group(1) + folder_of[m.group(2)] + "/" + m.group(2) +
                              m.group(3), new)
            new = re.sub(r"\b(FftKernels(?:Avx2|Baseline)\.cpp)", r"dsp/\1", new)
            new = new.replace("dsp/dsp/", "dsp/")
        if new != text:
            with open(path, "w", encoding="utf-8") as f:
                f.write(new)
            changed += 1
    print(f"engine-folders: {moved} files moved, {changed} files rewritten")


if __name__ == "__main__":
    main()

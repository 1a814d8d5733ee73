#!/usr/bin/env python3
"""Prints the figures of scripts/bench.sh from Google Benchmark's JSON output, or, with
--callgrind, the instruction counts per transform from callgrind_annotate's output on stdin."""
import json
import re
import sys

RUNS = 50  # runs per function in bench/InstructionCount.cpp


def callgrind():
    counts = {}
    for line in sys.stdin:
        m = re.match(r'\s*([\d,]+)\s+\([^)]*\)\s+\S*:(?:tonavise::bench::\(anonymous namespace\)::)?'
                     r'(OursRealInput|OursLoadOnly|OursComplexInput|FftwComplex|FftwRealToComplex)\(', line)
        if m:
            counts[m.group(2)] = int(m.group(1).replace(',', '')) / RUNS
    if 'OursRealInput' in counts and 'OursLoadOnly' in counts:
        counts['OursRealInput'] -= counts['OursLoadOnly']
    names = [('OursRealInput', 'ours, real input (after LoadMono)'),
             ('OursComplexInput', 'ours, complex input'),
             ('FftwComplex', 'FFTW complex'),
             ('FftwRealToComplex', 'FFTW real-to-complex')]
    print('Instructions per 32768-point transform (callgrind):')
    for key, label in names:
        if key in counts:
            print(f'  {label:36s} {counts[key]:12,.0f}')
    if 'FftwComplex' in counts:
        for key, label in names[:2]:
            if key in counts:
                print(f'  {label} / FFTW complex: {counts[key] / counts["FftwComplex"]:.2f}')


def medians(path):
    with open(path) as f:
        data = json.load(f)
    out = {}
    for b in data['benchmarks']:
        if b.get('aggregate_name') == 'median':
            out[b['run_name']] = b
    return data.get('context', {}), out


def main():
    if sys.argv[1:2] == ['--callgrind']:
        callgrind()
        return
    context, m = medians(sys.argv[1])

    def get(name, field='real_time'):
        for run, b in m.items():
            if run.startswith(name):
                return b.get(field)
        return None

    def us(name):
        # The median of the per-run medians: robust against moments when the core was taken.
        return get(name, 'p50_us')

    print(f"{context.get('num_cpus', '?')} CPUs at {context.get('mhz_per_cpu', '?')} MHz; "
          f"load average during the run: {context.get('load_avg')}")
    print('\n32768-point transform, median of per-run medians (us):')
    rows = [('BM_Transform_Ours_RealInput/0', 'ours, real input (the analysis path)'),
            ('BM_Transform_Ours_ComplexInput/0', 'ours, complex input'),
            ('BM_Transform_Ours_RealInput/1', 'ours, real input, baseline x86-64 code'),
            ('BM_Transform_Ours_ComplexInput/1', 'ours, complex input, baseline x86-64 code'),
            ('BM_Transform_Fftw_Complex', 'FFTW complex (interleaved)'),
            ('BM_Transform_Fftw_ComplexSplit', 'FFTW complex (split arrays)'),
            ('BM_Transform_Fftw_RealToComplex', 'FFTW real-to-complex'),
            ('BM_Transform_Reference', 'reference (the original algorithm)')]
    for name, label in rows:
        v = us(name)
        if v is not None:
            print(f'  {label:44s} {v:9.1f}')
    fftw = us('BM_Transform_Fftw_Complex')
    fftw_r = us('BM_Transform_Fftw_RealToComplex')
    real = us('BM_Transform_Ours_RealInput/0')
    cplx = us('BM_Transform_Ours_ComplexInput/0')
    if fftw and real:
        print(f'  ratio ours (real input) / FFTW complex:    {real / fftw:.2f}')
    if fftw and cplx:
        print(f'  ratio ours (complex input) / FFTW complex: {cplx / fftw:.2f}')
    if fftw_r and real:
        print(f'  ratio ours (real input) / FFTW real:       {real / fftw_r:.2f}')

    print('\nWhole analysis pass (load, transform, magnitudes, fundamental), '
          'median of per-run medians (us):')
    for arg, label in [('0', 'mono'), ('1', 'stereo'), ('2', 'mono, logarithmic scale')]:
        v = us(f'BM_AnalysisPass/{arg}')
        if v is not None:
            print(f'  {label:24s} {v:8.1f}')

    print('\nPrecise pitch estimate per pass, median processor time of the thread (us):')
    for arg, label in [('275', 'A0 (long frame)'), ('824', 'E2 (long frame)'), ('4400', 'A4'),
                       ('41860', 'C8'), ('0', 'white noise')]:
        b = m.get(f'BM_PreciseEstimate/{arg}')
        if b is not None:
            print(f'  {label:24s} {b["cpu_time"]:8.1f}')
    for arg, label in [('0', 'standard only'), ('1', 'with the precise estimate')]:
        b = m.get(f'BM_AnalysisPassByPitchMethod/{arg}')
        if b is not None:
            print(f'  whole pass, {label:26s} {b["cpu_time"]:8.1f}')

    clip = m.get('BM_AnalyzeClip/real_time')
    if clip:
        print(f"\nAnalyzeClip, 60 s mono 44.1 kHz: {clip['real_time']:.1f} ms = "
              f"{clip['x_realtime']:.0f} x real time "
              f"({clip.get('x_realtime_cpu', 0):.0f} x per second of processor time)")
    wav = m.get('BM_AnalyzeWavFile/real_time')
    if wav:
        print(f"  with loading the WAV file:      {wav['real_time']:.1f} ms = "
              f"{wav['x_realtime']:.0f} x real time")
    mp3 = get('BM_LoadMp3')
    cli = get('BM_Mpg123Command')
    if mp3 and cli:
        print(f'\nMP3, 3 minutes stereo 128 kbit/s: LoadMp3 {mp3:.1f} ms, '
              f'mpg123 -q -w out.wav {cli:.1f} ms; ratio {mp3 / cli:.2f} (wall clock)')
        mp3_cpu = get('BM_LoadMp3', 'x_realtime_cpu')
        cli_cpu = get('BM_Mpg123Command', 'x_realtime_cpu')
        if mp3_cpu and cli_cpu:
            print(f'  processor time: LoadMp3 {180e3 / mp3_cpu:.1f} ms, mpg123 {180e3 / cli_cpu:.1f} ms; '
                  f'ratio {cli_cpu / mp3_cpu:.2f}')


if __name__ == '__main__':
    main()

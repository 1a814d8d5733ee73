// tonavise-cli: the program's analysis and pictures from the command line.
#include <CLI/CLI.hpp>

#include <iostream>

#include "Commands.h"

int main(int argc, char** argv) {
    using namespace tonavise::cli;
    CLI::App app{"Tonavise command-line tool: pitch analysis of sound files"};
    app.require_subcommand(1);

    AnalyzeOptions analyze;
    CLI::App* analyzeCmd = app.add_subcommand(
        "analyze",
        "Print the fundamental frequency, nearest key and cents of every 100 ms of WAV or MP3 "
        "files, as CSV rows file,time_s,f0_hz,key,name,cents. time_s is the end of the block; key "
        "is 0 (A0) to 87 (C8), values outside that range mean no note and leave name empty.");
    analyzeCmd->add_option("files", analyze.files, "WAV or MP3 files")->required();
    analyzeCmd->add_option("--a4", analyze.a4, "Frequency of A4 in Hz")
        ->check(CLI::Range(435.0, 445.0))
        ->capture_default_str();
    analyzeCmd->add_flag("--log", analyze.logarithmic,
                         "Logarithmic spectrum scaling (changes which peaks count)");

    SineOptions sine;
    CLI::App* sineCmd = app.add_subcommand("sine", "Write a sine tone as a PCM WAV file");
    sineCmd->add_option("-o,--output", sine.output, "WAV file to write")->required();
    sineCmd->add_option("--freq", sine.frequency, "Frequency in Hz")->capture_default_str();
    sineCmd->add_option("--seconds", sine.seconds, "Length")->capture_default_str();
    sineCmd->add_option("--amplitude", sine.amplitude, "Peak in 16-bit units")
        ->check(CLI::Range(0.0, 32767.0))
        ->capture_default_str();
    sineCmd->add_option("--rate", sine.sampleRate, "Samples per second")->capture_default_str();
    sineCmd->add_option("--channels", sine.channels, "1 or 2")->check(CLI::Range(1, 2));
    sineCmd->add_option("--bits", sine.bits, "8 or 16")->check(CLI::IsMember({8, 16}));

    CLI11_PARSE(app, argc, argv);

    if (analyzeCmd->parsed()) {
        return RunAnalyze(analyze, std::cout, std::cerr);
    }
    if (sineCmd->parsed()) {
        return RunSine(sine, std::cerr);
    }
    return 2;
}

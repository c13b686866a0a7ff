// SPDX-License-Identifier: GPL-3.0-or-later
// The wider voices' cost, side by side in each run: one hour of a spin, a bell, a binaural
// and an isochronic voice with a twenty-minute slide, rendered to a 16-bit WAV file by
// tovin-cli and by the peer player SBaGen+ (its path in the first argument; left out when
// it is not there); the same session with a looping 44.1 kHz Ogg mix at mix/30; the peak
// memory of a render with a thirty-minute FLAC mix; ten minutes of a square voice against a
// sine voice. sox makes the mix files, untimed. The hour's processor time (both of tovin's
// threads) beside the peer's tells what two free cores would make of it on a busy machine.
// Usage: bench_wider_voices SBAGEN [RUNS] [DIR]   (3 runs, files in the current directory)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/run_program.h"

namespace {

std::string hourSession(const std::string& mixOption, const std::string& mixVoice) {
    return "## One hour: a spin, a bell, a binaural and an isochronic voice\n-SE\n" + mixOption +
           "a: spin:300+4/20 bell+2000/10 200+10/20 300@8/10" + mixVoice +
           "\n"
           "b: spin:500+6/20 bell+2000/10 220+6/20 320@6/10" +
           mixVoice +
           "\n"
           "00:00:00 a\n00:20:00 == a ->\n00:40:00 == b\n01:00:00 b\n";
}

bench::Times timeRuns(int runs, const std::vector<std::string>& args, const std::string& out) {
    bench::Times t;
    for (int i = 0; i < runs; ++i) {
        unlink(out.c_str());
        double cpu = 0.0;
        t.runs.push_back(bench::TimeProgram(args, nullptr, &cpu));
        t.cpu.push_back(cpu);
    }
    unlink(out.c_str());
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string peer = argc > 1 ? argv[1] : "";
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const std::string dir = argc > 3 ? argv[3] : ".";
    const std::string hour = dir + "/wide-hour.sbg";
    const std::string mixed = dir + "/wide-mixed.sbg";
    const std::string flac = dir + "/wide-flac.sbg";
    const std::string out = dir + "/wide-out.wav";
    std::ofstream(hour) << hourSession("", "");
    std::ofstream(mixed) << hourSession("-m wide-mix.ogg\n", " mix/30");
    std::ofstream(flac) << hourSession("-m wide-mix.flac\n", " mix/30");
    const bool made =
        bench::TimeProgram({"sox", "-q", "-n", "-r", "44100", "-c", "2", dir + "/wide-mix.ogg",
                            "synth", "300", "pinknoise", "sine", "440"}) >= 0 &&
        bench::TimeProgram({"sox", "-q", "-n", "-r", "44100", "-c", "2", "-b", "16",
                            dir + "/wide-mix.flac", "synth", "1800", "brownnoise"}) >= 0;

    const bench::Times tovin =
        timeRuns(runs, {TOVIN_CLI_PATH, "render", "--session", hour, "-o", out}, out);
    const bool withPeer = !peer.empty() && access(peer.c_str(), X_OK) == 0;
    const bench::Times sbagen = withPeer ? timeRuns(runs, {peer, "-Q", "-W", "-o", out, hour}, out)
                                         : bench::Times{{0.0}, {}};
    const bench::Times mix =
        timeRuns(runs, {TOVIN_CLI_PATH, "render", "--session", mixed, "-o", out}, out);
    long peakKiB = 0;
    const double flacTime =
        bench::TimeProgram({TOVIN_CLI_PATH, "render", "--session", flac, "-o", out}, &peakKiB);
    unlink(out.c_str());
    const auto tones = [&](const char* voice) {
        return timeRuns(
            runs, {TOVIN_CLI_PATH, "render", "--tones", voice, "--length", "0:10:00", "-o", out},
            out);
    };
    const bench::Times sine = tones("200+10/20");
    const bench::Times square = tones("square:200+10/20");
    for (const char* f : {"/wide-hour.sbg", "/wide-mixed.sbg", "/wide-flac.sbg", "/wide-mix.ogg",
                          "/wide-mix.flac"}) {
        unlink((dir + f).c_str());
    }

    std::printf(
        "one hour of spin, bell, binaural and isochronic voices, 16-bit WAV at 44.1 kHz,\n"
        "%d runs (best / median):\n",
        runs);
    std::printf("  tovin-cli render      %7.3f / %7.3f s  %6.0fx real time, CPU %.3f s\n",
                tovin.best(), tovin.median(), 3600 / tovin.best(), tovin.leastCpu());
    if (withPeer) {
        std::printf(
            "  SBaGen+               %7.3f / %7.3f s  tovin %.1f times faster (medians %.1f), "
            "CPU %.3f s\n",
            sbagen.best(), sbagen.median(), sbagen.best() / tovin.best(),
            sbagen.median() / tovin.median(), sbagen.leastCpu());
    } else {
        std::printf("  SBaGen+               not run: no program at '%s'\n", peer.c_str());
    }
    std::printf("  with an Ogg mix/30    %7.3f / %7.3f s  %.2f times the time without it\n",
                mix.best(), mix.median(), mix.best() / tovin.best());
    std::printf("  with a 30-min FLAC    %7.3f s, peak resident memory %.1f MB\n", flacTime,
                peakKiB / 1024.0);
    std::printf("ten minutes of one binaural voice:\n");
    std::printf("  sine                  %7.3f / %7.3f s\n", sine.best(), sine.median());
    std::printf("  square                %7.3f / %7.3f s  %.2f times the sine's\n", square.best(),
                square.median(), square.best() / sine.best());
    const bool failed = !made || tovin.best() < 0 || mix.best() < 0 || flacTime < 0 ||
                        sine.best() < 0 || square.best() < 0 || (withPeer && sbagen.best() < 0);
    return failed ? 1 : 0;
}

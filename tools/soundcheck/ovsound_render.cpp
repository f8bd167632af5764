// ovsound_render <outdir> [EQ.MID]
// Runs the sound component's real synthesis into memory and writes what a
// listener would hear: click.wav, beep.wav, chime.wav, eq_mid.wav (the flash
// music), ov_mid.wav (the welcome music, when the assets library is built)
// and earthquake.wav (a synthetic seismogram played in the earthquake sounds
// mode). Prints duration, RMS and peak of each.
#include "data/Seismogram.h"
#include "data/Settings.h"
#include "fileio/FileSystem.h"
#include "sound/Pcm.h"
#include "sound/RenderBackend.h"
#include "sound/Sound.h"

#if OV_HAVE_ASSETS
#include "Midi.h"
#include "Music.h"
#endif

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>

namespace {

constexpr int kRate = 44100;

struct Rig {
    RenderBackend* backend;
    Sound sound;
    Rig() : backend(new RenderBackend(kRate)), sound(std::unique_ptr<SoundBackend>(backend)) {}
};

bool writeStereo(const std::string& path, const std::vector<float>& stereo) {
    std::vector<uint8_t> bytes(stereo.size() * 2);
    const PcmFormat format{kRate, 2, SampleKind::Int16};
    convertStereoFloat(stereo.data(), stereo.size() / 2, format, bytes.data());
    return writeWavFile(path, format, bytes.data(), bytes.size());
}

void report(const char* name, const std::vector<float>& samples, int channels, int rate) {
    std::printf("%-16s %6.2f s  RMS %7.1f dBFS  peak %7.1f dBFS\n", name,
                double(samples.size()) / channels / rate, rmsDbfs(samples.data(), samples.size()),
                peakDbfs(samples.data(), samples.size()));
}

// A seismogram of 72 000 samples: background noise, then P, S and a long
// train of surface waves, each a decaying oscillation.
std::vector<float> syntheticSeismogram() {
    const int n = 72000;
    const double rate = 20.0;   // samples per second of the recording
    std::vector<float> x(n);
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0.0f, 0.01f);
    struct Phase {
        double onset, frequency, amplitude, decay;
    };
    const Phase phases[] = {{400, 1.2, 0.25, 60}, {900, 0.6, 0.6, 120}, {1500, 0.08, 1.0, 600}};
    for (int i = 0; i < n; ++i) {
        const double t = i / rate;
        double v = noise(random);
        for (const Phase& p : phases)
            if (t >= p.onset) {
                const double s = t - p.onset;
                v += p.amplitude * std::exp(-s / p.decay) * std::sin(2 * M_PI * p.frequency * s)
                     * (1 + 0.3 * std::sin(0.05 * s));
            }
        x[std::size_t(i)] = float(v);
    }
    return x;
}

std::vector<float> renderMusic(const std::string& file) {
    Rig rig;
    if (int error = rig.sound.playMusic(file)) {
        std::fprintf(stderr, "playMusic(%s) failed: %d\n", file.c_str(), error);
        return {};
    }
    // Until the player has finished, then a second of reverberation; at most a minute.
    for (int ms = 0; ms < 60000 && rig.backend->engine().musicPlaying(); ms += 100)
        rig.backend->renderMilliseconds(100);
    rig.backend->renderMilliseconds(1000);
    rig.sound.stopMusic();
    return rig.backend->output();
}

}   // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: ovsound_render <outdir> [EQ.MID]\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    if (findSoundFont().empty()) std::fprintf(stderr, "no General MIDI SoundFont found\n");
    bool ok = true;
    Settings settings;

    {   // The button click on the MIDI output.
        Rig rig;
        rig.sound.openMidi(settings);
        rig.sound.click();
        rig.backend->renderMilliseconds(800);
        rig.sound.closeMidi();
        ok &= writeStereo(joinPath(dir, "click.wav"), rig.backend->output());
        report("click.wav", rig.backend->output(), 2, kRate);
    }
    KSAC seismogram;
    const std::vector<float> x = syntheticSeismogram();
    float lo = x[0], hi = x[0];
    for (float v : x) lo = std::min(lo, v), hi = std::max(hi, v);
    seismogram.soundBuffer.resize(x.size());
    for (std::size_t i = 0; i < x.size(); ++i)
        seismogram.soundBuffer[i] = uint8_t(std::trunc((x[i] - lo) * 255.0f / (hi - lo)));

    for (AudioMode mode : {AudioMode::PC, AudioMode::Chime}) {
        Rig rig;
        settings.audio = mode;
        // One arrival asks twenty times in the same instant; they sound as one.
        for (int i = 0; i < 20; ++i) rig.sound.playArrivalSound(settings, seismogram);
        rig.backend->renderMilliseconds(mode == AudioMode::PC ? 400 : 1400);
        const char* name = mode == AudioMode::PC ? "beep.wav" : "chime.wav";
        ok &= writeStereo(joinPath(dir, name), rig.backend->output());
        report(name, rig.backend->output(), 2, kRate);
    }
    {   // Earthquake sounds: the seismogram on the wave output.
        Rig rig;
        settings.audio = AudioMode::EQ;
        rig.sound.playArrivalSound(settings, seismogram);
        const std::vector<uint8_t>& wave = rig.backend->waveOutput();
        ok &= writeWavFile(joinPath(dir, "earthquake.wav"), rig.backend->waveDevice(), wave.data(),
                           wave.size());
        std::vector<float> asFloat(wave.size());
        for (std::size_t i = 0; i < wave.size(); ++i)
            asFloat[i] = (float(wave[i]) - 128.0f) / 128.0f;
        report("earthquake.wav", asFloat, 1, kWaveRate);
    }

    std::string eqMid = argc > 2 ? argv[2] : std::string();
#if OV_HAVE_ASSETS
    if (eqMid.empty()) {
        eqMid = joinPath(dir, "EQ.MID");
        writeBytes(eqMid, quakeRumbleBytes());
    }
    const std::string ovMid = joinPath(dir, "OV.MID");
    writeBytes(ovMid, welcomeTuneBytes());
    const std::vector<float> welcome = renderMusic(ovMid);
    ok &= !welcome.empty() && writeStereo(joinPath(dir, "ov_mid.wav"), welcome);
    report("ov_mid.wav", welcome, 2, kRate);
#endif
    if (!eqMid.empty()) {
        const std::vector<float> quake = renderMusic(eqMid);
        ok &= !quake.empty() && writeStereo(joinPath(dir, "eq_mid.wav"), quake);
        report("eq_mid.wav", quake, 2, kRate);
    } else {
        std::fprintf(stderr, "no EQ.MID given and no assets library to make one\n");
        ok = false;
    }
    return ok ? 0 : 1;
}

#include "sound/AudioBackend.h"

#include "fileio/Logging.h"
#include "sound/Pcm.h"
#include "sound/SynthEngine.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QIODevice>
#include <QMediaDevices>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace {

// Qt's audio layer reports a missing sound server or device on the terminal.
// A machine without audio is an ordinary set-up here, so while the sound
// component talks to Qt Multimedia those reports are dropped; everything
// else goes on to the handler that was installed before.
QtMessageHandler previousHandler = nullptr;

void quietAudioHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const QLatin1String category(context.category ? context.category : "");
    const bool audioNoise = message.startsWith(QLatin1String("PulseAudioService"))
                            || message.startsWith(QLatin1String("No audio device"))
                            || category.startsWith(QLatin1String("qt.multimedia"));
    if (audioNoise && type != QtFatalMsg) return;
    if (previousHandler) previousHandler(type, context, message);
}

class QuietAudio {
public:
    QuietAudio() { previousHandler = qInstallMessageHandler(quietAudioHandler); }
    ~QuietAudio() { qInstallMessageHandler(previousHandler); }
    QuietAudio(const QuietAudio&) = delete;
    QuietAudio& operator=(const QuietAudio&) = delete;
};

QAudioDevice defaultOutput() {
    if (!QCoreApplication::instance()) return {};
    QuietAudio quiet;
    return QMediaDevices::defaultAudioOutput();
}

SampleKind kindOf(QAudioFormat::SampleFormat format) {
    switch (format) {
    case QAudioFormat::UInt8: return SampleKind::UInt8;
    case QAudioFormat::Int32: return SampleKind::Int32;
    case QAudioFormat::Float: return SampleKind::Float;
    default: return SampleKind::Int16;
    }
}

QAudioFormat::SampleFormat qtKind(SampleKind kind) {
    switch (kind) {
    case SampleKind::UInt8: return QAudioFormat::UInt8;
    case SampleKind::Int16: return QAudioFormat::Int16;
    case SampleKind::Int32: return QAudioFormat::Int32;
    case SampleKind::Float: return QAudioFormat::Float;
    }
    return QAudioFormat::Int16;
}

QAudioFormat toQt(const PcmFormat& f) {
    QAudioFormat q;
    q.setSampleRate(f.sampleRate);
    q.setChannelCount(f.channels);
    q.setSampleFormat(qtKind(f.kind));
    return q;
}

// The first of `wanted` the device takes, else the device's own format.
PcmFormat chooseFormat(const QAudioDevice& device, std::initializer_list<PcmFormat> wanted) {
    for (const PcmFormat& f : wanted)
        if (device.isFormatSupported(toQt(f))) return f;
    const QAudioFormat preferred = device.preferredFormat();
    PcmFormat f{preferred.sampleRate(), preferred.channelCount(), kindOf(preferred.sampleFormat())};
    if (f.sampleRate <= 0 || f.channels <= 0) f = *wanted.begin();
    return f;
}

// Pull-mode source of the synthesizer sink: renders exactly what the sink
// asks for, so the synthesizer (and the music player's clock) run at the
// device's pace. Never runs dry.
class SynthStream : public QIODevice {
public:
    SynthStream(SynthEngine& engine, const PcmFormat& format, QObject* parent)
        : QIODevice(parent), engine_(engine), format_(format) {
        scratch_.resize(2 * kChunkFrames);
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override {
        return QIODevice::bytesAvailable() + qint64(format_.sampleRate) * format_.bytesPerFrame();
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 frameBytes = format_.bytesPerFrame();
        qint64 frames = maxSize / frameBytes;
        qint64 done = 0;
        while (done < frames) {
            const std::size_t n = std::size_t(std::min<qint64>(frames - done, kChunkFrames));
            engine_.render(scratch_.data(), n);
            convertStereoFloat(scratch_.data(), n, format_,
                               reinterpret_cast<uint8_t*>(data) + done * frameBytes);
            done += qint64(n);
        }
        return done * frameBytes;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    static constexpr qint64 kChunkFrames = 1024;
    SynthEngine& engine_;
    PcmFormat format_;
    std::vector<float> scratch_;
};

// The Qt objects of the back end. They hang under the application object,
// so they go when it goes even if the back end lives on in a static.
class AudioObjects : public QObject {
public:
    explicit AudioObjects(QObject* parent) : QObject(parent) {}
    // Sinks go before the sources they read from.
    ~AudioObjects() override {
        delete synthSink;
        delete synthStream;
        delete waveSink;
        delete waveBuffer;
    }
    QAudioSink* synthSink = nullptr;
    SynthStream* synthStream = nullptr;
    QTimer* idleTimer = nullptr;
    int quietChecks = 0;
    QAudioSink* waveSink = nullptr;
    QBuffer* waveBuffer = nullptr;
    QByteArray waveData;
    qint64 waveMicroseconds = 0;
};

class AudioBackend : public SoundBackend {
public:
    AudioBackend() = default;
    ~AudioBackend() override {
        if (objects_) {
            QuietAudio quiet;
            delete objects_.data();
        }
    }

    bool waveOpen() override {
        if (qt() && qt()->waveSink) return true;
        const QAudioDevice device = defaultOutput();
        reportDevice(device);
        if (device.isNull() || !qt(true)) return false;
        QuietAudio quiet;
        waveFormat_ = chooseFormat(device,
                                   {waveFormat(), PcmFormat{kWaveRate, 1, SampleKind::Int16}});
        qt()->waveSink = new QAudioSink(device, toQt(waveFormat_), qt());
        qt()->waveBuffer = new QBuffer(&qt()->waveData, qt());
        return true;
    }

    void waveWrite(const uint8_t* data, std::size_t count) override {
        AudioObjects* o = qt();
        if (!o || !o->waveSink || !data || count == 0) return;
        QuietAudio quiet;
        o->waveSink->stop();
        o->waveBuffer->close();
        // The sink reads from this copy while it plays; the caller's buffer may go.
        o->waveData.resize(qsizetype(convertedWaveSize(count, kWaveRate, waveFormat_)));
        convertWave(data, count, kWaveRate, waveFormat_,
                    reinterpret_cast<uint8_t*>(o->waveData.data()));
        o->waveMicroseconds = qint64(count) * 1000000 / kWaveRate;
        o->waveBuffer->open(QIODevice::ReadOnly);
        o->waveSink->start(o->waveBuffer);
    }

    bool waveDone() override {
        AudioObjects* o = qt();
        if (!o || !o->waveSink) return true;
        const QAudio::State state = o->waveSink->state();
        if (state == QAudio::IdleState || state == QAudio::StoppedState) return true;
        return o->waveSink->processedUSecs() >= o->waveMicroseconds;
    }

    void waveReset() override {
        AudioObjects* o = qt();
        if (!o || !o->waveSink) return;
        QuietAudio quiet;
        o->waveSink->reset();
        o->waveSink->stop();
        o->waveBuffer->close();
    }

    void waveClose() override {
        AudioObjects* o = qt();
        if (!o || !o->waveSink) return;
        QuietAudio quiet;
        o->waveSink->stop();
        delete o->waveSink;
        o->waveSink = nullptr;
        o->waveBuffer->close();
        delete o->waveBuffer;
        o->waveBuffer = nullptr;
        o->waveData = QByteArray();
    }

    // The synthesizer is the one MIDI output, present when there is both
    // somewhere to play it and a SoundFont to play it with.
    int midiDeviceCount() override {
        return !defaultOutput().isNull()
                       && (engine_ ? engine_->hasInstruments() : !findSoundFont().empty())
                   ? 1
                   : 0;
    }

    bool midiOpen() override {
        if (!ensureEngine() || !engine_->hasInstruments() || !ensureSynthSink()) return false;
        midiIsOpen_ = true;
        return true;
    }

    void midiShortMessage(uint32_t packed) override {
        if (!midiIsOpen_ || !engine_) return;
        engine_->shortMessage(packed);
        if ((packed & 0xf0) == 0x90) ensureSynthSink();
    }

    void midiReset() override {
        if (midiIsOpen_ && engine_) engine_->allNotesOff();
    }

    void midiClose() override { midiIsOpen_ = false; }

    int musicOpen(const std::string& path) override {
        if (!ensureEngine()) return kMusicNoSynthesizer;
        const int result = engine_->openMusic(path);
        if (result != kMusicOk)
            qCWarning(lcSound) << "music" << path.c_str()
                               << (result == kMusicFileNotFound ? "not found"
                                   : result == kMusicNotMidi    ? "is not a MIDI file"
                                                                : "refused by the player");
        return result;
    }

    int musicPlay() override {
        if (!engine_ || !engine_->musicOpen()) return kMusicRefused;
        if (!ensureSynthSink()) {
            engine_->closeMusic();
            return kMusicNoSynthesizer;
        }
        return engine_->startMusic();
    }

    void musicClose() override {
        if (engine_) engine_->closeMusic();
    }

    void beep() override {
        if (!ensureEngine()) return;
        engine_->beep();
        ensureSynthSink();
    }

    void chime() override {
        if (!ensureEngine()) return;
        engine_->chime();
        ensureSynthSink();
    }

private:
    // The Qt objects, made on first use when `create` is set; null when there
    // is no application (or it has gone).
    AudioObjects* qt(bool create = false) {
        if (!objects_ && create && QCoreApplication::instance() && !madeObjects_) {
            objects_ = new AudioObjects(QCoreApplication::instance());
            madeObjects_ = true;
        }
        return objects_.data();
    }

    // The synthesizer is made once, at the rate of the sink that will play it.
    bool ensureEngine() {
        if (engine_) return true;
        const QAudioDevice device = defaultOutput();
        reportDevice(device);
        if (device.isNull()) return false;
        QuietAudio quiet;
        synthFormat_ = chooseFormat(device, {PcmFormat{44100, 2, SampleKind::Int16},
                                             PcmFormat{48000, 2, SampleKind::Int16},
                                             PcmFormat{44100, 2, SampleKind::Float}});
        const std::string soundFont = findSoundFont();
        engine_ = std::make_unique<SynthEngine>(synthFormat_.sampleRate, soundFont);
        if (engine_->hasInstruments())
            qCInfo(lcSound) << "synthesizer at" << synthFormat_.sampleRate
                            << "Hz with the SoundFont" << soundFont.c_str();
        else
            qCWarning(lcSound) << "no usable SoundFont"
                               << (soundFont.empty() ? "found" : soundFont.c_str())
                               << "- clicks, arrival sounds and music stay silent";
        return true;
    }

    // Logs the first answer about the audio device and every change after.
    void reportDevice(const QAudioDevice& device) {
        const int present = device.isNull() ? 0 : 1;
        if (present == devicePresent_) return;
        devicePresent_ = present;
        if (present)
            qCInfo(lcSound) << "audio output:" << device.description();
        else
            qCWarning(lcSound) << "no audio output device: the program runs silent";
    }

    // Starts (or wakes) the sink that plays the synthesizer. A sink that
    // stopped on an error (a device that went away) is made anew.
    bool ensureSynthSink() {
        AudioObjects* o = qt(true);
        if (!o || !engine_) return false;
        QuietAudio quiet;
        o->quietChecks = 0;
        if (o->synthSink) {
            const QAudio::State state = o->synthSink->state();
            if (state == QAudio::SuspendedState) o->synthSink->resume();
            if (state != QAudio::StoppedState) return true;
            delete o->synthSink;
            o->synthSink = nullptr;
        }
        const QAudioDevice device = defaultOutput();
        if (device.isNull()) return false;
        PcmFormat format = synthFormat_;
        if (!device.isFormatSupported(toQt(format))) {
            // Another device than the one the synthesizer was made for: keep
            // its rate, take the device's sample layout.
            const QAudioFormat preferred = device.preferredFormat();
            format.kind = kindOf(preferred.sampleFormat());
            format.channels = std::max(1, preferred.channelCount());
        }
        if (!o->synthStream || !(streamFormat_ == format)) {
            delete o->synthStream;
            o->synthStream = new SynthStream(*engine_, format, o);
            streamFormat_ = format;
        }
        o->synthSink = new QAudioSink(device, toQt(format), o);
        // About 60 ms of buffer: clicks follow the touch closely.
        o->synthSink->setBufferSize(qsizetype(format.sampleRate) * format.bytesPerFrame() * 60
                                    / 1000);
        o->synthSink->start(o->synthStream);
        if (!o->idleTimer) {
            // A kiosk runs for days: when nothing has sounded for a while the
            // sink is suspended rather than fed silence.
            o->idleTimer = new QTimer(o);
            o->idleTimer->setInterval(1000);
            QObject::connect(o->idleTimer, &QTimer::timeout, o, [this, o] {
                if (!o->synthSink || o->synthSink->state() != QAudio::ActiveState) return;
                if (!engine_ || !engine_->quiet()) {
                    o->quietChecks = 0;
                    return;
                }
                if (++o->quietChecks >= 3) {
                    QuietAudio quiet;
                    o->synthSink->suspend();
                }
            });
            o->idleTimer->start();
        }
        return o->synthSink->state() != QAudio::StoppedState
               || o->synthSink->error() == QAudio::NoError;
    }

    QPointer<AudioObjects> objects_;
    bool madeObjects_ = false;   // never remade once the application has taken them
    std::unique_ptr<SynthEngine> engine_;
    PcmFormat synthFormat_{44100, 2, SampleKind::Int16};
    PcmFormat streamFormat_{};
    PcmFormat waveFormat_ = waveFormat();
    bool midiIsOpen_ = false;
    int devicePresent_ = -1;   // last reported: -1 not yet, 0 none, 1 present
};

}   // namespace

bool audioOutputPresent() { return !defaultOutput().isNull(); }

std::unique_ptr<SoundBackend> makeAudioBackend() { return std::make_unique<AudioBackend>(); }

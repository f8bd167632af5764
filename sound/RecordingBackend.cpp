#include "sound/RecordingBackend.h"

#include <cstdio>

bool RecordingBackend::waveOpen() {
    log_.operations.push_back(waveAvailable ? "waveOpen" : "waveOpen failed");
    return waveAvailable;
}

void RecordingBackend::waveWrite(const uint8_t*, std::size_t count) {
    log_.operations.push_back("waveWrite " + std::to_string(count));
    log_.waveWrites.push_back(count);
}

bool RecordingBackend::waveDone() { return waveFinished; }
void RecordingBackend::waveReset() { log_.operations.push_back("waveReset"); }
void RecordingBackend::waveClose() { log_.operations.push_back("waveClose"); }
int RecordingBackend::midiDeviceCount() { return midiDevices; }

bool RecordingBackend::midiOpen() {
    log_.operations.push_back(midiOpens ? "midiOpen" : "midiOpen failed");
    return midiOpens;
}

void RecordingBackend::midiShortMessage(uint32_t packed) {
    char text[48];
    std::snprintf(text, sizeof text, "midiShortMessage 0x%06x", unsigned(packed));
    log_.operations.push_back(text);
    log_.midiMessages.push_back(packed);
}

void RecordingBackend::midiReset() { log_.operations.push_back("midiReset"); }
void RecordingBackend::midiClose() { log_.operations.push_back("midiClose"); }

int RecordingBackend::musicOpen(const std::string& path) {
    log_.operations.push_back("musicOpen " + path);
    if (musicOpenResult == 0) log_.musicFiles.push_back(path);
    return musicOpenResult;
}

int RecordingBackend::musicOutputIsMapper(bool& toMapper) {
    toMapper = musicToMapper;
    return musicQueryResult;
}

int RecordingBackend::musicPlay() {
    log_.operations.push_back("musicPlay");
    return musicPlayResult;
}

void RecordingBackend::musicClose() { log_.operations.push_back("musicClose"); }
void RecordingBackend::beep() { log_.operations.push_back("beep"); }
void RecordingBackend::chime() { log_.operations.push_back("chime"); }

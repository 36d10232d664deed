// The framework's audio functions over bb_audio_device.
#include "audio/audio.h"

#include "host/base/files.h"

gxtkAudio* bb_audio_device = nullptr;

// ---- bb_audio_Sound ----

bb_audio_Sound::bb_audio_Sound() : f_sample(nullptr) {}

bb_audio_Sound* bb_audio_Sound::g_new(gxtkSample* sample) {
    gc_assign(f_sample, sample);
    return this;
}

bb_audio_Sound* bb_audio_Sound::g_new2() {
    return this;
}

void bb_audio_Sound::mark() {
    gc_mark_q(f_sample);
}

// ---- functions ----

int bb_audio_SetAudioDevice(gxtkAudio* device) {
    gc_assign(bb_audio_device, device);
    return 0;
}

bb_audio_Sound* bb_audio_LoadSound(String path) {
    if (!bb_audio_device) return nullptr;
    gxtkSample* sample = bb_audio_device->LoadSample(bb_data_FixDataPath(path));
    if (!sample) return nullptr;
    return (new bb_audio_Sound())->g_new(sample);
}

int bb_audio_PlaySound(bb_audio_Sound* sound, int channel, int flags) {
    if (bb_audio_device && sound && sound->f_sample)
        bb_audio_device->PlaySample(sound->f_sample, channel, flags);
    return 0;
}

int bb_audio_StopChannel(int channel) {
    if (bb_audio_device) bb_audio_device->StopChannel(channel);
    return 0;
}

int bb_audio_SetChannelVolume(int channel, float volume) {
    if (bb_audio_device) bb_audio_device->SetVolume(channel, volume);
    return 0;
}

int bb_audio_SetChannelPan(int channel, float pan) {
    if (bb_audio_device) bb_audio_device->SetPan(channel, pan);
    return 0;
}

int bb_audio_SetChannelRate(int channel, float rate) {
    if (bb_audio_device) bb_audio_device->SetRate(channel, rate);
    return 0;
}

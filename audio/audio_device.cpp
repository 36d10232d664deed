// gxtkAudio, gxtkChannel and gxtkSample over OpenAL.
#include "audio/audio_device.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>

#include "audio/sound_file.h"
#include "host/base/files.h"
#include "runtime/gc.h"

std::vector<unsigned int> discarded;
int audio_live_buffers = 0;

namespace {

// The state OpenAL reports for a source. With no context (or no source, which
// only happens then) OpenAL writes nothing back; AL_STOPPED is the truth
// then, since nothing can be heard.
ALint source_state(ALuint source) {
    ALint state = AL_STOPPED;
    if (source != 0) alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

// The channel's record, or null for a number outside 0 to 32: the records sit
// inside the collected device, so a stray index would write over the
// collector's header. Calls on such a channel do nothing.
gxtkChannel* channel_at(gxtkChannel* channels, int channel) {
    if (channel < 0 || channel >= AUDIO_CHANNEL_COUNT) return nullptr;
    return &channels[channel];
}

// The output device's own pause, where OpenAL has it: a suspended game's
// mixer then stops, instead of mixing silence (OpenAL Soft's thread keeps a
// share of a core busy; a browser's audio context keeps running).
using DeviceCall = void (*)(ALCdevice*);
void rest_device(bool rest) {
    ALCcontext* context = alcGetCurrentContext();
    ALCdevice* device = context ? alcGetContextsDevice(context) : nullptr;
    if (!device || !alcIsExtensionPresent(device, "ALC_SOFT_pause_device")) return;
    auto call = reinterpret_cast<DeviceCall>(
        alcGetProcAddress(device, rest ? "alcDevicePauseSOFT" : "alcDeviceResumeSOFT"));
    if (call) call(device);
}

// Decodes the file into a new buffer of the sample's; false when it cannot be
// opened or decoded.
bool fill_sample(gxtkSample* sample, const String& path) {
    int length = 0, chans = 0, format = 0, hertz = 0;
    unsigned char* data = loadSound(path, &length, &chans, &format, &hertz);
    if (!data) return false;
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    // Without a context no name comes back, and nothing is held.
    if (buffer != 0) ++audio_live_buffers;
    // length * chans * format leaves out a trailing partial frame; the
    // readers keep this product within an int.
    alBufferData(buffer, soundBufferFormat(format, chans), data, length * chans * format, hertz);
    unloadSound(data);
    sample->buffer = buffer;
    // A sound is large: let the next collection sweep old samples at once.
    gc_force_sweep = true;
    return true;
}

// Samples whose sound is not in a buffer yet.
std::vector<gxtkSample*> waiting;

void stop_waiting(gxtkSample* sample) {
    sample->awaited = String();
    waiting.erase(std::remove(waiting.begin(), waiting.end(), sample), waiting.end());
}

void sample_arrived(void* who);

// Gives a waiting sample its sound once the output is open and the file is
// here; a file that is neither here nor coming leaves it silent.
void settle(gxtkSample* sample) {
    if (gxtkAudio::outputLater) return;
    const String path = sample->awaited;
    if (fill_sample(sample, path)) {
        stop_waiting(sample);
    } else if (!host_await_data_file(path, sample_arrived, sample)) {
        stop_waiting(sample);
    }
}

// The awaited file of a sample is in place.
void sample_arrived(void* who) {
    settle(static_cast<gxtkSample*>(who));
}

// Whether the file is here and holds a sound.
bool sound_decodes(const String& path) {
    int length = 0, chans = 0, format = 0, hertz = 0;
    unsigned char* data = loadSound(path, &length, &chans, &format, &hertz);
    if (data) unloadSound(data);
    return data != nullptr;
}

}  // namespace

// ---- gxtkSample ----

gxtkSample::gxtkSample() : buffer(0) {}

gxtkSample::~gxtkSample() {
    Discard();
}

int gxtkSample::Discard() {
    if (awaited.Length() > 0) {
        host_forget_data_file(this);
        stop_waiting(this);
    }
    if (buffer != 0) {
        discarded.push_back(buffer);
        buffer = 0;
    }
    return 0;
}

// ---- gxtkChannel ----

unsigned int gxtkChannel::AL_Source() {
    if (source == 0) alGenSources(1, &source);
    return source;
}

// ---- gxtkAudio ----

gxtkAudio::gxtkAudio() {
    // Pan is a position on the x axis; without attenuation it only steers.
    alDistanceModel(AL_NONE);
}

void gxtkAudio::mark() {
    for (gxtkChannel& chan : channels) {
        if (chan.state != CHANNEL_STOPPED && chan.sample && source_state(chan.source) != AL_STOPPED) {
            gc_mark_q(chan.sample);
        }
    }
}

bool gxtkAudio::outputLater = false;

void gxtkAudio::OutputOpened() {
    outputLater = false;
    alDistanceModel(AL_NONE);
    const std::vector<gxtkSample*> these = waiting;
    for (gxtkSample* sample : these) {
        host_forget_data_file(sample);
        settle(sample);
    }
}

void gxtkAudio::FlushDiscarded() {
    if (discarded.empty()) return;
    // A source that stopped by itself still holds its buffer; let go of it.
    for (gxtkChannel& chan : channels) {
        if (chan.state != CHANNEL_STOPPED && source_state(chan.source) == AL_STOPPED) {
            alSourcei(chan.source, AL_BUFFER, 0);
        }
    }
    std::vector<unsigned int> kept;
    for (unsigned int buffer : discarded) {
        alGetError();  // forget earlier errors: only this deletion's counts
        alDeleteBuffers(1, &buffer);
        // OpenAL refuses to delete a buffer still attached to a source.
        if (alGetError() != AL_NO_ERROR) {
            kept.push_back(buffer);
        } else {
            --audio_live_buffers;
        }
    }
    discarded.swap(kept);
}

gxtkSample* gxtkAudio::LoadSample__UNSAFE__(gxtkSample* sample, String path) {
    if (!outputLater) {
        if (fill_sample(sample, path)) return sample;
        if (!host_data_file_coming(path)) return nullptr;
    } else if (!sound_decodes(path) && !host_data_file_coming(path)) {
        return nullptr;
    }
    // A sound the page is still fetching, or one loaded before the output is
    // open: the sample plays nothing until it can, then the sound itself.
    sample->awaited = path;
    waiting.push_back(sample);
    settle(sample);
    return sample;
}

gxtkSample* gxtkAudio::LoadSample(String path) {
    FlushDiscarded();
    return LoadSample__UNSAFE__(new gxtkSample(), path);
}

int gxtkAudio::PlaySample(gxtkSample* sample, int channel, int flags) {
    gxtkChannel* found = channel_at(channels, channel);
    if (!found) return 0;
    gxtkChannel& chan = *found;
    FlushDiscarded();
    ALuint source = chan.AL_Source();
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, static_cast<ALint>(sample ? sample->buffer : 0));
    alSourcei(source, AL_LOOPING, flags != 0 ? 1 : 0);
    alSourcePlay(source);
    gc_assign(chan.sample, sample);
    chan.flags = flags;
    chan.state = CHANNEL_PLAYING;
    return 0;
}

int gxtkAudio::StopChannel(int channel) {
    gxtkChannel* found = channel_at(channels, channel);
    if (!found) return 0;
    gxtkChannel& chan = *found;
    if (chan.state != CHANNEL_STOPPED) {
        alSourceStop(chan.source);
        chan.state = CHANNEL_STOPPED;
    }
    return 0;
}

int gxtkAudio::PauseChannel(int channel) {
    gxtkChannel* found = channel_at(channels, channel);
    if (!found) return 0;
    gxtkChannel& chan = *found;
    if (chan.state == CHANNEL_PLAYING) {
        if (source_state(chan.source) == AL_STOPPED) {
            chan.state = CHANNEL_STOPPED;
        } else {
            alSourcePause(chan.source);
            chan.state = CHANNEL_PAUSED;
        }
    }
    return 0;
}

int gxtkAudio::ResumeChannel(int channel) {
    gxtkChannel* found = channel_at(channels, channel);
    if (!found) return 0;
    gxtkChannel& chan = *found;
    if (chan.state == CHANNEL_PAUSED) {
        alSourcePlay(chan.source);
        chan.state = CHANNEL_PLAYING;
    }
    return 0;
}

int gxtkAudio::ChannelState(int channel) {
    gxtkChannel* found = channel_at(channels, channel);
    if (!found) return CHANNEL_STOPPED;
    gxtkChannel& chan = *found;
    if (chan.state == CHANNEL_PLAYING && source_state(chan.source) == AL_STOPPED) {
        chan.state = CHANNEL_STOPPED;
    }
    return chan.state;
}

int gxtkAudio::SetVolume(int channel, float volume) {
    gxtkChannel* chan = channel_at(channels, channel);
    if (chan) alSourcef(chan->AL_Source(), AL_GAIN, volume);
    return 0;
}

int gxtkAudio::SetPan(int channel, float pan) {
    gxtkChannel* chan = channel_at(channels, channel);
    if (chan) alSource3f(chan->AL_Source(), AL_POSITION, pan, 0.0f, 0.0f);
    return 0;
}

int gxtkAudio::SetRate(int channel, float rate) {
    gxtkChannel* chan = channel_at(channels, channel);
    if (chan) alSourcef(chan->AL_Source(), AL_PITCH, rate);
    return 0;
}

int gxtkAudio::PlayMusic(String path, int flags) {
    StopMusic();
    gxtkSample* music = LoadSample(path);
    if (!music) return -1;
    PlaySample(music, MUSIC_CHANNEL, flags);
    return 0;
}

int gxtkAudio::StopMusic() {
    return StopChannel(MUSIC_CHANNEL);
}

int gxtkAudio::PauseMusic() {
    return PauseChannel(MUSIC_CHANNEL);
}

int gxtkAudio::ResumeMusic() {
    return ResumeChannel(MUSIC_CHANNEL);
}

int gxtkAudio::MusicState() {
    return ChannelState(MUSIC_CHANNEL);
}

int gxtkAudio::SetMusicVolume(float volume) {
    return SetVolume(MUSIC_CHANNEL, volume);
}

void gxtkAudio::OnSuspend() {
    for (gxtkChannel& chan : channels) {
        if (chan.state == CHANNEL_PLAYING && source_state(chan.source) == AL_PLAYING)
            alSourcePause(chan.source);
    }
    rest_device(true);
}

void gxtkAudio::OnResume() {
    rest_device(false);
    for (gxtkChannel& chan : channels) {
        if (chan.state == CHANNEL_PLAYING && source_state(chan.source) == AL_PAUSED)
            alSourcePlay(chan.source);
    }
}

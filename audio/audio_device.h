// gxtkAudio: the program's one audio device, over OpenAL.
//
// 33 channels, each one OpenAL source created on first use: 0 to 31 for sound
// effects, 32 for music. Sounds are decoded whole into one OpenAL buffer each
// (gxtkSample). The device keeps its own record of each channel's state but
// asks OpenAL whenever a sound may have ended by itself, since OpenAL mixes on
// its own threads.
//
// Buffers of discarded or collected samples go on the list `discarded` and
// are deleted by FlushDiscarded, before every load and play, once no source
// holds them any more.
//
// With no device or no current context OpenAL does nothing and answers
// nothing: samples load with buffer 0, and every channel reads as stopped
// after its sound was started, so the game plays on in silence.
#ifndef MOXEL_AUDIO_AUDIO_DEVICE_H
#define MOXEL_AUDIO_AUDIO_DEVICE_H

#include <vector>

#include "host/base/gxtk_object.h"
#include "runtime/string.h"

// Channels: 32 for effects, then the music channel.
constexpr int AUDIO_CHANNEL_COUNT = 33;
constexpr int MUSIC_CHANNEL = 32;

// A channel's state as the device last knew it.
constexpr int CHANNEL_STOPPED = 0;
constexpr int CHANNEL_PLAYING = 1;
constexpr int CHANNEL_PAUSED = 2;

class gxtkSample : public gxtkObject {
  public:
    gxtkSample();
    // A collected sample hands its buffer to `discarded`, like Discard.
    ~gxtkSample() override;

    virtual int Discard();

    unsigned int buffer;  // OpenAL buffer with the whole sound; 0 when none
    String awaited;       // the file of a sound not in a buffer yet (still on its way to the
                          // page, or the output not open yet); empty when none
};

// A plain record inside gxtkAudio, not a collected object.
struct gxtkChannel {
    unsigned int source = 0;       // created by AL_Source on first use, kept for the run
    gxtkSample* sample = nullptr;  // last sample started here; kept alive while it plays
    int flags = 0;                 // flags of the last PlaySample (non-zero = loop)
    int state = CHANNEL_STOPPED;

    unsigned int AL_Source();
};

class gxtkAudio : public gxtkObject {
  public:
    gxtkAudio();

    // Keeps alive the samples of channels whose sound is still going.
    void mark() override;

    virtual gxtkSample* LoadSample__UNSAFE__(gxtkSample* sample, String path);
    // A new sample, or null when the file cannot be opened or decoded.
    virtual gxtkSample* LoadSample(String path);
    // Starts the sample on the channel, stopping whatever played there;
    // flags non-zero loops it. Volume, pan and rate stay as last set.
    virtual int PlaySample(gxtkSample* sample, int channel, int flags);
    virtual int StopChannel(int channel);
    virtual int PauseChannel(int channel);
    virtual int ResumeChannel(int channel);
    // 0 stopped, 1 playing, 2 paused; a sound that played to its end reads 0.
    virtual int ChannelState(int channel);
    virtual int SetVolume(int channel, float volume);
    virtual int SetPan(int channel, float pan);
    virtual int SetRate(int channel, float rate);
    // 0, or -1 when the file cannot be loaded (the music channel is then stopped).
    virtual int PlayMusic(String path, int flags);
    virtual int StopMusic();
    virtual int PauseMusic();
    virtual int ResumeMusic();
    virtual int MusicState();
    virtual int SetMusicVolume(float volume);

    // Called by the host when the application is suspended and resumed:
    // pauses the sounds that are playing without changing their channel's
    // state, and plays again exactly those. The output device rests in
    // between where OpenAL can pause it.
    void OnSuspend();
    void OnResume();

    // The browser opens the sound output only at the player's first press:
    // making it costs the page a long pause, and nothing could be heard
    // before that press anyway. While `outputLater` is set (by the browser's
    // entry, before the game starts), loaded samples wait without a buffer;
    // OutputOpened, once the output is open, gives each its sound.
    static bool outputLater;
    void OutputOpened();

    // Deletes the discarded buffers that no source holds any more.
    void FlushDiscarded();

    gxtkChannel channels[AUDIO_CHANNEL_COUNT];
};

// Buffers of discarded samples not yet deleted, oldest first.
extern std::vector<unsigned int> discarded;

// OpenAL buffers generated and not yet deleted, for tests of long runs.
extern int audio_live_buffers;

#endif

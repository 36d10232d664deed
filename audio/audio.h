// The framework's audio module: sounds and the bb_audio_ functions the game calls.
//
// Every function works on bb_audio_device, which the application device sets
// when it is created; with no device set they do nothing and load nothing.
#ifndef MOXEL_AUDIO_AUDIO_H
#define MOXEL_AUDIO_AUDIO_H

#include "audio/audio_device.h"
#include "runtime/object.h"
#include "runtime/string.h"

// A loaded sound, as the game holds it.
class bb_audio_Sound : public Object {
  public:
    bb_audio_Sound();
    bb_audio_Sound* g_new(gxtkSample* sample);
    bb_audio_Sound* g_new2();

    void mark() override;

    gxtkSample* f_sample;  // the loaded sample, or null
};

extern gxtkAudio* bb_audio_device;

int bb_audio_SetAudioDevice(gxtkAudio* device);
// Loads the sound at an asset path ("sfx/010.wav"); null when it cannot be loaded.
bb_audio_Sound* bb_audio_LoadSound(String path);
// Plays the sound on the channel (0 to 31); flags non-zero loops it.
int bb_audio_PlaySound(bb_audio_Sound* sound, int channel, int flags);
int bb_audio_StopChannel(int channel);
int bb_audio_SetChannelVolume(int channel, float volume);
int bb_audio_SetChannelPan(int channel, float pan);
int bb_audio_SetChannelRate(int channel, float rate);

#endif

// gxtkAudio: channel bookkeeping over OpenAL.
#include "audio/audio_device.h"

#include <AL/al.h>

gxtkAudio::gxtkAudio() {
    alDistanceModel(AL_NONE);
}

void gxtkAudio::OnSuspend() {}
void gxtkAudio::OnResume() {}

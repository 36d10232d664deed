// gxtkAudio: OpenAL channels, samples and music.
#ifndef MOXEL_AUDIO_AUDIO_DEVICE_H
#define MOXEL_AUDIO_AUDIO_DEVICE_H

#include "host/gxtk_object.h"

class gxtkAudio : public gxtkObject {
public:
    gxtkAudio();

    // Pauses every playing channel; resumes every paused one.
    void OnSuspend();
    void OnResume();
};

#endif

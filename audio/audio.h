// The framework's audio module: sounds and the bb_audio_ functions.
#ifndef MOXEL_AUDIO_AUDIO_H
#define MOXEL_AUDIO_AUDIO_H

#include "audio/audio_device.h"

extern gxtkAudio* bb_audio_device;

#endif

// The framework's audio functions.
#include "audio/audio.h"

gxtkAudio* bb_audio_device = nullptr;

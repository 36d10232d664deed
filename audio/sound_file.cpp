// Sound files: choosing the reader by extension, and the OpenAL buffer format.
#include "audio/sound_file.h"

#include <AL/al.h>

#include <cstdlib>

String soundFileExtension(const String& path) {
    int dot = path.FindLast(String("."));
    if (dot == -1) return String();
    String ext = path.Slice(dot + 1);
    if (ext.Find(String("/")) != -1 || ext.Find(String("\\")) != -1) return String();
    return ext.ToLower();
}

unsigned char* loadSound(String path, int* length, int* channels, int* format, int* hertz) {
    String ext = soundFileExtension(path);
    if (ext == String("wav")) return loadWav(path, length, channels, format, hertz);
    if (ext == String("ogg")) return loadOgg(path, length, channels, format, hertz);
    return nullptr;
}

void unloadSound(unsigned char* data) {
    std::free(data);
}

int soundBufferFormat(int format, int channels) {
    if (format == SOUND_FORMAT_8BIT) {
        if (channels == 1) return AL_FORMAT_MONO8;
        if (channels == 2) return AL_FORMAT_STEREO8;
    } else if (format == SOUND_FORMAT_16BIT) {
        if (channels == 1) return AL_FORMAT_MONO16;
        if (channels == 2) return AL_FORMAT_STEREO16;
    }
    return 0;
}

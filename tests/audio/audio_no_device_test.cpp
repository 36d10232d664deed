// The program's normal state on a machine without a sound card: OpenAL finds
// no device, no context is current, and every audio call must still be safe.
#include <AL/alc.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include "audio/audio.h"
#include "runtime/runtime.h"
#include "tests/audio/wav_fixture.h"

using namespace wavfix;

namespace {

void markDevice() {
    gc_enqueue(bb_audio_device);
}

TEST(AudioWithoutADevice, EveryCallIsSafeAndLoadsStillAnswer) {
    // A driver that does not exist stands for a machine with no sound card.
    setenv("ALSOFT_DRIVERS", "no-such-driver", 1);
    ASSERT_EQ(alcOpenDevice(nullptr), nullptr);

    gc_init1();
    gc_mark_roots = markDevice;
    bb_audio_SetAudioDevice(new gxtkAudio());
    gxtkAudio* audio = bb_audio_device;

    TempDir dir;
    std::string wav = dir.write("blip.wav", simpleWav(1, 22050, 16, sine16(2000, 1, 440, 22050, 0.5)));

    // A good file gives a sample (with no buffer); a bad one gives null.
    bb_audio_Sound* sound = bb_audio_LoadSound(String(wav.c_str()));
    ASSERT_NE(sound, nullptr);
    ASSERT_NE(sound->f_sample, nullptr);
    EXPECT_EQ(sound->f_sample->buffer, 0u);
    EXPECT_EQ(bb_audio_LoadSound(String(dir.file("missing.wav").c_str())), nullptr);

    for (int channel = 0; channel < AUDIO_CHANNEL_COUNT; ++channel) {
        bb_audio_SetChannelVolume(channel, 0.5f);
        bb_audio_SetChannelPan(channel, -0.5f);
        bb_audio_SetChannelRate(channel, 1.5f);
        bb_audio_PlaySound(sound, channel, channel % 2);
    }
    // Nothing can be heard, so nothing reads as playing.
    EXPECT_EQ(audio->ChannelState(0), CHANNEL_STOPPED);
    audio->PlaySample(sound->f_sample, 1, 1);
    audio->PauseChannel(1);
    audio->ResumeChannel(1);
    audio->OnSuspend();
    audio->OnResume();
    bb_audio_StopChannel(1);
    EXPECT_EQ(audio->PlayMusic(String(wav.c_str()), 1), 0);
    EXPECT_EQ(audio->PlayMusic(String(dir.file("missing.ogg").c_str()), 1), -1);
    EXPECT_EQ(audio->MusicState(), CHANNEL_STOPPED);
    audio->SetMusicVolume(0.5f);

    // Channel numbers outside 0 to 32 are ignored by every call; the
    // collection below walks the device's header, which they used to overwrite.
    for (int channel : {-1, AUDIO_CHANNEL_COUNT, INT_MIN, INT_MAX}) {
        bb_audio_PlaySound(sound, channel, 1);
        bb_audio_SetChannelVolume(channel, 0.5f);
        bb_audio_SetChannelPan(channel, -0.5f);
        bb_audio_SetChannelRate(channel, 1.5f);
        audio->PauseChannel(channel);
        audio->ResumeChannel(channel);
        EXPECT_EQ(audio->ChannelState(channel), CHANNEL_STOPPED) << channel;
        bb_audio_StopChannel(channel);
    }

    sound->f_sample->Discard();
    audio->FlushDiscarded();
    gc_force_sweep = true;
    gc_collect();
    EXPECT_TRUE(discarded.empty());
}

TEST(AudioWithoutADevice, FrameworkFunctionsAreSafeBeforeTheDeviceExists) {
    bb_audio_device = nullptr;
    EXPECT_EQ(bb_audio_LoadSound(String("sfx/001.wav")), nullptr);
    EXPECT_EQ(bb_audio_PlaySound(nullptr, 0, 0), 0);
    EXPECT_EQ(bb_audio_StopChannel(0), 0);
    EXPECT_EQ(bb_audio_SetChannelVolume(0, 1.0f), 0);
}

}  // namespace

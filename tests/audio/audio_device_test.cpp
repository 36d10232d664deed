// The audio device on a real OpenAL Soft device that plays into nothing (the
// null backend): channel states with sources that really finish, suspend and
// resume, the discarded-buffer list, samples kept alive while they play, and
// the framework's bb_audio_ functions.
#include <AL/al.h>
#include <AL/alc.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "audio/audio.h"
#include "host/base/files.h"
#include "runtime/runtime.h"
#include "tests/audio/wav_fixture.h"

using namespace wavfix;

namespace {

constexpr int RATE = 22050;
// Long enough to be caught playing, short enough to end soon.
constexpr int SHORT_FRAMES = RATE / 20;
constexpr auto WAIT_LIMIT = std::chrono::seconds(3);

ALCdevice* device = nullptr;
ALCcontext* context = nullptr;

void markDevice() {
    gc_enqueue(bb_audio_device);
}

ALint alState(ALuint source) {
    ALint s = 0;
    alGetSourcei(source, AL_SOURCE_STATE, &s);
    return s;
}

ALint attachedBuffer(ALuint source) {
    ALint b = -1;
    alGetSourcei(source, AL_BUFFER, &b);
    return b;
}

bool isListed(unsigned int buffer) {
    for (unsigned int b : discarded) {
        if (b == buffer) return true;
    }
    return false;
}

// Waits until OpenAL reports the source stopped; false if it never does.
bool waitUntilStopped(ALuint source) {
    auto end = std::chrono::steady_clock::now() + WAIT_LIMIT;
    while (alState(source) != AL_STOPPED) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class AudioDeviceTest : public testing::Test {
  protected:
    // Opens the suite's device once. Called from SetUp, not SetUpTestSuite: a
    // failure there would only mark the tests skipped, and it must fail them.
    static bool OpenDevice() {
        if (context) return true;
        setenv("ALSOFT_DRIVERS", "null", 1);
        device = alcOpenDevice(nullptr);
        if (device) context = alcCreateContext(device, nullptr);
        if (!context || !alcMakeContextCurrent(context)) return false;
        gc_init1();
        return true;
    }
    static void TearDownTestSuite() {
        alcMakeContextCurrent(nullptr);
        if (context) alcDestroyContext(context);
        if (device) alcCloseDevice(device);
    }

    void SetUp() override {
        ASSERT_TRUE(OpenDevice()) << "no OpenAL Soft null device";
        gc_mark_roots = markDevice;
        bb_audio_SetAudioDevice(new gxtkAudio());
        audio = bb_audio_device;
        shortPath = dir.write("short.wav", simpleWav(1, RATE, 16, sine16(SHORT_FRAMES, 1, 440, RATE, 0.5)));
        tonePath = dir.write("tone.wav", simpleWav(2, RATE, 16, sine16(RATE, 2, 440, RATE, 0.5)));
    }
    void TearDown() override {
        for (int c = 0; c < AUDIO_CHANNEL_COUNT; ++c) audio->StopChannel(c);
        bb_audio_device = nullptr;
        gc_mark_roots = nullptr;
        fullCollection();
    }

    // One collection cycle with a sweep. The collector only sweeps (and starts
    // marking afresh) when something is unmarked, so a bit of garbage goes first.
    static void fullCollection() {
        new Object();
        gc_force_sweep = true;
        gc_collect();
    }

    gxtkSample* load(const std::string& path) { return audio->LoadSample(String(path.c_str())); }
    ALuint source(int channel) { return audio->channels[channel].source; }

    TempDir dir;
    gxtkAudio* audio = nullptr;
    std::string shortPath, tonePath;
};

TEST_F(AudioDeviceTest, LoadedSampleHoldsAFilledBuffer) {
    gxtkSample* s = load(tonePath);
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(alIsBuffer(s->buffer));
    ALint frequency = 0, size = 0, channels = 0;
    alGetBufferi(s->buffer, AL_FREQUENCY, &frequency);
    alGetBufferi(s->buffer, AL_SIZE, &size);
    alGetBufferi(s->buffer, AL_CHANNELS, &channels);
    EXPECT_EQ(frequency, RATE);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(size, RATE * 2 * 2);
    EXPECT_EQ(load(dir.file("missing.wav")), nullptr);
}

// In the browser a sound may still be on its way when the loader asks for it,
// and the output opens only at the first press: such a sample plays nothing
// until both are there, then its sound. A file neither here nor coming still
// loads as nothing.
TEST_F(AudioDeviceTest, ASoundStillComingOrLoadedBeforeTheOutputGetsItsBufferLater) {
    static std::string coming;
    coming = dir.file("late.wav");
    host_data_file_pending = [](const char* path) { return coming == path; };
    gxtkAudio::outputLater = true;
    gxtkSample* early = load(tonePath);
    gxtkSample* late = load(coming);
    ASSERT_NE(early, nullptr);
    ASSERT_NE(late, nullptr);
    EXPECT_EQ(early->buffer, 0u);
    EXPECT_EQ(load(dir.file("missing.wav")), nullptr);
    audio->OutputOpened();
    EXPECT_TRUE(alIsBuffer(early->buffer));
    EXPECT_EQ(late->buffer, 0u);
    dir.write("late.wav", simpleWav(1, RATE, 16, sine16(SHORT_FRAMES, 1, 440, RATE, 0.5)));
    host_data_file_arrived(coming.c_str());
    EXPECT_TRUE(alIsBuffer(late->buffer));
    host_data_file_pending = nullptr;
}

TEST_F(AudioDeviceTest, UnsupportedLayoutLoadsAsASilentSample) {
    gxtkSample* s = load(dir.write("three.wav", simpleWav(3, RATE, 16, ramp(600))));
    ASSERT_NE(s, nullptr);
    audio->PlaySample(s, 0, 0);
    EXPECT_TRUE(waitUntilStopped(source(0)));
    EXPECT_EQ(audio->ChannelState(0), CHANNEL_STOPPED);
}

TEST_F(AudioDeviceTest, FinishedSoundReadsStoppedAndCannotBePaused) {
    gxtkSample* s = load(shortPath);
    audio->PlaySample(s, 3, 0);
    EXPECT_EQ(audio->channels[3].state, CHANNEL_PLAYING);
    auto end = std::chrono::steady_clock::now() + WAIT_LIMIT;
    while (audio->ChannelState(3) != CHANNEL_STOPPED && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(audio->ChannelState(3), CHANNEL_STOPPED);

    // Ended by itself while the device still says playing: pausing only notices.
    audio->PlaySample(s, 3, 0);
    ASSERT_TRUE(waitUntilStopped(source(3)));
    EXPECT_EQ(audio->channels[3].state, CHANNEL_PLAYING);
    audio->PauseChannel(3);
    EXPECT_EQ(audio->channels[3].state, CHANNEL_STOPPED);
    EXPECT_EQ(alState(source(3)), AL_STOPPED);
}

TEST_F(AudioDeviceTest, PauseResumeAndStopFollowTheChannelState) {
    gxtkSample* s = load(tonePath);
    audio->PlaySample(s, 4, 1);
    ALint looping = 0;
    alGetSourcei(source(4), AL_LOOPING, &looping);
    EXPECT_EQ(looping, AL_TRUE);
    EXPECT_EQ(alState(source(4)), AL_PLAYING);

    audio->ResumeChannel(4);  // playing: nothing to do
    EXPECT_EQ(audio->ChannelState(4), CHANNEL_PLAYING);
    audio->PauseChannel(4);
    EXPECT_EQ(audio->ChannelState(4), CHANNEL_PAUSED);
    EXPECT_EQ(alState(source(4)), AL_PAUSED);
    audio->ResumeChannel(4);
    EXPECT_EQ(audio->ChannelState(4), CHANNEL_PLAYING);
    EXPECT_EQ(alState(source(4)), AL_PLAYING);
    audio->StopChannel(4);
    EXPECT_EQ(audio->ChannelState(4), CHANNEL_STOPPED);
    EXPECT_EQ(alState(source(4)), AL_STOPPED);
    audio->ResumeChannel(4);  // stopped: stays stopped
    EXPECT_EQ(alState(source(4)), AL_STOPPED);
    audio->PauseChannel(4);
    EXPECT_EQ(audio->ChannelState(4), CHANNEL_STOPPED);

    // Paused, then stopped.
    audio->PlaySample(s, 4, 1);
    audio->PauseChannel(4);
    audio->StopChannel(4);
    EXPECT_EQ(audio->ChannelState(4), CHANNEL_STOPPED);
    EXPECT_EQ(alState(source(4)), AL_STOPPED);
}

TEST_F(AudioDeviceTest, SuspendPausesExactlyThePlayingChannelsAndResumeRestartsThem) {
    gxtkSample* tone = load(tonePath);
    gxtkSample* blip = load(shortPath);
    audio->PlaySample(tone, 0, 1);  // playing
    audio->PlaySample(tone, 1, 1);  // paused by the game
    audio->PauseChannel(1);
    audio->PlaySample(blip, 2, 0);  // ends by itself, state still 1
    ASSERT_TRUE(waitUntilStopped(source(2)));
    audio->PlaySample(tone, 5, 1);  // stopped by the game
    audio->StopChannel(5);

    audio->OnSuspend();
    EXPECT_EQ(alState(source(0)), AL_PAUSED);
    EXPECT_EQ(alState(source(1)), AL_PAUSED);
    EXPECT_EQ(alState(source(2)), AL_STOPPED);
    EXPECT_EQ(alState(source(5)), AL_STOPPED);
    EXPECT_EQ(audio->channels[0].state, CHANNEL_PLAYING);
    EXPECT_EQ(audio->channels[1].state, CHANNEL_PAUSED);

    audio->OnResume();
    EXPECT_EQ(alState(source(0)), AL_PLAYING);
    EXPECT_EQ(alState(source(1)), AL_PAUSED);   // the game's pause holds
    EXPECT_EQ(alState(source(2)), AL_STOPPED);  // a finished sound does not start again
    EXPECT_EQ(alState(source(5)), AL_STOPPED);
    EXPECT_EQ(audio->ChannelState(0), CHANNEL_PLAYING);
    EXPECT_EQ(audio->ChannelState(1), CHANNEL_PAUSED);
}

TEST_F(AudioDeviceTest, SettingsMadeOnAnIdleChannelCarryToTheNextSound) {
    EXPECT_EQ(source(5), 0u);
    audio->SetVolume(5, 0.5f);
    ASSERT_NE(source(5), 0u);
    audio->SetRate(6, 1.5f);
    audio->SetPan(7, -1.0f);
    gxtkSample* s = load(tonePath);
    audio->PlaySample(s, 5, 1);
    audio->PlaySample(s, 6, 1);
    audio->PlaySample(s, 7, 1);
    float gain = 0, pitch = 0, x = 0, y = 1, z = 1;
    alGetSourcef(source(5), AL_GAIN, &gain);
    alGetSourcef(source(6), AL_PITCH, &pitch);
    alGetSource3f(source(7), AL_POSITION, &x, &y, &z);
    EXPECT_FLOAT_EQ(gain, 0.5f);
    EXPECT_FLOAT_EQ(pitch, 1.5f);
    EXPECT_FLOAT_EQ(x, -1.0f);
    EXPECT_FLOAT_EQ(y, 0.0f);
    EXPECT_FLOAT_EQ(z, 0.0f);
    EXPECT_EQ(alGetInteger(AL_DISTANCE_MODEL), AL_NONE);
}

TEST_F(AudioDeviceTest, DiscardedBufferStaysListedUntilItsSourceLetsGo) {
    gxtkSample* tone = load(tonePath);
    gxtkSample* other = load(shortPath);
    ALuint buffer = tone->buffer;
    audio->PlaySample(tone, 8, 1);
    tone->Discard();
    EXPECT_EQ(tone->buffer, 0u);
    ASSERT_TRUE(isListed(buffer));
    audio->FlushDiscarded();
    EXPECT_TRUE(isListed(buffer));  // attached to a playing source
    EXPECT_TRUE(alIsBuffer(buffer));

    // Stopped by the game: the source keeps the buffer until the next sound.
    audio->StopChannel(8);
    audio->FlushDiscarded();
    EXPECT_TRUE(isListed(buffer));
    // That sound's own flush runs before the new buffer goes on; the next one deletes it.
    audio->PlaySample(other, 8, 0);
    EXPECT_TRUE(isListed(buffer));
    audio->FlushDiscarded();
    EXPECT_FALSE(isListed(buffer));
    EXPECT_FALSE(alIsBuffer(buffer));
}

TEST_F(AudioDeviceTest, DiscardedBufferOfASoundThatEndedIsDeletedAtTheNextFlush) {
    gxtkSample* blip = load(shortPath);
    gxtkSample* other = load(shortPath);
    ALuint buffer = blip->buffer;
    audio->PlaySample(blip, 9, 0);
    blip->Discard();
    ASSERT_TRUE(waitUntilStopped(source(9)));
    EXPECT_TRUE(isListed(buffer));
    audio->PlaySample(other, 16, 0);  // every play flushes
    EXPECT_FALSE(isListed(buffer));
    EXPECT_FALSE(alIsBuffer(buffer));
    EXPECT_EQ(attachedBuffer(source(9)), 0);
    EXPECT_EQ(audio->channels[9].state, CHANNEL_PLAYING);  // the flush only detaches
}

// Destruction is observed through the destructor, which lists the buffer.
TEST_F(AudioDeviceTest, PlayingChannelKeepsItsSampleAlive) {
    fullCollection();
    audio->PlaySample(load(tonePath), 10, 1);
    ALuint kept = audio->channels[10].sample->buffer;
    gxtkSample* dropped = load(tonePath);
    ALuint droppedBuffer = dropped->buffer;
    fullCollection();
    fullCollection();
    EXPECT_TRUE(isListed(droppedBuffer));  // held by nothing: collected
    EXPECT_FALSE(isListed(kept));

    // A new sound on the busy channel releases the old one.
    audio->PlaySample(load(shortPath), 10, 1);
    fullCollection();
    fullCollection();
    EXPECT_TRUE(isListed(kept));
    audio->FlushDiscarded();
    EXPECT_FALSE(alIsBuffer(kept));

    // A stopped channel holds nothing.
    ALuint last = audio->channels[10].sample->buffer;
    audio->StopChannel(10);
    fullCollection();
    fullCollection();
    EXPECT_TRUE(isListed(last));
}

TEST_F(AudioDeviceTest, MusicPlaysOnItsOwnChannelAndAMissingFileStopsIt) {
    EXPECT_EQ(audio->PlayMusic(String(tonePath.c_str()), 1), 0);
    EXPECT_EQ(audio->MusicState(), CHANNEL_PLAYING);
    EXPECT_EQ(alState(source(MUSIC_CHANNEL)), AL_PLAYING);
    audio->SetMusicVolume(0.25f);
    float gain = 0;
    alGetSourcef(source(MUSIC_CHANNEL), AL_GAIN, &gain);
    EXPECT_FLOAT_EQ(gain, 0.25f);
    audio->PauseMusic();
    EXPECT_EQ(audio->MusicState(), CHANNEL_PAUSED);
    audio->ResumeMusic();
    EXPECT_EQ(audio->MusicState(), CHANNEL_PLAYING);

    EXPECT_EQ(audio->PlayMusic(String(dir.file("missing.ogg").c_str()), 1), -1);
    EXPECT_EQ(audio->MusicState(), CHANNEL_STOPPED);
    EXPECT_EQ(alState(source(MUSIC_CHANNEL)), AL_STOPPED);
    audio->StopMusic();
    EXPECT_EQ(audio->MusicState(), CHANNEL_STOPPED);
}

TEST_F(AudioDeviceTest, FrameworkFunctionsWorkOnTheDevice) {
    EXPECT_EQ(bb_audio_LoadSound(String("sfx/no-such-sound.wav")), nullptr);
    bb_audio_Sound* sound = bb_audio_LoadSound(String(tonePath.c_str()));
    ASSERT_NE(sound, nullptr);
    ASSERT_NE(sound->f_sample, nullptr);
    EXPECT_TRUE(alIsBuffer(sound->f_sample->buffer));

    bb_audio_SetChannelVolume(11, 0.75f);
    bb_audio_SetChannelRate(11, 0.5f);
    bb_audio_SetChannelPan(11, 1.0f);
    bb_audio_PlaySound(sound, 11, 1);
    EXPECT_EQ(audio->ChannelState(11), CHANNEL_PLAYING);
    EXPECT_EQ(audio->channels[11].sample, sound->f_sample);
    float gain = 0, pitch = 0, x = 0, y = 0, z = 0;
    alGetSourcef(source(11), AL_GAIN, &gain);
    alGetSourcef(source(11), AL_PITCH, &pitch);
    alGetSource3f(source(11), AL_POSITION, &x, &y, &z);
    EXPECT_FLOAT_EQ(gain, 0.75f);
    EXPECT_FLOAT_EQ(pitch, 0.5f);
    EXPECT_FLOAT_EQ(x, 1.0f);
    bb_audio_StopChannel(11);
    EXPECT_EQ(audio->ChannelState(11), CHANNEL_STOPPED);

    // A sound without a sample, or none at all, plays nothing.
    bb_audio_PlaySound(nullptr, 12, 0);
    bb_audio_PlaySound(new bb_audio_Sound(), 12, 0);
    EXPECT_EQ(audio->ChannelState(12), CHANNEL_STOPPED);
}

// The program also runs with a device but no current context.
TEST_F(AudioDeviceTest, EveryCallIsSafeWithoutACurrentContext) {
    gxtkSample* before = load(tonePath);
    ALuint beforeBuffer = before->buffer;
    audio->PlaySample(before, 13, 1);
    ASSERT_TRUE(alcMakeContextCurrent(nullptr));
    gxtkSample* s = load(shortPath);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->buffer, 0u);
    EXPECT_EQ(load(dir.file("missing.wav")), nullptr);
    audio->PlaySample(s, 14, 0);
    EXPECT_EQ(audio->ChannelState(14), CHANNEL_STOPPED);
    audio->SetVolume(15, 0.5f);
    audio->SetPan(15, 0.5f);
    audio->SetRate(15, 2.0f);
    audio->PauseChannel(13);
    audio->ResumeChannel(13);
    audio->OnSuspend();
    audio->OnResume();
    EXPECT_EQ(audio->PlayMusic(String(tonePath.c_str()), 0), 0);
    before->Discard();
    audio->FlushDiscarded();
    fullCollection();
    audio->StopChannel(13);
    ASSERT_TRUE(alcMakeContextCurrent(context));
    // The buffer that could not be deleted without a context goes once it can.
    audio->FlushDiscarded();
    audio->PlaySample(s, 13, 0);
    audio->FlushDiscarded();
    EXPECT_FALSE(isListed(beforeBuffer));
    EXPECT_FALSE(alIsBuffer(beforeBuffer));
}

}  // namespace

// The sound back end and the music module on real MP3 files made here, played through the null
// sink (these machines have no audio device) and through SDL's dummy driver.
#include "audio.h"
#include "vlm.h"
#include "test_mp3.h"
#include <gtest/gtest.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

static void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

static unsigned positionOf(FMOD_CHANNEL *ch)
{
    unsigned ms = 12345;
    EXPECT_EQ(FMOD_Channel_GetPosition(ch, &ms, FMOD_TIMEUNIT_MS), FMOD_OK);
    return ms;
}

// A system on the null sink (or on the named SDL driver) playing the test song.
struct Playing {
    FMOD_SYSTEM *system = nullptr;
    FMOD_SOUND *sound = nullptr;
    FMOD_CHANNEL *channel = nullptr;
};

static Playing play(const char *driver = nullptr)
{
    Playing p;
    EXPECT_EQ(FMOD_System_Create(&p.system), FMOD_OK);
    EXPECT_EQ(FMOD_System_Init(p.system, 1, FMOD_INIT_NORMAL, (void *)driver), FMOD_OK);
    EXPECT_EQ(FMOD_System_CreateSound(p.system, vlmTestSong().c_str(), 200, nullptr, &p.sound),
              FMOD_OK);
    EXPECT_EQ(FMOD_System_PlaySound(p.system, FMOD_CHANNEL_FREE, p.sound, 0, &p.channel),
              FMOD_OK);
    return p;
}

// Waits (up to `limitMs`) until the position reaches `ms`; returns the last position read.
static unsigned waitForPosition(FMOD_CHANNEL *ch, unsigned ms, int limitMs = 10000)
{
    unsigned pos = positionOf(ch);
    for (int waited = 0; pos < ms && waited < limitMs; waited += 10) {
        sleepMs(10);
        pos = positionOf(ch);
    }
    return pos;
}

TEST(AudioResults, EveryCodeHasItsOwnTextAndOthersAreUnknown)
{
    EXPECT_STREQ(FMOD_ErrorString(FMOD_OK), "No errors.");
    std::vector<std::string> texts;
    for (int code : {FMOD_ERR_FILE_NOTFOUND, FMOD_ERR_FORMAT, FMOD_ERR_OUTPUT_INIT,
                     FMOD_ERR_INVALID_HANDLE, FMOD_ERR_INVALID_PARAM, FMOD_ERR_MEMORY,
                     FMOD_ERR_INITIALIZED, FMOD_ERR_UNINITIALIZED, FMOD_ERR_CHANNEL_ALLOC}) {
        std::string text = FMOD_ErrorString(code);
        EXPECT_NE(text, "Unknown error.") << code;
        EXPECT_EQ(std::count(texts.begin(), texts.end(), text), 0) << text;
        texts.push_back(text);
    }
    for (int code : {-1, 10, 97, 98, 1 << 30})
        EXPECT_STREQ(FMOD_ErrorString(code), "Unknown error.") << code;
}

TEST(AudioOpen, MissingFileAndNonMp3FilesGiveTheirOwnCodes)
{
    FMOD_SYSTEM *system = nullptr;
    ASSERT_EQ(FMOD_System_Create(&system), FMOD_OK);
    std::string dir = vlmTestScratchDir();
    { std::ofstream(dir + "/empty.mp3"); }
    {
        std::ofstream text(dir + "/text.mp3");
        for (int i = 0; i < 20000; i++) text << "this is not a song, only text\n";
    }
    struct Case { std::string path; FMOD_RESULT expected; };
    for (const Case &c : {Case{dir + "/no-such-file.mp3", FMOD_ERR_FILE_NOTFOUND},
                          Case{dir, FMOD_ERR_FORMAT},  // a directory opens but holds no song
                          Case{dir + "/empty.mp3", FMOD_ERR_FORMAT},
                          Case{dir + "/text.mp3", FMOD_ERR_FORMAT}}) {
        FMOD_SOUND *sound = (FMOD_SOUND *)&system;  // must be cleared on failure
        EXPECT_EQ(FMOD_System_CreateSound(system, c.path.c_str(), 200, nullptr, &sound),
                  c.expected) << c.path;
        EXPECT_EQ(sound, nullptr) << c.path;
    }
    EXPECT_STREQ(FMOD_ErrorString(FMOD_ERR_FILE_NOTFOUND), "File not found.");
}

TEST(AudioOpen, LengthIsExactToTheMillisecond)
{
    // 200000 frames at 44100 Hz are 4535.147 ms; the encoder's padding must not count.
    FMOD_SYSTEM *system = nullptr;
    FMOD_SOUND *sound = nullptr;
    ASSERT_EQ(FMOD_System_Create(&system), FMOD_OK);
    ASSERT_EQ(FMOD_System_CreateSound(system, vlmTestSong().c_str(), 200, nullptr, &sound),
              FMOD_OK);
    unsigned length = 0;
    EXPECT_EQ(FMOD_Sound_GetLength(sound, &length, FMOD_TIMEUNIT_MS), FMOD_OK);
    EXPECT_EQ(length, 4535u);
    std::string shortSong = vlmTestScratchDir() + "/short.mp3";
    ASSERT_TRUE(vlmTestWriteMp3(shortSong, 44100 / 2 + 1, 440, 440));
    ASSERT_EQ(FMOD_System_CreateSound(system, shortSong.c_str(), 200, nullptr, &sound), FMOD_OK);
    EXPECT_EQ(FMOD_Sound_GetLength(sound, &length, FMOD_TIMEUNIT_MS), FMOD_OK);
    EXPECT_EQ(length, 500u);
}

TEST(AudioChannel, MissingChannelReadsAsZeroAndIgnoresCalls)
{
    unsigned pos = 99;
    FMOD_BOOL paused = 1;
    EXPECT_EQ(FMOD_Channel_GetPosition(nullptr, &pos, FMOD_TIMEUNIT_MS), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(pos, 0u);
    EXPECT_EQ(FMOD_Channel_GetPaused(nullptr, &paused), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(paused, 0);
    EXPECT_EQ(FMOD_Channel_SetPaused(nullptr, 1), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Channel_SetPosition(nullptr, 10, FMOD_TIMEUNIT_MS), FMOD_ERR_INVALID_HANDLE);
    float spectrum[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(FMOD_Channel_GetSpectrum(nullptr, spectrum, 8, 0, 4), FMOD_ERR_INVALID_HANDLE);
}

TEST(AudioPlayback, NullSinkPositionAdvancesPausesAndSeeks)
{
    testing::internal::CaptureStdout();
    Playing p = play();
    std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(vlm_audio_outputKind(p.system), 2) << "expected no audio device here";
    EXPECT_EQ(out.rfind("[/] ", 0), 0u) << out;

    unsigned moved = waitForPosition(p.channel, 200);
    EXPECT_GE(moved, 200u);
    EXPECT_LT(moved, 4535u);

    // Paused: the position stands still, and a seek while paused lands exactly.
    ASSERT_EQ(FMOD_Channel_SetPaused(p.channel, 1), FMOD_OK);
    FMOD_BOOL paused = 0;
    EXPECT_EQ(FMOD_Channel_GetPaused(p.channel, &paused), FMOD_OK);
    EXPECT_EQ(paused, 1);
    unsigned frozen = positionOf(p.channel);
    sleepMs(150);
    EXPECT_EQ(positionOf(p.channel), frozen);
    for (unsigned target : {3000u, 1u, 777u, 0u, 4534u}) {
        ASSERT_EQ(FMOD_Channel_SetPosition(p.channel, target, FMOD_TIMEUNIT_MS), FMOD_OK);
        EXPECT_EQ(positionOf(p.channel), target);
    }
    ASSERT_EQ(FMOD_Channel_SetPosition(p.channel, 2000, FMOD_TIMEUNIT_MS), FMOD_OK);

    // Resumed: it carries on from where it stood, never below it.
    ASSERT_EQ(FMOD_Channel_SetPaused(p.channel, 0), FMOD_OK);
    EXPECT_GE(positionOf(p.channel), 2000u);
    EXPECT_GE(waitForPosition(p.channel, 2100), 2100u);

    // Seeks while playing read back within a buffer (plus a generous scheduling allowance).
    for (unsigned target : {3500u, 500u}) {
        ASSERT_EQ(FMOD_Channel_SetPosition(p.channel, target, FMOD_TIMEUNIT_MS), FMOD_OK);
        unsigned pos = positionOf(p.channel);
        EXPECT_GE(pos, target);
        EXPECT_LT(pos, target + 250);
    }
}

TEST(AudioPlayback, PositionHoldsAtTheEndAndSeekingBackPlaysOn)
{
    Playing p = play();
    ASSERT_EQ(FMOD_Channel_SetPosition(p.channel, 4300, FMOD_TIMEUNIT_MS), FMOD_OK);
    EXPECT_EQ(waitForPosition(p.channel, 4535), 4535u);
    sleepMs(200);
    EXPECT_EQ(positionOf(p.channel), 4535u);
    // A seek beyond the end holds at the end as well.
    ASSERT_EQ(FMOD_Channel_SetPosition(p.channel, 999999, FMOD_TIMEUNIT_MS), FMOD_OK);
    EXPECT_EQ(positionOf(p.channel), 4535u);
    ASSERT_EQ(FMOD_Channel_SetPosition(p.channel, 1000, FMOD_TIMEUNIT_MS), FMOD_OK);
    EXPECT_GE(waitForPosition(p.channel, 1100), 1100u);
}

static int peakBin(const std::vector<float> &s)
{
    return (int)(std::max_element(s.begin(), s.end()) - s.begin());
}

TEST(AudioSpectrum, SinesPeakInTheirBinsAndPauseGivesZeros)
{
    Playing p = play();
    ASSERT_EQ(FMOD_Channel_SetPosition(p.channel, 1000, FMOD_TIMEUNIT_MS), FMOD_OK);
    waitForPosition(p.channel, 1300);
    std::vector<float> left(512), right(512);
    ASSERT_EQ(FMOD_Channel_GetSpectrum(p.channel, left.data(), 512, 0, 4), FMOD_OK);
    ASSERT_EQ(FMOD_Channel_GetSpectrum(p.channel, right.data(), 512, 1, 4), FMOD_OK);
    // 1024-point transform at 44100 Hz: bins 43.07 Hz apart; 1 kHz is bin 23.2, 3 kHz 69.7.
    EXPECT_EQ(peakBin(left), 23);
    EXPECT_EQ(peakBin(right), 70);
    // Amplitude 0.5 reads near 0.5 at the peak, and far from it the window keeps leakage low.
    EXPECT_GT(left[23], 0.3f);
    EXPECT_LT(left[23], 0.6f);
    EXPECT_LT(left[200], 0.01f);
    EXPECT_LT(right[23], 0.01f);

    EXPECT_EQ(FMOD_Channel_GetSpectrum(p.channel, left.data(), 0, 0, 4), FMOD_ERR_INVALID_PARAM);
    EXPECT_EQ(FMOD_Channel_GetSpectrum(p.channel, left.data(), 512, 2, 4), FMOD_ERR_INVALID_PARAM);
    EXPECT_EQ(FMOD_Channel_GetSpectrum(p.channel, left.data(), 512, 0, 1), FMOD_ERR_INVALID_PARAM);

    ASSERT_EQ(FMOD_Channel_SetPaused(p.channel, 1), FMOD_OK);
    ASSERT_EQ(FMOD_Channel_GetSpectrum(p.channel, left.data(), 512, 0, 4), FMOD_OK);
    EXPECT_EQ(std::count(left.begin(), left.end(), 0.0f), 512);
}

TEST(AudioPlayback, SdlDummyDriverPlaysWhenAskedForByName)
{
    Playing p = play("dummy");
    ASSERT_EQ(vlm_audio_outputKind(p.system), 1);
    EXPECT_GE(waitForPosition(p.channel, 200), 200u);
    ASSERT_EQ(FMOD_Channel_SetPaused(p.channel, 1), FMOD_OK);
    unsigned frozen = positionOf(p.channel);
    sleepMs(100);
    EXPECT_EQ(positionOf(p.channel), frozen);
}

// ---------------------------------------------------------------- the music module

static void resetMusic(int soundOn, int capture)
{
    SOUND_ON = soundOn;
    CAPTURE = capture;
    system0 = nullptr;
    sound0 = nullptr;
    channel0 = nullptr;
    SONGLENGTH = 0;
    SOUND_MUTE_START = 0;
}

TEST(Music, MissingSongIsFatalWithTheBackEndsText)
{
    resetMusic(1, 0);
    EXPECT_EXIT({ dup2(2, 1); vlm_loadMusic("no/such/tune.mp3"); }, testing::ExitedWithCode(255),
                "\\[!\\] FMOD error! \\(1\\) File not found\\.");
    // In capture mode the song is opened too, so a missing one is still fatal.
    resetMusic(1, 1);
    EXPECT_EXIT({ dup2(2, 1); vlm_loadMusic("no/such/tune.mp3"); }, testing::ExitedWithCode(255),
                "FMOD error! \\(1\\)");
}

TEST(Music, SoundOffOpensNothingAndStartsTheSilentClock)
{
    resetMusic(0, 0);
    vlm_loadMusic("no/such/tune.mp3");
    EXPECT_EQ(system0, nullptr);
    vlm_startMusic();
    EXPECT_EQ(SOUND_MUTE_START, 1);
    EXPECT_EQ(channel0, nullptr);
}

TEST(Music, StartWithoutLoadWarnsAndCaptureNeverPlays)
{
    resetMusic(1, 0);
    testing::internal::CaptureStdout();
    vlm_startMusic();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[/] No soundfile loaded.\n");
    EXPECT_EQ(channel0, nullptr);

    resetMusic(1, 1);
    vlm_loadMusic(vlmTestSong().c_str());
    ASSERT_NE(sound0, nullptr);
    vlm_startMusic();
    EXPECT_EQ(channel0, nullptr);
    EXPECT_EQ(SONGLENGTH, 0u);
    EXPECT_EQ(SOUND_MUTE_START, 0);
}

TEST(Music, StartedSongDrivesTheClockAndSpectrumZerosWhilePaused)
{
    resetMusic(1, 0);
    vlm_loadMusic(vlmTestSong().c_str());
    vlm_startMusic();
    ASSERT_NE(channel0, nullptr);
    EXPECT_EQ(SONGLENGTH, 4535u);
    vlm_skipTo(2000);
    unsigned t = vlm_getTime();
    EXPECT_GE(t, 2000u);
    EXPECT_LT(t, 2250u);

    // Let more than one transform's worth of the new place play.
    for (int waited = 0; vlm_getTime() < 2200 && waited < 10000; waited += 10) sleepMs(10);
    std::vector<float> right(256, -1), left(256, -1);
    testing::internal::CaptureStdout();
    vlm_sound_getSpectrum(right.data(), left.data(), 256);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "getting spectrum\n");
    // 512-point transform: 1 kHz (left) is bin 11.6, 3 kHz (right) bin 34.8.
    EXPECT_EQ(peakBin(left), 12);
    EXPECT_EQ(peakBin(right), 35);

    FMOD_Channel_SetPaused(channel0, 1);
    vlm_sound_getSpectrum(right.data(), left.data(), 256);
    EXPECT_EQ(std::count(left.begin(), left.end(), 0.0f), 256);
    EXPECT_EQ(std::count(right.begin(), right.end(), 0.0f), 256);
}

// Past the song's end the clock goes on at real time from where the song stopped, stands still
// while paused; a seek past the end starts there, a seek back plays the song again. A demo as
// long as its song says nothing of it; one that plays on past the song by more than a tick
// (25 ms) says once, in a "[/] " line, that the music ended first.
TEST(Music, ClockGoesOnAtRealTimePastTheSongsEnd)
{
    typedef std::chrono::steady_clock Steady;
    auto ms = [](Steady::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    resetMusic(1, 0);
    SOUND_PAUSED = 0;
    vlm_loadMusic(vlmTestSong().c_str());
    vlm_startMusic();
    ASSERT_EQ(SONGLENGTH, 4535u);
    int demoLength = DEMO_LENGTH;
    DEMO_LENGTH = 4535; // the demo exactly as long as its song
    vlm_skipTo(4400);
    testing::internal::CaptureStdout();
    unsigned t = vlm_getTime();
    for (int waited = 0; t < 4835 && waited < 10000; waited += 10) {
        sleepMs(10);
        t = vlm_getTime();
    }
    EXPECT_GE(t, 4835u);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "a song as long as the demo";

    DEMO_LENGTH = 9000; // a song shorter than the demo
    testing::internal::CaptureStdout();
    vlm_getTime();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[/] The music ended at 4535 ms, before the demo did: the clock goes on at "
              "real time without it.\n");

    // Real time: between two readings the clock moves as the steady clock does around them.
    testing::internal::CaptureStdout();
    Steady::time_point a = Steady::now();
    unsigned t0 = vlm_getTime();
    Steady::time_point b = Steady::now();
    sleepMs(100);
    Steady::time_point c = Steady::now();
    unsigned t1 = vlm_getTime();
    Steady::time_point d = Steady::now();
    EXPECT_GE(t1 - t0 + 1.0, ms(c - b));
    EXPECT_LE(t1 - t0 - 1.0, ms(d - a));

    // Paused, it stands still; resumed, it goes on from there.
    ASSERT_EQ(vlm_togglePause(), 1);
    unsigned held = vlm_getTime();
    sleepMs(100);
    EXPECT_EQ(vlm_getTime(), held);
    ASSERT_EQ(vlm_togglePause(), 0);
    EXPECT_GE(vlm_getTime(), held);
    EXPECT_LT(vlm_getTime(), held + 50);

    // A seek past the end starts the count there; a seek back is the song's position again.
    vlm_skipTo(7000);
    EXPECT_GE(vlm_getTime(), 7000u);
    EXPECT_LT(vlm_getTime(), 7050u);
    vlm_skipTo(1000);
    t = vlm_getTime();
    EXPECT_GE(t, 1000u);
    EXPECT_LT(t, 1250u);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "the line is said once";
    DEMO_LENGTH = demoLength;
}

// Measures the music clock against std::chrono::steady_clock: plays a 15 s MP3 (made here) on
// the sound back end with no audio device (the null sink), samples the position every 100 ms
// for 10 s, and prints the deviation and the drift in ppm.
//   bench_clock [seconds=10] [driver]   (driver: an SDL audio driver name to play through)
#include "audio.h"
#include "../tests/test_mp3.h"
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

int main(int argc, char **argv)
{
    double seconds = argc > 1 ? atof(argv[1]) : 10.0;
    const char *driver = argc > 2 ? argv[2] : nullptr;
    std::string song = vlmTestScratchDir() + "/bench.mp3";
    if (!vlmTestWriteMp3(song, (int)(44100 * (seconds + 5)), 440, 660)) return 1;
    FMOD_SYSTEM *system;
    FMOD_SOUND *sound;
    FMOD_CHANNEL *channel;
    if (FMOD_System_Create(&system) || FMOD_System_Init(system, 1, 0, (void *)driver) ||
        FMOD_System_CreateSound(system, song.c_str(), 200, nullptr, &sound) ||
        FMOD_System_PlaySound(system, FMOD_CHANNEL_FREE, sound, 0, &channel))
        return 1;
    typedef std::chrono::steady_clock Clock;
    Clock::time_point start = Clock::now();
    std::vector<double> real, music;  // ms since PlaySound: steady clock, music position
    for (int i = 1; i <= (int)(seconds * 10); i++) {
        std::this_thread::sleep_until(start + std::chrono::milliseconds(100 * i));
        unsigned pos = 0;
        FMOD_Channel_GetPosition(channel, &pos, FMOD_TIMEUNIT_MS);
        real.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        music.push_back(pos);
    }
    size_t n = real.size();
    double offset = 0, worst = 0;
    for (size_t i = 0; i < n; i++) offset += (music[i] - real[i]) / n;
    for (size_t i = 0; i < n; i++) worst = std::max(worst, fabs(music[i] - real[i] - offset));
    double span = real[n - 1] - real[0];
    double drift = ((music[n - 1] - music[0]) - span) / span * 1e6;
    printf("output: %s\n", vlm_audio_outputKind(system) == 2 ? "null sink" : "SDL device");
    printf("samples: %zu over %.0f ms of steady clock\n", n, real[n - 1]);
    printf("music clock - steady clock: mean offset %+.2f ms, worst deviation from it %.2f ms, "
           "at the end %+.2f ms\n", offset, worst, music[n - 1] - real[n - 1]);
    printf("drift (first to last sample): %+.1f ppm (%+.2f ms over %.1f s)\n", drift,
           drift * span / 1e6, span / 1000);
    return 0;
}

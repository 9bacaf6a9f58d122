// Prints what live editing costs the tick: the per-tick poll of the watch when nothing changed
// (the cost every frame pays with -live), and a poll that reloads a saved camera track.
//   bench_live [idle polls=1000000]
// Runs in a scratch directory of its own; needs no display.
#include "camera.h"
#include "live.h"
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;
typedef std::chrono::steady_clock Clock;

static double nsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count();
}

static void writeTrack(int keys)
{
    FILE *f = fopen("data/camera/bench.vtrack.new", "w");
    for (int k = 0; k < keys; k++) fprintf(f, "%d 1 2 3 0.1 0.2 0.3 \n", k * 1000);
    fclose(f);
    rename("data/camera/bench.vtrack.new", "data/camera/bench.vtrack");
}

int main(int argc, char **argv)
{
    long polls = argc > 1 ? atol(argv[1]) : 1000000;
    char pattern[] = "/tmp/vlm-bench-live-XXXXXX";
    std::string dir = mkdtemp(pattern);
    if (chdir(dir.c_str()) != 0) return 1;
    fs::create_directories("data/camera");
    writeTrack(200);
    VLM_LIVE = 1;
    vlm_liveStart(); // before loading, as the framework starts it: the track's folder is watched
    vlm_genCameraTrack(VLM_TRACK_LOADED, "data/camera/bench.vtrack");

    Clock::time_point start = Clock::now();
    for (long i = 0; i < polls; i++) vlm_livePoll();
    double idleNs = nsSince(start) / polls;

    const int saves = 200;
    double reloadNs = 0;
    for (int i = 0; i < saves; i++) {
        writeTrack(200);
        start = Clock::now();
        vlm_livePoll();
        reloadNs += nsSince(start) / saves;
    }
    fflush(stdout);
    printf("idle poll: %.0f ns per tick over %ld polls (%.4f %% of a 25 ms tick)\n", idleNs, polls,
           idleNs / 25e6 * 100);
    printf("poll that reloads a 200-key track: %.1f us (mean of %d saves)\n", reloadNs / 1000, saves);
    fs::remove_all(dir);
    return 0;
}

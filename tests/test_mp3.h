// Test helper: makes real MP3 files with libmp3lame (LAME tag written, so decoding is gapless)
// and a scratch directory per test process.
#pragma once
#include <lame/lame.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

// A fresh directory under /tmp, made once per process and removed when that process exits
// (not when a forked death-test child does).
inline std::string vlmTestScratchDir()
{
    static std::string dir;
    static pid_t owner;
    if (dir.empty()) {
        char name[] = "/tmp/vlm-test-XXXXXX";
        if (!mkdtemp(name)) return "/tmp";
        dir = name;
        owner = getpid();
        atexit([] {
            std::error_code ec;
            if (getpid() == owner) std::filesystem::remove_all(dir, ec);
        });
    }
    return dir;
}

// Writes `frames` stereo frames at 44100 Hz to `path`: a sine of `leftHz` on the left and of
// `rightHz` on the right, amplitude 0.5. Returns false when the file cannot be written.
inline bool vlmTestWriteMp3(const std::string &path, int frames, double leftHz, double rightHz)
{
    const int rate = 44100;
    std::vector<short> pcm(2 * (size_t)frames);
    for (int i = 0; i < frames; i++) {
        pcm[2 * i] = (short)(16384 * sin(2 * M_PI * leftHz * i / rate));
        pcm[2 * i + 1] = (short)(16384 * sin(2 * M_PI * rightHz * i / rate));
    }
    lame_global_flags *gf = lame_init();
    lame_set_num_channels(gf, 2);
    lame_set_in_samplerate(gf, rate);
    lame_set_out_samplerate(gf, rate);
    lame_set_brate(gf, 128);
    lame_set_quality(gf, 5);
    if (lame_init_params(gf) < 0) return false;
    // "w+b": the LAME tag is written back into the first frame once the length is known.
    FILE *out = fopen(path.c_str(), "w+b");
    if (!out) return false;
    std::vector<unsigned char> mp3(frames + frames / 4 + 7200 + 16384);
    int n = lame_encode_buffer_interleaved(gf, pcm.data(), frames, mp3.data(), (int)mp3.size());
    if (n > 0) fwrite(mp3.data(), 1, n, out);
    n = lame_encode_flush(gf, mp3.data(), (int)mp3.size());
    if (n > 0) fwrite(mp3.data(), 1, n, out);
    lame_mp3_tags_fid(gf, out);
    fclose(out);
    lame_close(gf);
    return true;
}

// The standard test song, made once per process: 200000 frames (4535 ms), 1 kHz left,
// 3 kHz right.
inline const std::string &vlmTestSong()
{
    static std::string path;
    if (path.empty()) {
        path = vlmTestScratchDir() + "/song.mp3";
        if (!vlmTestWriteMp3(path, 200000, 1000.0, 3000.0)) path.clear();
    }
    return path;
}

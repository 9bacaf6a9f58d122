// The music tool: composes and renders the demo's track (tools/score.h, tools/music.h) and
// encodes it to MP3 with libmp3lame, VBR quality 2 with the LAME tag, so that decoders start
// exactly at the first rendered sample and know the exact length.
//   gen_music STAGE_DIR     writes STAGE_DIR/data/tune.mp3
//   gen_music --wav FILE    writes the rendered track, before encoding, as a 16-bit WAV file
//   gen_music STAGE_DIR --wav FILE   both from one render
// Prints what it did and the CPU seconds it took; failures print "[!] ..." and exit with -1.
#include "music.h"

#include <lame/lame.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <sys/stat.h>

namespace {

[[noreturn]] void fail(const std::string &message)
{
    printf("[!] gen_music: %s\n", message.c_str());
    exit(-1);
}

double cpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

void putLe(FILE *f, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) fputc(int((value >> (8 * i)) & 0xff), f);
}

// 44-byte RIFF header, then the interleaved 16-bit little-endian samples.
void writeWav(FILE *f, const std::string &path, const std::vector<int16_t> &pcm)
{
    uint32_t dataBytes = uint32_t(pcm.size() * 2);
    fwrite("RIFF", 1, 4, f);
    putLe(f, 36 + dataBytes, 4);
    fwrite("WAVEfmt ", 1, 8, f);
    putLe(f, 16, 4);
    putLe(f, 1, 2);  // PCM
    putLe(f, 2, 2);
    putLe(f, music::kRate, 4);
    putLe(f, music::kRate * 4, 4);
    putLe(f, 4, 2);
    putLe(f, 16, 2);
    fwrite("data", 1, 4, f);
    putLe(f, dataBytes, 4);
    for (int16_t s : pcm) putLe(f, uint16_t(s), 2);
    if (fclose(f) != 0) fail("cannot write " + path);
}

// Encodes into `f`, which is open "w+b": the LAME tag is written back into the first frame
// once the whole stream is known.
void writeMp3(FILE *f, const std::string &path, const std::vector<int16_t> &pcm)
{
    lame_t lame = lame_init();
    if (!lame) fail("the MP3 encoder does not start");
    lame_set_in_samplerate(lame, music::kRate);
    lame_set_out_samplerate(lame, music::kRate);
    lame_set_num_channels(lame, 2);
    lame_set_mode(lame, JOINT_STEREO);
    lame_set_VBR(lame, vbr_default);
    lame_set_VBR_quality(lame, 2.0f);
    lame_set_bWriteVbrTag(lame, 1);
    if (lame_init_params(lame) < 0) fail("the MP3 encoder refuses its settings");
    const int chunkFrames = 8192;
    std::vector<unsigned char> out(size_t(1.25 * chunkFrames + 7200));
    size_t frames = pcm.size() / 2;
    for (size_t at = 0; at < frames; at += chunkFrames) {
        int n = int(std::min(frames - at, size_t(chunkFrames)));
        int bytes = lame_encode_buffer_interleaved(lame, const_cast<short *>(&pcm[2 * at]), n,
                                                   out.data(), int(out.size()));
        if (bytes < 0 || fwrite(out.data(), 1, size_t(bytes), f) != size_t(bytes))
            fail("encoding " + path + " failed");
    }
    int bytes = lame_encode_flush(lame, out.data(), int(out.size()));
    if (bytes < 0 || fwrite(out.data(), 1, size_t(bytes), f) != size_t(bytes))
        fail("encoding " + path + " failed");
    lame_mp3_tags_fid(lame, f);
    lame_close(lame);
    if (fclose(f) != 0) fail("cannot write " + path);
}

int64_t fileSize(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? int64_t(st.st_size) : -1;
}

}  // namespace

int main(int argc, char **argv)
{
    std::string stage, wav;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--wav" && i + 1 < argc) wav = argv[++i];
        else if (stage.empty() && argv[i][0] != '-') stage = argv[i];
        else stage = wav = "";  // anything else: usage
    }
    if (stage.empty() && wav.empty()) {
        printf("usage: gen_music STAGE_DIR [--wav FILE] | gen_music --wav FILE\n");
        return -1;
    }
    std::string problem = score::checkScore(score::makeSections());
    if (!problem.empty()) fail("score: " + problem);

    // The outputs are opened first, so that a stage it cannot write fails before the render.
    std::string mp3 = stage.empty() ? "" : stage + "/data/tune.mp3";
    FILE *mp3File = mp3.empty() ? nullptr : fopen((mp3 + ".new").c_str(), "w+b");
    if (!mp3.empty() && !mp3File) fail("cannot write " + mp3 + ".new");
    FILE *wavFile = wav.empty() ? nullptr : fopen(wav.c_str(), "wb");
    if (!wav.empty() && !wavFile) fail("cannot write " + wav);

    double t0 = cpuSeconds();
    std::vector<int16_t> pcm = music::toPcm16(music::renderTrack());
    double t1 = cpuSeconds();
    if (wavFile) writeWav(wavFile, wav, pcm);
    if (mp3File) writeMp3(mp3File, mp3, pcm);
    if (mp3File && rename((mp3 + ".new").c_str(), mp3.c_str()) != 0) fail("cannot write " + mp3);
    double t2 = cpuSeconds();
    printf("[gen_music] %.1f s of music: rendered in %.1f s, written in %.1f s:%s%s\n",
           double(pcm.size() / 2) / music::kRate, t1 - t0, t2 - t1,
           mp3.empty() ? "" : (" " + mp3 + " (" + std::to_string(fileSize(mp3)) + " bytes)").c_str(),
           wav.empty() ? "" : (" " + wav).c_str());
    return 0;
}

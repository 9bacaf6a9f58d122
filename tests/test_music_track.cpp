// The music: the synthesiser's parts, the score, the rendered track (gen_music --wav, before
// encoding) and the staged tune.mp3 as the decoder and our sound layer read it.
#include "../tools/music.h"
#include "audio.h"
#include "demo_timeline.h"
#include "read_file.h"

#include <gtest/gtest.h>
#include <kiss_fftr.h>
#include <mpg123.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

const double kRate = synth::kRate;
const size_t kSecond = size_t(synth::kRate);  // frames

// ---- helpers ----------------------------------------------------------------------------------

double dB(double power) { return 10.0 * std::log10(power + 1e-30); }

// Frequency of a periodic signal from its rising zero crossings, interpolated between samples.
double zeroCrossingHz(const std::vector<float> &x)
{
    double first = -1, last = -1;
    int count = 0;
    for (size_t i = 1; i < x.size(); ++i)
        if (x[i - 1] < 0 && x[i] >= 0) {
            double at = double(i - 1) + x[i - 1] / (x[i - 1] - x[i]);
            if (first < 0) first = at;
            last = at;
            ++count;
        }
    return count > 1 ? (count - 1) * kRate / (last - first) : 0.0;
}

// Power of `x` at `hz` (Goertzel), normalised so a full-scale sine reads about 0.25.
double powerAt(const std::vector<float> &x, double hz)
{
    double w = 2.0 * synth::kPi * hz / kRate, c = 2.0 * std::cos(w), s1 = 0, s2 = 0;
    for (float v : x) {
        double s0 = v + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    double p = s1 * s1 + s2 * s2 - c * s1 * s2;
    return p / (double(x.size()) * double(x.size()));
}

// Cents from `hz` to the nearest equal-tempered note (A4 = 440 Hz), and that note's number.
double centsOffTempered(double hz, int *note)
{
    double n = 69.0 + 12.0 * std::log2(hz / 440.0);
    *note = int(std::lround(n));
    return 100.0 * (n - *note);
}

// Largest magnitude of the waveform that `x` (one channel) samples, found by 4x oversampling: each
// block's spectrum is padded with zeros to four times its length, the band-limited interpolation
// a converter approximates. Blocks overlap by a guard of 1024 samples on each side, where the
// block's wrap-around would disturb the interpolation; only their middles are read.
double truePeak(const std::vector<float> &x)
{
    const int n = 8192, guard = 1024, up = 4;
    kiss_fftr_cfg forward = kiss_fftr_alloc(n, 0, nullptr, nullptr);
    kiss_fftr_cfg inverse = kiss_fftr_alloc(up * n, 1, nullptr, nullptr);
    std::vector<float> block(n), fine(up * n);
    std::vector<kiss_fft_cpx> spectrum(n / 2 + 1), padded(up * n / 2 + 1);
    double peak = 0;
    for (long start = -guard; start < long(x.size()); start += n - 2 * guard) {
        for (int i = 0; i < n; ++i) {
            long at = start + i;
            block[size_t(i)] = at >= 0 && at < long(x.size()) ? x[size_t(at)] : 0.0f;
        }
        kiss_fftr(forward, block.data(), spectrum.data());
        std::fill(padded.begin(), padded.end(), kiss_fft_cpx{0, 0});
        std::copy(spectrum.begin(), spectrum.end(), padded.begin());
        padded[n / 2].r *= 0.5f;  // the Nyquist bin is shared by the positive and negative halves
        padded[n / 2].i = 0;
        kiss_fftri(inverse, padded.data(), fine.data());
        for (int i = up * guard; i < up * (n - guard); ++i)
            peak = std::max(peak, std::fabs(double(fine[size_t(i)]) / n));  // the inverse is unscaled
    }
    kiss_fftr_free(forward);
    kiss_fftr_free(inverse);
    return peak;
}

double dBFS(double amplitude) { return 20.0 * std::log10(amplitude + 1e-30); }

// Loudness in LUFS of a K-weighted mean square summed over both sides.
double lufs(double power) { return -0.691 + 10.0 * std::log10(power + 1e-30); }

// K-weighted power (high shelf then high pass, from their analogue prototypes) of stereo `left`
// and `right` at 44.1 kHz, summed over both sides, in consecutive 100 ms hops from the start.
std::vector<double> kWeightedHops(const std::vector<float> &left, const std::vector<float> &right)
{
    struct Biquad {
        double b0, b1, b2, a1, a2, z1 = 0, z2 = 0;
        double run(double x)
        {
            double y = b0 * x + z1;
            z1 = b1 * x - a1 * y + z2;
            z2 = b2 * x - a2 * y;
            return y;
        }
    };
    auto shelf = [] {
        double k = std::tan(synth::kPi * 1681.974450955533 / kRate), q = 0.7071752369554196;
        double vh = std::pow(10.0, 3.999843853973347 / 20), vb = std::pow(vh, 0.4996667741545416);
        double a0 = 1 + k / q + k * k;
        return Biquad{(vh + vb * k / q + k * k) / a0, 2 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
                      2 * (k * k - 1) / a0, (1 - k / q + k * k) / a0};
    };
    auto highPass = [] {
        double k = std::tan(synth::kPi * 38.13547087602444 / kRate), q = 0.5003270373238773;
        double a0 = 1 + k / q + k * k;
        return Biquad{1, -2, 1, 2 * (k * k - 1) / a0, (1 - k / q + k * k) / a0};
    };
    const long hop = long(kRate / 10), frames = long(std::min(left.size(), right.size()));
    std::vector<double> hopPower;  // per 100 ms: the mean over its frames of left² + right²
    Biquad s[2] = {shelf(), shelf()}, h[2] = {highPass(), highPass()};
    double sum = 0;
    for (long i = 0; i < frames; ++i) {
        double l = h[0].run(s[0].run(left[size_t(i)])), r = h[1].run(s[1].run(right[size_t(i)]));
        sum += l * l + r * r;
        if ((i + 1) % hop == 0) { hopPower.push_back(sum / hop); sum = 0; }
    }
    return hopPower;
}

// Integrated loudness in LUFS of K-weighted 100 ms hops: mean power in 400 ms blocks every
// 100 ms, blocks below -70 LUFS dropped, then blocks 10 LU under the mean of the rest dropped.
double integratedLoudness(const std::vector<double> &hopPower)
{
    std::vector<double> blocks;
    for (size_t k = 3; k < hopPower.size(); ++k)
        blocks.push_back((hopPower[k - 3] + hopPower[k - 2] + hopPower[k - 1] + hopPower[k]) / 4.0);
    auto gatedMean = [&](double thresholdLufs) {
        double total = 0;
        int count = 0;
        for (double p : blocks) if (lufs(p) > thresholdLufs) { total += p; ++count; }
        return count ? total / count : 0.0;
    };
    return lufs(gatedMean(lufs(gatedMean(-70.0)) - 10.0));
}

// The rendered track: runs the tool once per build of it and keeps the WAV in the build tree.
struct Track {
    std::vector<int16_t> pcm;  // interleaved left, right
    int channels = 0, rate = 0, bits = 0, format = 0;
    long frames() const { return long(pcm.size() / 2); }
    float at(long frame, int side) const { return pcm[size_t(2 * frame + side)] / 32768.0f; }
};

uint32_t le(const unsigned char *p, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

// One run of the tool per test process, writing both the WAV of the render and an MP3 into a
// stage of its own: the folder it wrote, or "" when the tool failed.
const std::string &freshRender()
{
    static std::string stage;
    if (!stage.empty()) return stage;
    std::string dir = std::string(VLM_BINARY_DIR) + "/music-test";
    std::string run = dir + "/run-" + std::to_string(getpid());
    mkdir(dir.c_str(), 0755);
    mkdir(run.c_str(), 0755);
    mkdir((run + "/data").c_str(), 0755);
    std::string cmd = "\"" VLM_BINARY_DIR "/tools/gen_music\" \"" + run + "\" --wav \"" + run +
                      "/tune.wav\" > /dev/null";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    std::atexit([] { std::filesystem::remove_all(freshRender()); });
    return stage = run;
}

const Track &renderedTrack()
{
    static Track track;
    if (!track.pcm.empty()) return track;
    std::string wav = freshRender() + "/tune.wav";
    std::ifstream in(wav, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 44 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" ||
        std::string(bytes.begin() + 8, bytes.begin() + 16) != "WAVEfmt " ||
        std::string(bytes.begin() + 36, bytes.begin() + 40) != "data") {
        ADD_FAILURE() << wav << " is not the WAV file the tool writes";
        return track;
    }
    track.format = int(le(&bytes[20], 2));
    track.channels = int(le(&bytes[22], 2));
    track.rate = int(le(&bytes[24], 4));
    track.bits = int(le(&bytes[34], 2));
    size_t count = std::min<size_t>(le(&bytes[40], 4), bytes.size() - 44) / 2;
    track.pcm.resize(count);
    for (size_t i = 0; i < count; ++i) track.pcm[i] = int16_t(le(&bytes[44 + 2 * i], 2));
    return track;
}

// Mean power of both sides over [fromSec, toSec).
double power(const Track &t, double fromSec, double toSec)
{
    long a = long(fromSec * kRate), b = std::min(t.frames(), long(toSec * kRate));
    double sum = 0;
    for (long i = a; i < b; ++i) sum += t.at(i, 0) * t.at(i, 0) + t.at(i, 1) * t.at(i, 1);
    return sum / (2.0 * std::max(1L, b - a));
}

// Power in three bands (below ~150 Hz, ~150 Hz..2 kHz, above ~2 kHz) of the mono mix.
struct Bands { double low, mid, high; };
Bands bandPower(const Track &t, double fromSec, double toSec)
{
    long a = long(fromSec * kRate), b = long(toSec * kRate);
    double lowCoef = std::exp(-2 * synth::kPi * 150 / kRate), highCoef = std::exp(-2 * synth::kPi * 2000 / kRate);
    double l1 = 0, l2 = 0, h = 0;
    Bands sum{0, 0, 0};
    for (long i = a - 4410; i < b; ++i) {  // a 0.1 s run-in settles the filters
        double x = 0.5 * (t.at(i, 0) + t.at(i, 1));
        l1 = x + lowCoef * (l1 - x);
        l2 = l1 + lowCoef * (l2 - l1);
        h = x + highCoef * (h - x);
        if (i < a) continue;
        double high = x - h, low = l2, mid = x - high - low;
        sum.low += low * low;
        sum.mid += mid * mid;
        sum.high += high * high;
    }
    double n = double(b - a);
    return {sum.low / n, sum.mid / n, sum.high / n};
}

// The staged MP3 decoded whole by libmpg123, once per process: its format, the length it
// reports after a scan, and the decoded samples.
struct Decoded {
    long rate = 0;
    int channels = 0;
    long scannedFrames = -1;
    std::vector<int16_t> pcm;  // interleaved
    long frames() const { return long(pcm.size() / 2); }
};

const Decoded &decodedStaged()
{
    static Decoded d;
    if (d.scannedFrames >= 0) return d;
    mpg123_init();
    int err = 0;
    mpg123_handle *h = mpg123_new(nullptr, &err);
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_format_none(h);
    mpg123_format(h, 44100, MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open(h, VLM_STAGE_DIR "/data/tune.mp3") != MPG123_OK) {
        mpg123_delete(h);
        return d;
    }
    mpg123_scan(h);
    int encoding;
    mpg123_getformat(h, &d.rate, &d.channels, &encoding);
    d.scannedFrames = long(mpg123_length(h));
    std::vector<unsigned char> block(65536);
    size_t done = 0;
    int status;
    do {
        status = mpg123_read(h, block.data(), block.size(), &done);
        const int16_t *samples = reinterpret_cast<const int16_t *>(block.data());
        d.pcm.insert(d.pcm.end(), samples, samples + done / 2);
    } while (status == MPG123_OK || status == MPG123_NEW_FORMAT);
    mpg123_close(h);
    mpg123_delete(h);
    return d;
}

// K-weighted 100 ms hops of the decoded staged MP3 (kWeightedHops), once per process.
const std::vector<double> &decodedHops()
{
    static std::vector<double> hops;
    const Decoded &d = decodedStaged();
    if (!hops.empty() || d.pcm.empty()) return hops;
    std::vector<float> sides[2];
    for (size_t i = 0; i < d.pcm.size(); ++i) sides[i % 2].push_back(d.pcm[i] / 32768.0f);
    return hops = kWeightedHops(sides[0], sides[1]);
}

// ---- the synthesiser --------------------------------------------------------------------------

TEST(Synth, OscillatorsPlayInTune)
{
    enum Wave { kSaw, kPulse, kSine };
    struct Case { Wave wave; double note; } cases[] = {
        {kSaw, 33}, {kSaw, 69}, {kSaw, 93}, {kPulse, 45}, {kPulse, 81}, {kSine, 57}, {kSine, 100.5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("wave " + std::to_string(c.wave) + " note " + std::to_string(c.note));
        synth::Osc osc;
        double hz = synth::noteHz(c.note), dt = hz / kRate;
        std::vector<float> x(kSecond);
        for (float &v : x) v = c.wave == kSaw ? -osc.saw(dt) : c.wave == kPulse ? osc.pulse(dt, 0.5) : osc.sine(dt);
        EXPECT_NEAR(zeroCrossingHz(x), hz, hz * 0.0005);  // under a cent
    }
    EXPECT_DOUBLE_EQ(synth::noteHz(69), 440.0);
    EXPECT_NEAR(synth::noteHz(57), 220.0, 1e-9);
}

TEST(Synth, HighSawsKeepTheirAliasesQuiet)
{
    // A 3520 Hz saw: its 13th harmonic (45760 Hz) folds back to 1660 Hz. A naive saw leaves it at
    // about -22 dB under the fundamental.
    synth::Osc osc;
    std::vector<float> x(kSecond);
    for (float &v : x) v = osc.saw(3520.0 / kRate);
    double alias = dB(powerAt(x, 1660.0)) - dB(powerAt(x, 3520.0));
    EXPECT_LT(alias, -40.0);
}

TEST(Synth, FilterPassesBelowCutsAboveAndRingsAtResonance)
{
    struct Case { float cutoff, resonance, toneHz, minGainDb, maxGainDb; } cases[] = {
        {500, 0.0f, 60, -1.0f, 0.5f},      // pass band
        {500, 0.0f, 8000, -99.0f, -40.0f},  // two octaves of 12 dB and more
        {1000, 0.9f, 1000, 12.0f, 40.0f},  // resonant peak
        {1000, 0.0f, 1000, -7.0f, -5.0f},  // -6 dB at cutoff without resonance
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("cutoff " + std::to_string(c.cutoff) + " tone " + std::to_string(c.toneHz));
        synth::Svf f;
        f.set(c.cutoff, c.resonance);
        synth::Osc osc;
        std::vector<float> in(kSecond), out(kSecond);
        for (size_t i = 0; i < in.size(); ++i) {
            in[i] = osc.sine(c.toneHz / kRate);
            out[i] = f.process(in[i]).low;
        }
        std::vector<float> inTail(in.begin() + 22050, in.end()), outTail(out.begin() + 22050, out.end());
        double gain = dB(powerAt(outTail, c.toneHz)) - dB(powerAt(inTail, c.toneHz));
        EXPECT_GE(gain, c.minGainDb);
        EXPECT_LE(gain, c.maxGainDb);
    }
}

TEST(Synth, EnvelopeAttacksHoldsAndReleasesOnTime)
{
    synth::EnvGen env({0.01f, 0.05f, 0.5f, 0.2f}, long(0.5 * kRate));
    std::vector<float> level;
    for (long i = 0; i < env.length(); ++i) level.push_back(env.next());
    EXPECT_NEAR(level[size_t(0.005 * kRate)], 0.5f, 0.01f);      // halfway up the attack
    EXPECT_FLOAT_EQ(*std::max_element(level.begin(), level.end()), 1.0f);
    EXPECT_NEAR(level[size_t(0.49 * kRate)], 0.5f, 0.01f);       // at sustain before the release
    double fall = level.back() / level[size_t(0.5 * kRate) - 1];
    EXPECT_NEAR(dB(fall * fall), -60.0, 1.0);  // 60 dB down when the release ends
    EXPECT_EQ(env.length(), long(0.5 * kRate) + long(0.2f * kRate) + 1);
}

TEST(Synth, LimiterHoldsTheTruePeakCeilingAndLeavesQuietAudioAlone)
{
    // Loud noise with one huge spike, both below 8 kHz (24 dB per octave), and a quarter-rate
    // sine sampled 45 degrees off its crests: its samples read 0.85, under the ceiling, while
    // the wave between them swings to 1.2. (The limiter's interpolator is flat to 19 kHz, as far
    // as music and the MP3 encoder reach; white noise would read low on it above that.)
    synth::Noise noise(7);
    synth::Svf lowPass[2][2];  // two in a row per side
    for (synth::Svf &f : lowPass[0]) f.set(8000.0f, 0.0f);
    for (synth::Svf &f : lowPass[1]) f.set(8000.0f, 0.0f);
    std::vector<float> loud(20000), between(20000), quiet(20000);
    for (size_t i = 0; i < loud.size(); ++i) {
        float x = 3.0f * noise.next() + (i == 9000 ? 40.0f : 0.0f);
        loud[i] = lowPass[1][i % 2].process(lowPass[0][i % 2].process(x).low).low;
        between[i] = 1.2f * float(std::sin(synth::kPi * (double(i / 2) / 2.0 + 0.25)));
        quiet[i] = 0.2f * noise.next();
    }
    std::vector<float> quietCopy = quiet;
    for (std::vector<float> *x : {&loud, &between, &quiet}) synth::limit(*x, 0.891f, 220, 0.1f);
    EXPECT_EQ(quiet, quietCopy);
    for (std::vector<float> *x : {&loud, &between}) {
        std::vector<float> sides[2];
        for (size_t i = 0; i < x->size(); ++i) sides[i % 2].push_back((*x)[i]);
        double peak = std::max(truePeak(sides[0]), truePeak(sides[1]));
        EXPECT_LE(peak, 0.891 * 1.001);  // within the interpolators' differences
        EXPECT_GT(peak, 0.85);           // limited to the ceiling, not far below it
    }
}

TEST(Synth, ReverbRingsOnAndDiesAway)
{
    synth::Reverb room(1.0f);
    long n = long(3 * kRate);
    std::vector<float> send(n, 0.0f), left(n, 0.0f), right(n, 0.0f);
    send[0] = 1.0f;
    room.run(send.data(), left.data(), right.data(), n);
    auto energy = [&](double a, double b) {
        double sum = 0;
        for (long i = long(a * kRate); i < long(b * kRate); ++i) sum += left[i] * left[i] + right[i] * right[i];
        return sum;
    };
    double early = energy(0.0, 0.2), late = energy(2.0, 3.0);
    EXPECT_GT(energy(0.3, 0.5), early * 1e-3);  // still ringing
    EXPECT_LT(late, early * 1e-5);              // decayed, not building up
    EXPECT_GT(energy(0.0, 0.2), 0.0);
    double sides = 0;  // the two sides are not one signal
    for (long i = 0; i < n; ++i) sides += std::fabs(left[i] - right[i]);
    EXPECT_GT(sides, 0.1);
}

// ---- the score --------------------------------------------------------------------------------

TEST(Score, ReadsNoteAndChordNames)
{
    struct NoteCase { const char *name; int number; } notes[] = {
        {"A4", 69}, {"C4", 60}, {"C#5", 73}, {"Bb3", 58}, {"G#5", 80}, {"E2", 40},
        {"H4", -1}, {"A", -1}, {"A4x", -1}, {".", -1}, {"", -1}, {"#4", -1},
    };
    for (const NoteCase &c : notes) EXPECT_EQ(score::noteNumber(c.name), c.number) << c.name;
    struct ChordCase { const char *name; int root, third, fifth; } chords[] = {
        {"Am", 9, 0, 4}, {"F", 5, 9, 0}, {"Bb", 10, 2, 5}, {"Esus4", 4, 9, 11}, {"A", 9, 1, 4},
        {"Amaj9", -1, -1, -1}, {"X", -1, -1, -1},
    };
    for (const ChordCase &c : chords) {
        score::Chord chord = score::parseChord(c.name);
        EXPECT_EQ(chord.root, c.root) << c.name;
        EXPECT_EQ(chord.third, c.third) << c.name;
        EXPECT_EQ(chord.fifth, c.fifth) << c.name;
    }
}

TEST(Score, PartsCompileIntoTimedNotes)
{
    using namespace score;
    struct Expect { double step; double steps; float note, velocity; };
    struct Case { const char *what; Part part; std::vector<Expect> notes; } cases[] = {
        {"bass in root position from its lowest note, held by '-'", part(kRollBass, kBass, "0.3-............", 28),
         {{0, 1, 33, 1}, {2, 2, 45, 1}, {16, 1, 29, 1}, {18, 2, 41, 1}}},
        {"arpeggio voiced inside the octave", bars(part(kArp, kArpeggio, "0123............", 57), 1, 2),
         {{16, 1, 57, 1}, {17, 1, 60, 1}, {18, 1, 65, 1}, {19, 1, 69, 1}}},
        {"chord", bars(part(kPad, kChord, "x---------------", 55), 0, 1), {{0, 16, 57, 1}, {0, 16, 60, 1}, {0, 16, 64, 1}}},
        {"hits with accents and ghosts", bars(part(kClosedHat, kHits, "Xo.x............"), 0, 1),
         {{0, 1, 60, 1}, {1, 1, 60, 0.5f}, {3, 1, 60, 0.85f}}},
        {"melody an octave up, level ramp by bar",
         level(transpose(part(kLead, kMelody, "A4 - C#5 . . . . . . . . . . . . ."), 12), 0.5f, 1.0f),
         {{0, 2, 81, 0.5f}, {2, 1, 85, 0.5f}, {16, 2, 81, 1}, {18, 1, 85, 1}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Section section{"test", 4, 2, "Am F", {c.part}};
        std::vector<Event> events;
        compilePart(section, c.part, events);
        ASSERT_EQ(events.size(), c.notes.size());
        for (size_t k = 0; k < c.notes.size(); ++k) {
            EXPECT_DOUBLE_EQ(events[k].startSec, 4 * kBarSec + c.notes[k].step * kStepSec) << k;
            EXPECT_DOUBLE_EQ(events[k].lengthSec, c.notes[k].steps * kStepSec) << k;
            EXPECT_EQ(events[k].note, c.notes[k].note) << k;
            EXPECT_FLOAT_EQ(events[k].velocity, c.notes[k].velocity) << k;
        }
    }
}

TEST(Score, CheckFindsBrokenScores)
{
    using namespace score;
    struct Case { const char *what; std::vector<Section> sections; } cases[] = {
        {"a gap between sections", {{"a", 0, 60, "Am", {}}, {"b", 61, kTrackBars - 61, "Am", {}}}},
        {"ends early", {{"a", 0, kTrackBars - 1, "Am", {}}}},
        {"unknown chord", {{"a", 0, kTrackBars, "Am Hm", {}}}},
        {"bad hit", {{"a", 0, kTrackBars, "Am", {part(kKickDrum, kHits, "x...y...x...x...")}}}},
        {"not whole bars", {{"a", 0, kTrackBars, "Am", {part(kKickDrum, kHits, "x...x...")}}}},
        {"bad note", {{"a", 0, kTrackBars, "Am", {part(kLead, kMelody, "A4 " + std::string(30, '.') + "Q")}}}},
        {"part past its section", {{"a", 0, kTrackBars, "Am", {bars(part(kPad, kChord, held(1)), kTrackBars - 10, kTrackBars + 1)}}}},
        {"unknown instrument", {{"a", 0, kTrackBars, "Am", {part(kInstrumentCount, kChord, held(1))}}}},
    };
    for (const Case &c : cases) EXPECT_NE(checkScore(c.sections), "") << c.what;
    EXPECT_EQ(checkScore({{"a", 0, kTrackBars, "Am", {part(kKickDrum, kHits, "x...x...x...x...")}}}), "");
}

// The demo's length in seconds, from its scene table.
static double demoSeconds() { return demoTimeline().lengthMs / 1000.0; }

// Every scene of the demo's table begins where a section of the score does, and the demo ends
// before the music: a scene lengthened without its music fails here.
TEST(Score, TheScenesChangeOnSectionStartsAndTheDemoEndsBeforeTheMusic)
{
    std::vector<score::Section> sections = score::makeSections();
    ASSERT_EQ(score::checkScore(sections), "");
    std::set<int> starts;
    for (const score::Section &s : sections) starts.insert(s.startBar);
    ASSERT_GT(demoTimeline().count(), 0) << "no timeline from " VLM_STAGE_DIR "/demo --timeline";
    for (const DemoTimeline::Scene &scene : demoTimeline().scenes) {
        double bar = scene.startMs / 1000.0 / score::kBarSec;
        EXPECT_NEAR(bar, std::round(bar), 1e-9) << scene.name << " begins off the bar lines";
        EXPECT_TRUE(starts.count(int(std::round(bar)))) << scene.name << " begins inside a section";
    }
    EXPECT_LT(demoSeconds(), score::kTrackBars * score::kBarSec);
}

TEST(Score, EveryNoteStartsOnTheBeatGridBeforeTheDemoEnds)
{
    std::vector<score::Event> events = score::compile(score::makeSections());
    ASSERT_GT(events.size(), 1000u);
    for (const score::Event &e : events) {
        double steps = e.startSec / score::kStepSec;
        ASSERT_NEAR(steps, std::round(steps), 1e-9) << "off the grid at " << e.startSec;
        ASSERT_LT(e.startSec, demoSeconds());
        ASSERT_GT(e.lengthSec, 0.0);
        ASSERT_GT(e.velocity, 0.0f);
    }
}

TEST(Score, EveryPitchedNoteFitsTheKeyOrItsChord)
{
    const std::set<int> aMinor = {9, 11, 0, 2, 4, 5, 7};
    std::vector<score::Instrument> instruments = score::makeInstruments();
    for (const score::Section &s : score::makeSections()) {
        std::vector<std::string> chords = score::splitWords(s.chords);
        std::vector<score::Section> one = {s};
        for (const score::Event &e : score::compile(one)) {
            if (instruments[e.instrument].voice != score::kTone) continue;
            int bar = int(std::floor(e.startSec / score::kBarSec + 1e-9)) - s.startBar;
            score::Chord c = score::parseChord(chords[size_t(bar) % chords.size()]);
            std::set<int> allowed = aMinor;
            if (!aMinor.count(c.third)) allowed.erase((c.third + 11) % 12);  // G under G#, C under C#
            allowed.insert({c.root, c.third, c.fifth});
            int pc = int(e.note) % 12;
            EXPECT_TRUE(allowed.count(pc)) << instruments[e.instrument].name << " note " << e.note
                                           << " over " << chords[size_t(bar) % chords.size()] << " at "
                                           << e.startSec << " s in " << s.name;
        }
    }
}

TEST(Score, GlitchCutsStayInsideTheCrashAndItsSource)
{
    int covered = 0;
    for (const score::Glitch &g : score::makeGlitches()) {
        EXPECT_GE(g.atStep, covered) << "cuts overlap at step " << g.atStep;
        EXPECT_LE(g.atStep + g.steps, 64);
        EXPECT_LE(g.srcStep + g.steps, 32);
        EXPECT_GT(g.gain, 0.0f);
        covered = g.atStep + g.steps;
    }
    EXPECT_EQ(covered, 64);
}

// ---- the rendered track -----------------------------------------------------------------------

TEST(MusicTrack, LastsTheDemoAndATailAtCdQuality)
{
    const Track &t = renderedTrack();
    EXPECT_EQ(t.format, 1);
    EXPECT_EQ(t.channels, 2);
    EXPECT_EQ(t.rate, 44100);
    EXPECT_EQ(t.bits, 16);
    EXPECT_EQ(t.frames(), music::kTrackFrames);
    EXPECT_GE(t.frames(), 220L * 44100);
}

TEST(MusicTrack, NothingClipsAndTheEndIsSilent)
{
    const Track &t = renderedTrack();
    ASSERT_GT(t.frames(), 0);
    int peak = 0;
    long atRails = 0;
    for (int16_t s : t.pcm) {
        peak = std::max(peak, std::abs(int(s)));
        if (s >= 32767 || s <= -32767) ++atRails;
    }
    EXPECT_EQ(atRails, 0);
    EXPECT_LE(peak, int(music::kCeiling * 32767) + 1);
    EXPECT_GE(peak, int(0.7 * 32767));  // and it is not timid either
    for (long i = t.frames() - 4410; i < t.frames(); ++i) ASSERT_LE(std::abs(t.pcm[2 * i]), 2) << i;
}

// No dropout before the close, the last section (whose dying away MusicMp3 checks).
TEST(MusicTrack, NeverFallsSilentBeforeItsClose)
{
    const Track &t = renderedTrack();
    ASSERT_GE(t.frames(), long(demoSeconds() * kRate));
    const double closeSec = score::makeSections().back().startBar * score::kBarSec;
    double quietest = 0, at = 0;
    for (double s = 0; s < closeSec; s += 0.1) {
        double level = dB(power(t, s, s + 0.1));
        if (s == 0 || level < quietest) { quietest = level; at = s; }
    }
    EXPECT_GT(quietest, -45.0) << "at " << at << " s";
}

TEST(MusicTrack, EnergyChangesAtEverySceneBoundary)
{
    const Track &t = renderedTrack();
    ASSERT_GE(t.frames(), long(demoSeconds() * kRate));
    for (size_t k = 1; k < demoTimeline().scenes.size(); k++) {
        double at = demoTimeline().scenes[k].startMs / 1000.0, span = 2 * score::kBarSec;
        int bar = int(std::round(at / score::kBarSec));
        Bands before = bandPower(t, at - span, at), after = bandPower(t, at, at + span);
        double change[4] = {
            std::fabs(dB(power(t, at, at + span)) - dB(power(t, at - span, at))),
            std::fabs(dB(after.low) - dB(before.low)),
            std::fabs(dB(after.mid) - dB(before.mid)),
            std::fabs(dB(after.high) - dB(before.high)),
        };
        double largest = *std::max_element(change, change + 4);
        printf("bar %d (%.1f s): change all %.1f, low %.1f, mid %.1f, high %.1f dB\n", bar, at,
               change[0], change[1], change[2], change[3]);
        EXPECT_GE(largest, 2.0) << "bar " << bar;
    }
}

TEST(MusicTrack, KeepsAClearBeatAt128Bpm)
{
    const Track &t = renderedTrack();
    ASSERT_GE(t.frames(), long(demoSeconds() * kRate));
    const long hopFrames = 220;  // envelope resolution, 5 ms
    const double hop = hopFrames / kRate;
    for (double from : {32.0, 50.0, 90.0, 160.0}) {
        // Low-band onset strength in 5 ms hops over 12 s, then its autocorrelation.
        std::vector<double> env;
        double l = 0, c = std::exp(-2 * synth::kPi * 120 / kRate), prev = 0;
        for (long i = long(from * kRate); i < long((from + 12) * kRate); ++i) {
            double x = t.at(i, 0) + t.at(i, 1);
            l = x + c * (l - x);
            if (i % hopFrames == 0) {
                env.push_back(std::max(0.0, std::fabs(l) - prev));
                prev = std::fabs(l);
            }
        }
        double bestLag = 0, best = -1;
        for (int lag = int(0.3 / hop); lag <= int(0.7 / hop); ++lag) {
            double sum = 0;
            for (size_t i = 0; i + lag < env.size(); ++i) sum += env[i] * env[i + lag];
            if (sum > best) { best = sum; bestLag = lag * hop; }
        }
        EXPECT_NEAR(bestLag, score::kBeatSec, 0.006) << "from " << from << " s";
    }
}

// Pitch content of the mono mix over [fromSec, fromSec + 1.49 s) between 260 Hz and 4 kHz: the
// power of each pitch class (0 = C) and the power-weighted mean offset from the tempered
// notes in cents, with how concentrated the offsets are (1 = all on one offset, 0 = spread).
struct Chroma { double pitchClass[12]; double meanCents, concentration; };
Chroma chromaAt(const Track &t, double fromSec)
{
    const int n = 1 << 16;  // 1.49 s, 0.67 Hz per bin
    kiss_fftr_cfg fft = kiss_fftr_alloc(n, 0, nullptr, nullptr);
    std::vector<float> in(n);
    std::vector<kiss_fft_cpx> out(n / 2 + 1);
    long start = long(fromSec * kRate);
    for (int i = 0; i < n; ++i)
        in[i] = float((t.at(start + i, 0) + t.at(start + i, 1)) * (0.5 - 0.5 * std::cos(2 * synth::kPi * i / n)));
    kiss_fftr(fft, in.data(), out.data());
    kiss_fftr_free(fft);
    Chroma c{};
    double x = 0, y = 0, total = 0;
    for (size_t k = size_t(260.0 * n / kRate); k < size_t(4000.0 * n / kRate); ++k) {
        double p = double(out[k].r) * out[k].r + double(out[k].i) * out[k].i;
        int note;
        double cents = centsOffTempered(double(k) * kRate / n, &note);
        c.pitchClass[note % 12] += p;
        x += p * std::cos(2 * synth::kPi * cents / 100);
        y += p * std::sin(2 * synth::kPi * cents / 100);
        total += p;
    }
    c.meanCents = std::atan2(y, x) / (2 * synth::kPi) * 100;
    c.concentration = std::hypot(x, y) / total;
    return c;
}

// The `count` strongest pitch classes.
std::set<int> strongest(const Chroma &c, int count)
{
    std::vector<std::pair<double, int>> order;
    for (int pc = 0; pc < 12; ++pc) order.push_back({c.pitchClass[pc], pc});
    std::sort(order.rbegin(), order.rend());
    std::set<int> top;
    for (int i = 0; i < count; ++i) top.insert(order[size_t(i)].second);
    return top;
}

TEST(MusicTrack, PlaysInTuneAndEndsOnAnAMajorChord)
{
    const Track &t = renderedTrack();
    ASSERT_GE(t.frames(), long(demoSeconds() * kRate));
    // Bars on A minor from every section but the crash: most of the pitched energy is on A, C
    // and E (a quarter would be chance), and it sits on tempered notes (the bright basses' 7th,
    // 11th and 13th harmonics pull the mean a few cents; a track off by a rate mismatch or a
    // wrong reference would be tens of cents off). Then the last chord, clean and on A major.
    for (int bar : {8, 16, 24, 52, 68, 76, 82, 90}) {
        SCOPED_TRACE("bar " + std::to_string(bar));
        Chroma chroma = chromaAt(t, bar * score::kBarSec);
        double total = 0;
        for (double p : chroma.pitchClass) total += p;
        double triad = (chroma.pitchClass[9] + chroma.pitchClass[0] + chroma.pitchClass[4]) / total;
        EXPECT_GT(triad, 0.5);
        EXPECT_LT(std::fabs(chroma.meanCents), 15.0);
        EXPECT_GT(chroma.concentration, 0.2);
    }
    Chroma end = chromaAt(t, 112 * score::kBarSec);
    EXPECT_LT(std::fabs(end.meanCents), 5.0);
    EXPECT_GT(end.concentration, 0.5);
    EXPECT_EQ(strongest(end, 3), (std::set<int>{9, 1, 4}));
}

// ---- the staged MP3 ---------------------------------------------------------------------------

TEST(MusicMp3, DecodesToTheRenderedLengthFromTheFirstSampleWithoutClipping)
{
    const Track &t = renderedTrack();
    ASSERT_GT(t.frames(), 0);
    const Decoded &d = decodedStaged();
    ASSERT_GE(d.scannedFrames, 0) << "cannot open " VLM_STAGE_DIR "/data/tune.mp3";
    EXPECT_EQ(d.rate, 44100);
    EXPECT_EQ(d.channels, 2);
    EXPECT_GE(d.frames(), 220L * 44100);
    EXPECT_LE(std::labs(d.frames() - t.frames()), 1152L);  // within one MP3 frame
    EXPECT_EQ(d.scannedFrames, d.frames());
    long atRails = 0;
    for (int16_t s : d.pcm) atRails += s >= 32767 || s <= -32767;
    EXPECT_EQ(atRails, 0);
    // The LAME tag lets the decoder drop the encoder's delay: the best match is at offset 0.
    ASSERT_GT(d.frames(), long(2 * kRate));
    long bestOffset = 0;
    double best = -1e30;
    for (long offset = -1200; offset <= 1200; ++offset) {
        double sum = 0;
        for (long i = 4410; i < long(1.5 * kRate); i += 3)
            sum += double(d.pcm[size_t(2 * (i + offset))]) * t.pcm[size_t(2 * i)];
        if (sum > best) { best = sum; bestOffset = offset; }
    }
    EXPECT_EQ(bestOffset, 0);
}

TEST(MusicMp3, StaysAMinusOneDbTruePeakUnderFullScaleAtStreamingLoudness)
{
    // Between its samples the decoded waveform swings further than they do; a player's
    // converter follows it and clips above full scale, and loudness-normalising services turn
    // a track down further for a true peak over -1 dBTP.
    const Decoded &d = decodedStaged();
    ASSERT_GT(d.frames(), long(demoSeconds() * kRate)) << "cannot decode " VLM_STAGE_DIR "/data/tune.mp3";
    std::vector<float> sides[2];
    for (size_t i = 0; i < d.pcm.size(); ++i) sides[i % 2].push_back(d.pcm[i] / 32768.0f);
    double peakDb = dBFS(std::max(truePeak(sides[0]), truePeak(sides[1])));
    double loudness = integratedLoudness(decodedHops());
    printf("true peak %.2f dBTP, integrated loudness %.2f LUFS\n", peakDb, loudness);
    EXPECT_LE(peakDb, -1.0);
    EXPECT_GE(loudness, -16.0);
    EXPECT_LE(loudness, -13.0);
}

// The demo ends on the music's close, not inside a phrase: the last chord dies away, without a
// cliff, to at least 20 LU under the track's integrated loudness in the 300 ms before the end.
TEST(MusicMp3, DiesAwayTwentyDbUnderItsLoudnessByTheDemosEnd)
{
    const std::vector<double> &hops = decodedHops();
    const size_t end = size_t(std::lround(demoSeconds() * 10));  // hops of 100 ms
    ASSERT_GE(hops.size(), end) << "cannot decode " VLM_STAGE_DIR "/data/tune.mp3";
    double integrated = integratedLoudness(hops);
    double last = lufs((hops[end - 3] + hops[end - 2] + hops[end - 1]) / 3.0);
    printf("integrated %.1f LUFS, the 300 ms before %.0f s %.1f LUFS\n", integrated, demoSeconds(),
           last);
    EXPECT_LE(last, integrated - 20.0);
    // The last two seconds: each half second quieter than the one before, no 100 ms step down
    // a cliff (a cut, not a decay).
    double previous = 0;
    for (size_t k = end - 20; k < end; ++k) {
        EXPECT_GE(lufs(hops[k]) - lufs(hops[k - 1]), -10.0) << "at " << k / 10.0 << " s";
        if ((end - k) % 5) continue;
        double half = lufs((hops[k] + hops[k + 1] + hops[k + 2] + hops[k + 3] + hops[k + 4]) / 5.0);
        if (k > end - 20) {
            EXPECT_LT(half, previous) << "from " << k / 10.0 << " s";
        }
        previous = half;
    }
}

TEST(MusicMp3, OurSoundLayerOpensItWithTheRenderedLength)
{
    const Track &t = renderedTrack();
    ASSERT_GT(t.frames(), 0);
    // The calls the music module makes, with its values.
    FMOD_SYSTEM *system = nullptr;
    FMOD_SOUND *sound = nullptr;
    unsigned int version = 0, lengthMs = 0;
    ASSERT_EQ(FMOD_System_Create(&system), FMOD_OK);
    ASSERT_EQ(FMOD_System_GetVersion(system, &version), FMOD_OK);
    ASSERT_EQ(FMOD_System_Init(system, 1, FMOD_INIT_NORMAL, nullptr), FMOD_OK);
    ASSERT_EQ(FMOD_System_CreateSound(system, VLM_STAGE_DIR "/data/tune.mp3", 200, nullptr, &sound), FMOD_OK);
    ASSERT_EQ(FMOD_Sound_GetLength(sound, &lengthMs, FMOD_TIMEUNIT_MS), FMOD_OK);
    EXPECT_GE(lengthMs, 220000u);
    double renderedMs = t.frames() * 1000.0 / kRate;
    EXPECT_LE(std::fabs(lengthMs - renderedMs), 1152 * 1000.0 / kRate + 1.0);  // one frame, rounding
}

TEST(MusicMp3, TheToolWritesTheSameBytesEveryTime)
{
    std::string fresh = readFile(freshRender() + "/data/tune.mp3");
    std::string staged = readFile(VLM_STAGE_DIR "/data/tune.mp3");
    EXPECT_GT(fresh.size(), 3000000u);
    EXPECT_TRUE(fresh == staged) << "sizes " << fresh.size() << " and " << staged.size();
}

TEST(MusicMp3, FailsCleanlyOnAStageItCannotWrite)
{
    std::string cmd = "\"" VLM_BINARY_DIR "/tools/gen_music\" /nonexistent-stage > /dev/null";
    int status = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 255);
}

}  // namespace

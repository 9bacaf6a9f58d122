// Renders the score into the finished track: every note event through its instrument's voice
// into the master bus and the effect sends, the kick's pump on the music, ping-pong delay and
// reverb, the crash section's glitches, a master low cut, the limiter and the fade at the end.
// Deterministic: one thread, fixed order, noise seeded per event.
#pragma once
#include "score.h"
#include "synth.h"

#include <cstdint>
#include <vector>

namespace music {

using synth::kRate;

constexpr long kTrackFrames = long(score::kTrackBars * score::kBarSec * kRate);  // 225 s
// True-peak ceiling, -2.2 dBTP: the MP3 encoder's reconstruction overshoots the rendered
// waveform by up to about 0.9 dB, and the encoded file must stay at -1 dBTP or below.
constexpr float kCeiling = 0.776f;
constexpr float kMasterGain = 0.6f;    // into the limiter: about -14.8 LUFS integrated after it
constexpr double kFadeSec = 2.0;       // linear fade to silence at the very end (a guard: the
                                       // score's close has died away bars before)

// Nearest frame to a time in seconds.
inline long frameAt(double seconds) { return long(std::floor(seconds * kRate + 0.5)); }

// The buses everything is mixed into, one float per frame each.
struct Mix {
    long frames;
    std::vector<float> left, right;          // master
    std::vector<float> delaySend, reverbSend;  // mono effect sends
    std::vector<float> pump;                 // 0..1: how far the last kick pushes the music down
    explicit Mix(long n)
        : frames(n), left(n), right(n), delaySend(n), reverbSend(n), pump(n)
    {
    }
};

// Left and right gains of an equal-power pan (-1..1), 1 each in the centre.
inline void panGains(float pan, float *left, float *right)
{
    double angle = (std::min(1.0f, std::max(-1.0f, pan)) + 1.0) * synth::kPi / 4.0;
    *left = float(std::cos(angle) * 1.41421356);
    *right = float(std::sin(angle) * 1.41421356);
}

// Adds one stereo sample of an instrument at frame `at`, with its sends and the kick's pump.
inline void addSample(Mix &mix, const score::Instrument &ins, long at, float left, float right)
{
    float g = 1.0f - ins.duck * mix.pump[at];
    left *= g;
    right *= g;
    mix.left[at] += left;
    mix.right[at] += right;
    float mono = 0.5f * (left + right);
    mix.delaySend[at] += mono * ins.delaySend;
    mix.reverbSend[at] += mono * ins.reverbSend;
}

// Fills the pump curve: each kick dips it within 2 ms, then it recovers over an eighth note.
inline void buildPump(const std::vector<score::Event> &events,
                      const std::vector<score::Instrument> &instruments, Mix &mix)
{
    const long dip = kRate / 500, recover = long(score::kBeatSec / 2 * kRate);
    for (const score::Event &e : events) {
        if (instruments[e.instrument].voice != score::kKick) continue;
        long start = frameAt(e.startSec);
        for (long j = 0; j < dip + recover && start + j < mix.frames; ++j) {
            float x = j < dip ? float(j) / dip : 1.0f - float(j - dip) / recover;
            float amount = (j < dip ? x : x * x) * std::min(1.0f, e.velocity);
            mix.pump[start + j] = std::max(mix.pump[start + j], amount);
        }
    }
}

// One oscillator-and-filter note.
inline void renderTone(const score::Instrument &ins, const score::Event &e, uint32_t seed, Mix &mix)
{
    const long start = frameAt(e.startSec);
    const long heldFrames = std::max(1L, long(e.lengthSec * ins.gate * kRate));
    synth::EnvGen amp({ins.amp.attack, ins.amp.decay, ins.amp.sustain, ins.amp.release}, heldFrames);
    synth::EnvGen fenv({ins.filterEnv.attack, ins.filterEnv.decay, ins.filterEnv.sustain,
                        ins.filterEnv.release}, heldFrames);
    const long n = std::min(amp.length(), mix.frames - start);
    const int voices = std::max(1, std::min(ins.unison, 8));
    synth::Osc saws[8], pulses[8], sine;
    double ratio[8];
    float toLeft[8], toRight[8];
    synth::Noise noise(seed);
    for (int u = 0; u < voices; ++u) {
        float off = voices > 1 ? 2.0f * u / (voices - 1) - 1.0f : 0.0f;
        ratio[u] = std::pow(2.0, off * ins.detuneCents / 1200.0);
        panGains(ins.pan + off * ins.spread, &toLeft[u], &toRight[u]);
        float norm = 1.0f / std::sqrt(float(voices));
        toLeft[u] *= norm;
        toRight[u] *= norm;
        saws[u].phase = voices > 1 ? 0.5 + 0.5 * noise.next() : 0.0;
        pulses[u].phase = voices > 1 ? 0.5 + 0.5 * noise.next() : 0.0;
    }
    float centreLeft, centreRight;
    panGains(ins.pan, &centreLeft, &centreRight);
    const float keyCutoff = ins.cutoffHz * std::pow(2.0f, ins.keyTrack * (e.note - 60.0f) / 12.0f) *
                            e.cutoff * (0.75f + 0.25f * std::min(1.0f, e.velocity));
    const float level = e.velocity * ins.gain;
    synth::Svf filterL, filterR;
    double dt = 0.0;
    for (long i = 0; i < n; ++i) {
        float a = amp.next(), f = fenv.next();
        if ((i & 15) == 0) {  // control rate: pitch and cutoff every 16 frames
            double t = double(i) / kRate;
            double vib = ins.vibratoCents / 100.0 * std::min(1.0, t / 0.4) *
                         std::sin(2.0 * synth::kPi * ins.vibratoHz * t);
            double pitch = e.note + ins.dropSemis * std::exp(-t / ins.dropSec) + vib;
            dt = std::min(0.45, synth::noteHz(pitch) / kRate);
            float cut = keyCutoff * std::exp2(ins.envOctaves * f);
            filterL.set(cut, ins.resonance);
            filterR.set(cut, ins.resonance);
        }
        float l = 0.0f, r = 0.0f;
        for (int u = 0; u < voices; ++u) {
            double d = std::min(0.45, dt * ratio[u]);
            float v = 0.0f;
            if (ins.saw > 0) v += ins.saw * saws[u].saw(d);
            if (ins.pulse > 0) v += ins.pulse * pulses[u].pulse(d, ins.pulseWidth);
            l += v * toLeft[u];
            r += v * toRight[u];
        }
        if (ins.sine > 0) {
            float s = ins.sine * sine.sine(dt);
            l += s * centreLeft;
            r += s * centreRight;
        }
        if (ins.noise > 0) {
            float w = ins.noise * noise.next();
            l += w;
            r += w;
        }
        if (ins.drive != 1.0f) {
            l = synth::softClip(l * ins.drive);
            r = synth::softClip(r * ins.drive);
        }
        float g = a * level;
        addSample(mix, ins, start + i, filterL.process(l).low * g, filterR.process(r).low * g);
    }
}

// One drum or effect hit, rendered mono and panned.
inline void renderHit(const score::Instrument &ins, const score::Event &e, uint32_t seed, Mix &mix)
{
    const long start = frameAt(e.startSec);
    long n = mix.frames - start;
    long cap = ins.voice == score::kRiser ? frameAt(e.lengthSec) : long(7.0 * kRate);
    n = std::min(n, cap);
    if (n <= 0) return;
    std::vector<float> hit(n, 0.0f);
    float gain = ins.gain * e.velocity;
    switch (ins.voice) {
    case score::kKick: synth::kick(hit.data(), n, gain, ins.drumHz * 3.2f, ins.drumHz, ins.drumDecay, seed); break;
    case score::kSnare: synth::snare(hit.data(), n, gain, ins.drumHz, ins.drumDecay, seed); break;
    case score::kClap: synth::clap(hit.data(), n, gain, seed); break;
    case score::kHat:
    case score::kCymbal: synth::metal(hit.data(), n, gain, ins.drumDecay, ins.drumHz, seed); break;
    case score::kTom: synth::tom(hit.data(), n, gain, float(synth::noteHz(e.note)), seed); break;
    case score::kRiser: synth::riser(hit.data(), n, gain, seed); break;
    case score::kImpact: synth::impact(hit.data(), n, gain, seed); break;
    case score::kTone: break;
    }
    float toLeft, toRight;
    panGains(ins.pan, &toLeft, &toRight);
    for (long i = 0; i < n; ++i) addSample(mix, ins, start + i, hit[i] * toLeft, hit[i] * toRight);
}

// Plays every event into the mix, in score order.
inline void renderEvents(const std::vector<score::Event> &events,
                         const std::vector<score::Instrument> &instruments, Mix &mix)
{
    for (size_t k = 0; k < events.size(); ++k) {
        const score::Event &e = events[k];
        if (frameAt(e.startSec) >= mix.frames) continue;
        uint32_t seed = uint32_t(k * 2654435761u + 12345u);
        const score::Instrument &ins = instruments[e.instrument];
        if (ins.voice == score::kTone) renderTone(ins, e, seed, mix);
        else renderHit(ins, e, seed, mix);
    }
}

// One sample of a glitch cut, `j` frames into it, read from the source bars.
inline float glitchSample(const score::Glitch &g, const std::vector<float> &src, long base,
                          long length, long j, double *tapePos)
{
    const long stepFrames = frameAt(score::kStepSec);
    auto at = [&](long i) { return src[size_t(std::min(std::max(i, 0L), long(src.size()) - 1))]; };
    switch (g.op) {
    case score::kPlay: return at(base + j);
    case score::kStutter: {
        long slice = std::max(64L, long(g.param * stepFrames));
        long k = j % slice;
        float edge = std::min(1.0f, std::min(float(k), float(slice - k)) / 64.0f);
        return at(base + k) * edge;
    }
    case score::kReverse: return at(base + length - 1 - j);
    case score::kCrush: {
        float q = std::pow(2.0f, g.param - 1.0f);
        return std::round(at(base + (j & ~3L)) * q) / q;
    }
    case score::kTapeStop: {
        long i = long(*tapePos);
        float frac = float(*tapePos - double(i));
        *tapePos += 1.0 - double(j) / double(length);
        return at(base + i) * (1.0f - frac) + at(base + i + 1) * frac;
    }
    case score::kChop: {  // on for the first half of each period, with 32-frame ramps
        long period = std::max(128L, long(g.param * stepFrames)), k = j % period;
        float gate = std::min(1.0f, std::min(float(k), float(period / 2 - k)) / 32.0f);
        return k < period / 2 ? at(base + j) * gate : 0.0f;
    }
    }
    return 0.0f;
}

// The crash section: cuts of the two bars before it, rearranged by the glitch script and added
// over whatever already plays there.
inline void applyGlitches(Mix &mix)
{
    const long stepFrames = frameAt(score::kStepSec);
    const long srcStart = frameAt(score::kGlitchSourceBar * score::kBarSec);
    const long dstStart = frameAt(score::kGlitchBar * score::kBarSec);
    const long srcFrames = 32 * stepFrames;
    std::vector<float> srcL(mix.left.begin() + srcStart, mix.left.begin() + srcStart + srcFrames);
    std::vector<float> srcR(mix.right.begin() + srcStart, mix.right.begin() + srcStart + srcFrames);
    for (const score::Glitch &g : score::makeGlitches()) {
        long base = g.srcStep * stepFrames, length = g.steps * stepFrames;
        long out = dstStart + g.atStep * stepFrames;
        double tapeL = 0.0, tapeR = 0.0;
        for (long j = 0; j < length && out + j < mix.frames; ++j) {
            float fade = std::min(1.0f, std::min(float(j), float(length - j)) / 66.0f) * g.gain;
            mix.left[out + j] += fade * glitchSample(g, srcL, base, length, j, &tapeL);
            mix.right[out + j] += fade * glitchSample(g, srcR, base, length, j, &tapeR);
        }
    }
}

// Runs the sends through the delay and the reverb and adds them to the master.
inline void applyEffects(Mix &mix)
{
    long delayFrames = frameAt(0.75 * score::kBeatSec);  // a dotted eighth
    std::vector<float> echoL(mix.frames, 0.0f), echoR(mix.frames, 0.0f);
    synth::pingPong(mix.delaySend.data(), echoL.data(), echoR.data(), mix.frames, delayFrames, 0.42f);
    for (long i = 0; i < mix.frames; ++i) {
        mix.left[i] += echoL[i];
        mix.right[i] += echoR[i];
        mix.reverbSend[i] += 0.25f * (echoL[i] + echoR[i]);
    }
    synth::Reverb room(2.4f);
    room.run(mix.reverbSend.data(), mix.left.data(), mix.right.data(), mix.frames);
}

// The master: low cut, gain, limiter, end fade; interleaved stereo whose reconstructed waveform
// stays within +-kCeiling. The limiter looks 5 ms ahead and lets go over 0.12 s: on this mix it
// takes 0.3 dB on average in the loudest sections, at most about 4.5 dB, and more than 3 dB for
// 0.2 s of the whole track.
inline std::vector<float> master(Mix &mix)
{
    synth::Svf lowCutL, lowCutR;
    lowCutL.set(28.0f, 0.0f);
    lowCutR.set(28.0f, 0.0f);
    std::vector<float> stereo(size_t(2 * mix.frames));
    for (long i = 0; i < mix.frames; ++i) {
        stereo[2 * i] = kMasterGain * lowCutL.process(mix.left[i]).high;
        stereo[2 * i + 1] = kMasterGain * lowCutR.process(mix.right[i]).high;
    }
    synth::limit(stereo, kCeiling, kRate / 200, 0.12f);
    long fadeFrames = frameAt(kFadeSec);
    for (long i = mix.frames - fadeFrames; i < mix.frames; ++i) {
        float g = float(mix.frames - 1 - i) / float(fadeFrames);
        stereo[2 * i] *= g;
        stereo[2 * i + 1] *= g;
    }
    return stereo;
}

// The whole track as interleaved stereo floats (left, right), kTrackFrames frames.
inline std::vector<float> renderTrack()
{
    std::vector<score::Instrument> instruments = score::makeInstruments();
    std::vector<score::Event> events = score::compile(score::makeSections());
    Mix mix(kTrackFrames);
    buildPump(events, instruments, mix);
    renderEvents(events, instruments, mix);
    applyEffects(mix);
    applyGlitches(mix);
    return master(mix);
}

// 16-bit PCM of a float signal, with triangular dither from a fixed seed; exact zeros stay
// zero so that the silence at the end is digital silence.
inline std::vector<int16_t> toPcm16(const std::vector<float> &samples)
{
    std::vector<int16_t> pcm(samples.size());
    synth::Noise a(0x1234567u), b(0x89abcdefu);
    for (size_t i = 0; i < samples.size(); ++i) {
        if (samples[i] == 0.0f) continue;
        float v = samples[i] * 32767.0f + 0.5f * (a.next() + b.next());
        pcm[i] = int16_t(std::lround(std::min(32767.0f, std::max(-32767.0f, v))));
    }
    return pcm;
}

}  // namespace music

// Synthesiser building blocks for the music tool: band-limited oscillators, envelopes, a
// resonant filter, drum voices, a ping-pong delay, a reverb, a true-peak meter and the master
// limiter.
// Everything works on float samples at kRate Hz (nominal full scale -1..1) and is deterministic:
// noise comes from seeded generators; nothing reads the clock, the environment or threads.
//
// Index: pitch and noise | oscillators | envelope | filter | drums | delay | reverb | true peak
//        and limiter
#pragma once
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace synth {

constexpr int kRate = 44100;  // samples per second per channel
constexpr double kPi = 3.14159265358979323846;

// ---- pitch and noise --------------------------------------------------------------------------

// Frequency in Hz of a MIDI note number (69 = A4 = 440 Hz); fractions detune.
inline double noteHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

// Seeded white noise, uniform in -1..1 (xorshift32: the same seed gives the same sequence).
struct Noise {
    uint32_t state;
    explicit Noise(uint32_t seed) : state(seed ? seed : 0x9e3779b9u) {}
    float next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return float(int32_t(state)) * (1.0f / 2147483648.0f);
    }
};

// Soft saturation: odd, about x for small x, approaching +-1 smoothly, exactly +-1 beyond +-3.
inline float softClip(float x)
{
    if (x > 3.0f) return 1.0f;
    if (x < -3.0f) return -1.0f;
    float x2 = x * x;
    return x * (27.0f + x2) / (27.0f + 9.0f * x2);
}

// ---- oscillators ------------------------------------------------------------------------------

// Correction that removes most of the aliasing of a unit step at phase 0.
// `t`: phase in cycles 0..1; `dt`: phase advance per sample (cycles).
inline float polyBlep(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return float(t + t - t * t - 1.0);
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return float(t * t + t + t + 1.0);
    }
    return 0.0f;
}

// One oscillator; every call returns the sample at the current phase and advances it by `dt`
// cycles (dt = Hz / kRate, below 0.5). Saw and pulse are band-limited with polyBLEP.
struct Osc {
    double phase = 0.0;  // cycles, 0..1

    float saw(double dt)
    {
        float v = float(2.0 * phase - 1.0) - polyBlep(phase, dt);
        advance(dt);
        return v;
    }
    // `width`: fraction of the cycle spent high, 0.05..0.95.
    float pulse(double dt, double width)
    {
        float v = phase < width ? 1.0f : -1.0f;
        v += polyBlep(phase, dt);
        double fall = phase - width;
        if (fall < 0.0) fall += 1.0;
        v -= polyBlep(fall, dt);
        advance(dt);
        return v;
    }
    float sine(double dt)
    {
        float v = float(std::sin(2.0 * kPi * phase));
        advance(dt);
        return v;
    }
    void advance(double dt)
    {
        phase += dt;
        phase -= std::floor(phase);
    }
};

// ---- envelope ---------------------------------------------------------------------------------

// Envelope shape, all times in seconds: linear attack to 1, exponential decay towards
// `sustain` (0..1) with time constant `decay`, exponential release that reaches -60 dB after
// `release` seconds.
struct Adsr {
    float attack = 0.002f, decay = 0.2f, sustain = 1.0f, release = 0.1f;
};

// Runs an Adsr one sample at a time; the gate closes after `heldSamples`.
class EnvGen {
public:
    EnvGen(const Adsr &shape, long heldSamples) : shape_(shape), held_(heldSamples)
    {
        attackStep_ = 1.0f / std::max(1.0f, shape.attack * kRate);
        decayMul_ = float(std::exp(-1.0 / std::max(1.0, double(shape.decay) * kRate)));
        releaseMul_ = float(std::exp(-6.9078 / std::max(1.0, double(shape.release) * kRate)));
    }
    // Level 0..1 of the next sample.
    float next()
    {
        if (pos_++ >= held_) {
            level_ *= releaseMul_;
        } else if (attacking_) {
            level_ += attackStep_;
            if (level_ >= 1.0f) {
                level_ = 1.0f;
                attacking_ = false;
            }
        } else {
            level_ = shape_.sustain + (level_ - shape_.sustain) * decayMul_;
        }
        return level_;
    }
    // Samples the envelope sounds in all: held time plus release.
    long length() const { return held_ + long(shape_.release * kRate) + 1; }

private:
    Adsr shape_;
    long held_, pos_ = 0;
    float level_ = 0.0f, attackStep_, decayMul_, releaseMul_;
    bool attacking_ = true;
};

// ---- filter -----------------------------------------------------------------------------------

// Resonant state-variable filter with trapezoidal integrators: stable however fast the cutoff
// moves. Gives low-, band- and high-pass outputs of the same input at once.
class Svf {
public:
    struct Out { float low, band, high; };

    // `cutoffHz` is clamped to 16 Hz..0.45 * kRate; `resonance` 0..1 (1 = just short of ringing).
    void set(float cutoffHz, float resonance)
    {
        float fc = std::min(std::max(cutoffHz, 16.0f), 0.45f * kRate);
        float g = float(std::tan(kPi * fc / kRate));
        k_ = 2.0f - 1.96f * std::min(std::max(resonance, 0.0f), 1.0f);
        a1_ = 1.0f / (1.0f + g * (g + k_));
        a2_ = g * a1_;
        a3_ = g * a2_;
    }
    Out process(float in)
    {
        float v3 = in - ic2_;
        float v1 = a1_ * ic1_ + a2_ * v3;
        float v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
        ic1_ = 2.0f * v1 - ic1_;
        ic2_ = 2.0f * v2 - ic2_;
        return {v2, v1, in - k_ * v1 - v2};
    }

private:
    float ic1_ = 0, ic2_ = 0, k_ = 2, a1_ = 1, a2_ = 0, a3_ = 0;
};

// One-pole low-pass, for smoothing and for damping inside feedback loops.
struct OnePole {
    float coef = 0, state = 0;
    void setHz(float hz) { coef = float(std::exp(-2.0 * kPi * hz / kRate)); }
    float low(float in) { return state = in + coef * (state - in); }
};

// ---- drums ------------------------------------------------------------------------------------
// Each voice adds its hit, scaled by `gain`, into out[0..frames) of a mono buffer, starting at
// out[0]; it writes nothing past `frames`. `seed` picks the noise.

// Kick: a sine whose pitch falls from `startHz` to `endHz`, with a short noise click.
inline void kick(float *out, long frames, float gain, float startHz, float endHz, float decaySec,
                 uint32_t seed)
{
    Noise noise(seed);
    double phase = 0.0;
    long n = std::min(frames, long(decaySec * 6.0f * kRate));
    for (long i = 0; i < n; ++i) {
        double t = double(i) / kRate;
        double hz = endHz + (startHz - endHz) * std::exp(-t / 0.03);
        phase += hz / kRate;
        float amp = float(std::exp(-t / decaySec)) * std::min(1.0f, float(i) / 40.0f);
        float body = softClip(1.6f * float(std::sin(2.0 * kPi * phase))) * amp;
        float click = noise.next() * float(std::exp(-t / 0.0025)) * 0.35f;
        out[i] += gain * (body + click);
    }
}

// Snare: a short pitched body under band-passed noise.
inline void snare(float *out, long frames, float gain, float toneHz, float decaySec, uint32_t seed)
{
    Noise noise(seed);
    Svf hp, bp;
    hp.set(900.0f, 0.1f);
    bp.set(5200.0f, 0.2f);
    double phase = 0.0;
    long n = std::min(frames, long(decaySec * 7.0f * kRate));
    for (long i = 0; i < n; ++i) {
        double t = double(i) / kRate;
        phase += (toneHz + 60.0 * std::exp(-t / 0.01)) / kRate;
        float body = float(std::sin(2.0 * kPi * phase) * std::exp(-t / 0.05));
        float w = noise.next();
        float hiss = hp.process(w).high * 0.8f + bp.process(w).band * 0.9f;
        float env = float(std::exp(-t / decaySec)) * std::min(1.0f, float(i) / 20.0f);
        out[i] += gain * (0.6f * body + hiss * env);
    }
}

// Clap: three quick bursts of band-passed noise, then a decaying tail.
inline void clap(float *out, long frames, float gain, uint32_t seed)
{
    Noise noise(seed);
    Svf bp;
    bp.set(1300.0f, 0.45f);
    long n = std::min(frames, long(0.45 * kRate));
    for (long i = 0; i < n; ++i) {
        double t = double(i) / kRate;
        double burst = std::fmod(t, 0.011);
        float env = t < 0.033 ? float(std::exp(-burst / 0.003)) : float(std::exp(-(t - 0.033) / 0.08));
        out[i] += gain * 2.2f * bp.process(noise.next()).band * env;
    }
}

// Hi-hat or cymbal: high-passed noise with some metallic square partials; `decaySec` sets
// closed (short) or open (long).
inline void metal(float *out, long frames, float gain, float decaySec, float hpHz, uint32_t seed)
{
    static const double ratios[6] = {1.0, 1.342, 1.2312, 1.6532, 1.9523, 2.1523};
    Noise noise(seed);
    Svf hp, hp2;
    hp.set(hpHz, 0.2f);
    hp2.set(hpHz, 0.0f);
    Osc osc[6];
    long n = std::min(frames, long(decaySec * 7.0f * kRate));
    for (long i = 0; i < n; ++i) {
        double t = double(i) / kRate;
        float ring = 0.0f;
        for (int k = 0; k < 6; ++k) ring += osc[k].pulse(ratios[k] * 410.0 / kRate, 0.5);
        float v = hp.process(noise.next() + 0.25f * ring).high;
        v = hp2.process(v).high;
        float env = float(std::exp(-t / decaySec)) * std::min(1.0f, float(i) / 10.0f);
        out[i] += gain * v * env;
    }
}

// Tom: a pitched sine that bends down a little, with a touch of noise.
inline void tom(float *out, long frames, float gain, float hz, uint32_t seed)
{
    Noise noise(seed);
    double phase = 0.0;
    long n = std::min(frames, long(0.9 * kRate));
    for (long i = 0; i < n; ++i) {
        double t = double(i) / kRate;
        phase += hz * (1.0 + 0.5 * std::exp(-t / 0.02)) / kRate;
        float env = float(std::exp(-t / 0.16)) * std::min(1.0f, float(i) / 30.0f);
        float v = float(std::sin(2.0 * kPi * phase)) + 0.1f * noise.next() * float(std::exp(-t / 0.01));
        out[i] += gain * softClip(1.3f * v) * env;
    }
}

// Riser: noise through a band-pass sweeping up from 250 Hz to 9 kHz over `frames`, swelling.
inline void riser(float *out, long frames, float gain, uint32_t seed)
{
    Noise noise(seed);
    Svf bp;
    for (long i = 0; i < frames; ++i) {
        float x = float(i) / float(frames);
        if ((i & 15) == 0) bp.set(250.0f * std::pow(36.0f, x), 0.55f);
        out[i] += gain * bp.process(noise.next()).band * x * x * 1.6f;
    }
}

// Impact: a deep falling sine boom with a burst of noise falling through a low-pass.
inline void impact(float *out, long frames, float gain, uint32_t seed)
{
    Noise noise(seed);
    Svf lp;
    double phase = 0.0;
    long n = std::min(frames, long(3.0 * kRate));
    for (long i = 0; i < n; ++i) {
        double t = double(i) / kRate;
        if ((i & 15) == 0) lp.set(float(6000.0 * std::exp(-t / 0.25) + 80.0), 0.2f);
        phase += (38.0 + 70.0 * std::exp(-t / 0.08)) / kRate;
        float boom = softClip(1.5f * float(std::sin(2.0 * kPi * phase))) * float(std::exp(-t / 0.7));
        float wash = lp.process(noise.next()).low * float(std::exp(-t / 0.6));
        out[i] += gain * (boom + 0.7f * wash) * std::min(1.0f, float(i) / 30.0f);
    }
}

// ---- delay ------------------------------------------------------------------------------------

// Ping-pong delay: a mono send bounces left, right, left... every `delaySamples`, each echo
// `feedback` (0..0.9) times the last and darker. Adds the echoes into left/right.
inline void pingPong(const float *send, float *left, float *right, long frames, long delaySamples,
                     float feedback)
{
    std::vector<float> lineL(delaySamples, 0.0f), lineR(delaySamples, 0.0f);
    OnePole dampL, dampR;
    dampL.setHz(3500.0f);
    dampR.setHz(3500.0f);
    float hpState = 0.0f;  // removes the lows that would muddy the echoes
    long at = 0;
    for (long i = 0; i < frames; ++i) {
        float in = send[i];
        hpState += 0.03f * (in - hpState);
        in -= hpState;
        float outL = lineL[at], outR = lineR[at];
        lineL[at] = in + feedback * dampR.low(outR);
        lineR[at] = feedback * dampL.low(outL);
        left[i] += outL;
        right[i] += outR;
        if (++at == delaySamples) at = 0;
    }
}

// ---- reverb -----------------------------------------------------------------------------------

// Stereo room from a mono send: input diffusers, then eight damped delay lines mixed by a
// Hadamard matrix (a feedback delay network). Decay to -60 dB takes `seconds`.
class Reverb {
public:
    explicit Reverb(float seconds)
    {
        static const int lengths[8] = {1493, 1627, 1861, 2053, 2267, 2437, 2621, 2819};
        static const int diffusers[4] = {113, 173, 293, 421};
        for (int k = 0; k < 8; ++k) {
            line_[k].assign(lengths[k], 0.0f);
            gain_[k] = float(std::pow(10.0, -3.0 * lengths[k] / (seconds * kRate)));
            damp_[k].setHz(5200.0f);
        }
        for (int k = 0; k < 4; ++k) diffuse_[k].assign(diffusers[k], 0.0f);
        preDelay_.assign(kRate / 50, 0.0f);
    }
    // Adds the wet room of send[0..frames) into left/right.
    void run(const float *send, float *left, float *right, long frames)
    {
        for (long i = 0; i < frames; ++i) {
            float wet[2];
            step(send[i], wet);
            left[i] += wet[0];
            right[i] += wet[1];
        }
    }

private:
    void step(float in, float wet[2])
    {
        float x = preDelay_[preAt_];
        preDelay_[preAt_] = in;
        preAt_ = (preAt_ + 1) % long(preDelay_.size());
        for (int k = 0; k < 4; ++k) x = allpass(k, x);
        float v[8];
        for (int k = 0; k < 8; ++k) v[k] = line_[k][at_[k]];
        wet[0] = 0.45f * (v[0] - v[2] + v[4] - v[6]);
        wet[1] = 0.45f * (v[1] - v[3] + v[5] - v[7]);
        hadamard(v);
        for (int k = 0; k < 8; ++k) {
            float back = damp_[k].low(v[k]) * gain_[k];
            line_[k][at_[k]] = back + ((k & 1) ? -x : x);
            if (++at_[k] == long(line_[k].size())) at_[k] = 0;
        }
    }
    float allpass(int k, float x)
    {
        std::vector<float> &d = diffuse_[k];
        float delayed = d[diffAt_[k]];
        float y = delayed - 0.6f * x;
        d[diffAt_[k]] = x + 0.6f * y;
        if (++diffAt_[k] == long(d.size())) diffAt_[k] = 0;
        return y;
    }
    // In-place fast Walsh-Hadamard transform scaled to keep energy (1/sqrt(8)).
    static void hadamard(float v[8])
    {
        for (int span = 1; span < 8; span <<= 1)
            for (int i = 0; i < 8; i += span << 1)
                for (int j = i; j < i + span; ++j) {
                    float a = v[j], b = v[j + span];
                    v[j] = a + b;
                    v[j + span] = a - b;
                }
        for (int k = 0; k < 8; ++k) v[k] *= 0.35355339f;
    }

    std::vector<float> line_[8], diffuse_[4], preDelay_;
    long at_[8] = {}, diffAt_[4] = {}, preAt_ = 0;
    float gain_[8];
    OnePole damp_[8];
};

// ---- true peak and limiter --------------------------------------------------------------------

// Reconstructs the waveform between samples, as a player's converter does: 4x oversampling by a
// Kaiser-windowed sinc (beta 8) over 32 neighbouring samples, flat within 0.05 dB to 19 kHz at
// 44.1 kHz (0.8 dB down at 20 kHz), as far as music and the MP3 encoder reach.
// A signal whose samples stay within +-1 can swing well past 1 between them (a quarter-rate
// sine sampled at 45 degrees reads 0.707 of its peak); that swing is what clips a player.
class TruePeak {
public:
    static constexpr int kTaps = 32;  // input samples per interpolated value

    TruePeak()
    {
        const double beta = 8.0, half = kTaps / 2;
        for (int p = 0; p < 3; ++p) {
            double sum = 0.0, c[kTaps];
            for (int k = 0; k < kTaps; ++k) {
                double t = k - (half - 1) - (p + 1) / 4.0;  // distance from the value, in samples
                double r = t / half;
                c[k] = sinc(t) * besselI0(beta * std::sqrt(std::max(0.0, 1.0 - r * r))) / besselI0(beta);
                sum += c[k];
            }
            for (int k = 0; k < kTaps; ++k) coef_[p][k] = float(c[k] / sum);  // unity at DC
        }
    }
    // Largest magnitude of the reconstructed waveform from sample `i` up to (not including)
    // sample i + 1 of x[0], x[stride], ... x[(n - 1) * stride]; samples outside are silence.
    float around(const float *x, long stride, long n, long i) const
    {
        const long first = i - (kTaps / 2 - 1);
        float window[kTaps];
        if (first >= 0 && first + kTaps <= n) {
            for (int k = 0; k < kTaps; ++k) window[k] = x[(first + k) * stride];
        } else {
            for (int k = 0; k < kTaps; ++k) {
                long at = first + k;
                window[k] = at >= 0 && at < n ? x[at * stride] : 0.0f;
            }
        }
        float a = 0.0f, b = 0.0f, c = 0.0f;  // three independent sums, one per quarter
        for (int k = 0; k < kTaps; ++k) {
            a += coef_[0][k] * window[k];
            b += coef_[1][k] * window[k];
            c += coef_[2][k] * window[k];
        }
        return std::max(std::max(std::fabs(x[i * stride]), std::fabs(a)),
                        std::max(std::fabs(b), std::fabs(c)));
    }
    // Per frame of an interleaved stereo buffer: the larger side's around().
    std::vector<float> ofStereo(const std::vector<float> &stereo) const
    {
        long frames = long(stereo.size() / 2);
        std::vector<float> peak(frames);
        for (long i = 0; i < frames; ++i)
            peak[i] = std::max(around(stereo.data(), 2, frames, i), around(stereo.data() + 1, 2, frames, i));
        return peak;
    }

private:
    static double sinc(double t) { return t == 0.0 ? 1.0 : std::sin(kPi * t) / (kPi * t); }
    // Modified Bessel function of the first kind, order 0, by its power series.
    static double besselI0(double x)
    {
        double term = 1.0, sum = 1.0;
        for (int k = 1; k < 40; ++k) {
            term *= (x / (2.0 * k)) * (x / (2.0 * k));
            sum += term;
        }
        return sum;
    }
    float coef_[3][kTaps];
};

// True-peak limiter over a whole interleaved stereo buffer (offline, so it looks ahead freely):
// afterwards the reconstructed waveform (TruePeak) stays within `ceiling` (linear, 0..1), and so
// does every sample. Around a peak the gain holds across the interpolator's reach, so that the
// waveform there is scaled, not reshaped; before it the gain falls linearly over
// `lookaheadSamples`, after it recovers with time constant `releaseSec`. A gain that moves under
// the interpolator still reshapes the waveform a little, so the result is measured again and
// the gain held flat, and lower, wherever it is still over, until nothing is.
inline void limit(std::vector<float> &stereo, float ceiling, long lookaheadSamples, float releaseSec)
{
    const long frames = long(stereo.size() / 2), reach = TruePeak::kTaps / 2;
    const TruePeak truePeak;
    const std::vector<float> source = stereo;
    std::vector<float> need(frames, 1.0f), gain(frames, 1.0f), peak = truePeak.ofStereo(source);
    const float step = 1.0f / float(lookaheadSamples);
    const float recover = 1.0f - float(std::exp(-1.0 / (releaseSec * kRate)));
    for (int round = 0; round < 16; ++round) {
        std::vector<long> over;
        for (long i = 0; i < frames; ++i)
            if (peak[i] > ceiling) over.push_back(i);
        if (over.empty()) return;
        for (long i : over) {
            long from = std::max(0L, i - reach), to = std::min(frames - 1, i + reach);
            // Below the lowest gain already under the interpolator; the margin makes each round
            // overshoot less than the last, whatever the rounding.
            float want = *std::min_element(&gain[from], &gain[to] + 1) * (ceiling / peak[i]) * 0.9995f;
            for (long j = from; j <= to; ++j) need[j] = std::min(need[j], want);
        }
        // Backwards: reach each required gain by a ramp over the look-ahead before it.
        gain = need;
        for (long i = frames - 2; i >= 0; --i) gain[i] = std::min(gain[i], gain[i + 1] + step);
        // Forwards: recover slowly, never above what the backward pass allows.
        float g = 1.0f;
        for (long i = 0; i < frames; ++i) {
            gain[i] = g = std::min(gain[i], g + (1.0f - g) * recover);
            stereo[2 * i] = source[2 * i] * g;
            stereo[2 * i + 1] = source[2 * i + 1] * g;
        }
        peak = truePeak.ofStereo(stereo);
    }
    // Not reached with music; a pathological buffer still leaves with its samples in range.
    for (float &v : stereo) v = std::min(ceiling, std::max(-ceiling, v));
}

}  // namespace synth

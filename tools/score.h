// The demo's track written as data: instruments, patterns, sections and the crash section's
// glitch script, plus `compile`, which turns them into timed note events.
// 128 beats per minute, 16 steps (sixteenth notes) to a 4/4 bar of 1.875 s; the sections start
// on the bars where the demo's scenes change (16, 24, 40, 44, 68, 80).
//
// Pattern language (one token per step, patterns repeat over the part's bars; '|' and spaces
// between bars are only for the reader):
//   hits   'X' accent, 'x' hit, 'o' ghost, '.' rest, '-' holds the previous hit
//   bass   digit k: chord tone k%3 (root, third, fifth) of the bar's chord in root position,
//          k/3 octaves up, the root at or above `low`; '.' rest, '-' hold
//   arp    like bass, but the chord's tones are voiced inside the octave from `low`
//   chord  'x' plays the bar's whole chord voiced inside the octave from `low`; '.' '-'
//   melody space-separated note names ("A4", "C#5", "Bb3"), "." rest, "-" hold
#pragma once
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace score {

constexpr double kBeatSec = 60.0 / 128.0;
constexpr double kBarSec = 4.0 * kBeatSec;   // 1.875 s
constexpr double kStepSec = kBarSec / 16.0;  // one sixteenth note
constexpr int kTrackBars = 120;              // 225 s: the demo's 216 s, then silence

// ---- instruments ------------------------------------------------------------------------------

// How an instrument makes its sound: a tone (oscillators, filter, envelopes) or a drum voice.
enum Voice { kTone, kKick, kSnare, kClap, kHat, kCymbal, kTom, kRiser, kImpact };

struct Envelope {
    float attack, decay, sustain, release;  // seconds, seconds, level 0..1, seconds to -60 dB
};

struct Instrument {
    const char *name;
    Voice voice = kTone;
    // tone: oscillator levels (`unison` detuned saws and pulses, a sine at the pitch, noise)
    float saw = 0, pulse = 0, pulseWidth = 0.5f, sine = 0, noise = 0;
    int unison = 1;
    float detuneCents = 0;   // spread of the unison voices, outermost to centre
    float spread = 0;        // stereo spread of the unison voices, 0..1
    Envelope amp = {0.002f, 0.3f, 1.0f, 0.1f};
    float cutoffHz = 8000;   // filter cutoff at C4 before envelope and automation
    float keyTrack = 0.5f;   // 0..1: how far the cutoff follows the pitch
    float envOctaves = 0;    // filter envelope depth in octaves
    float resonance = 0.2f;  // 0..1
    Envelope filterEnv = {0.001f, 0.2f, 0.0f, 0.2f};
    float drive = 1;         // gain into the saturator before the filter (1 = clean)
    float vibratoCents = 0, vibratoHz = 5.5f;
    float dropSemis = 0, dropSec = 0.02f;  // pitch starts this much higher and falls back
    float gate = 1;          // fraction of the written length the note is held
    // drums: tuning and decay where the voice has them
    float drumHz = 0, drumDecay = 0.2f;
    // mix
    float gain = 1, pan = 0;          // pan -1 (left) .. 1 (right)
    float delaySend = 0, reverbSend = 0;
    float duck = 0;                   // 0..1: how deep the kick pumps it
};

enum InstrumentId {
    kKickDrum, kHardKick, kSnareDrum, kClapDrum, kClosedHat, kOpenHat, kCrashCymbal, kTomDrum,
    kRiserFx, kImpactFx, kRollBass, kOctaveBass, kDarkBass, kDroneBass, kPad, kEndPad, kArp,
    kSoftLead, kLead, kBell, kAlarm, kBeep, kInstrumentCount
};

inline std::vector<Instrument> makeInstruments()
{
    std::vector<Instrument> t(kInstrumentCount);
    Instrument *i;

    i = &t[kKickDrum]; i->name = "kick"; i->voice = kKick;
    i->drumHz = 55; i->drumDecay = 0.16f; i->gain = 0.95f;
    i = &t[kHardKick]; i->name = "hard kick"; i->voice = kKick;
    i->drumHz = 49; i->drumDecay = 0.26f; i->gain = 0.85f; i->reverbSend = 0.06f;
    i = &t[kSnareDrum]; i->name = "snare"; i->voice = kSnare;
    i->drumHz = 185; i->drumDecay = 0.11f; i->gain = 0.5f; i->reverbSend = 0.22f; i->pan = 0.05f;
    i = &t[kClapDrum]; i->name = "clap"; i->voice = kClap;
    i->gain = 0.34f; i->reverbSend = 0.2f; i->pan = -0.08f;
    i = &t[kClosedHat]; i->name = "closed hat"; i->voice = kHat;
    i->drumDecay = 0.022f; i->drumHz = 7500; i->gain = 0.22f; i->pan = 0.4f;
    i = &t[kOpenHat]; i->name = "open hat"; i->voice = kHat;
    i->drumDecay = 0.13f; i->drumHz = 6500; i->gain = 0.16f; i->pan = -0.35f; i->duck = 0.3f;
    i = &t[kCrashCymbal]; i->name = "crash"; i->voice = kCymbal;
    i->drumDecay = 0.9f; i->drumHz = 3800; i->gain = 0.2f; i->reverbSend = 0.25f;
    i = &t[kTomDrum]; i->name = "tom"; i->voice = kTom;
    i->gain = 0.5f; i->reverbSend = 0.25f;
    i = &t[kRiserFx]; i->name = "riser"; i->voice = kRiser;
    i->gain = 0.14f; i->reverbSend = 0.3f;
    i = &t[kImpactFx]; i->name = "impact"; i->voice = kImpact;
    i->gain = 0.55f; i->reverbSend = 0.35f;

    i = &t[kRollBass]; i->name = "rolling bass";
    i->saw = 0.8f; i->sine = 0.6f; i->amp = {0.002f, 0.12f, 0.5f, 0.05f};
    i->cutoffHz = 260; i->envOctaves = 2.6f; i->resonance = 0.35f;
    i->filterEnv = {0.001f, 0.07f, 0.0f, 0.05f}; i->gate = 0.8f;
    i->gain = 0.7f; i->duck = 0.85f;
    i = &t[kOctaveBass]; i->name = "octave bass";
    i->saw = 0.6f; i->pulse = 0.4f; i->pulseWidth = 0.35f; i->sine = 0.7f; i->unison = 2;
    i->detuneCents = 6; i->amp = {0.002f, 0.18f, 0.6f, 0.06f};
    i->cutoffHz = 340; i->envOctaves = 2.2f; i->resonance = 0.3f;
    i->filterEnv = {0.001f, 0.1f, 0.0f, 0.05f}; i->gate = 0.85f;
    i->gain = 0.42f; i->duck = 0.75f;
    i = &t[kDarkBass]; i->name = "dark bass";
    i->saw = 1.0f; i->sine = 0.8f; i->unison = 2; i->detuneCents = 12; i->drive = 2.5f;
    i->amp = {0.002f, 0.15f, 0.7f, 0.05f}; i->cutoffHz = 190; i->envOctaves = 2.8f;
    i->resonance = 0.45f; i->filterEnv = {0.001f, 0.09f, 0.05f, 0.05f}; i->gate = 0.9f;
    i->gain = 0.34f; i->duck = 0.6f;
    i = &t[kDroneBass]; i->name = "drone";
    i->saw = 0.7f; i->sine = 1.0f; i->unison = 3; i->detuneCents = 15; i->spread = 0.5f;
    i->amp = {0.4f, 1.0f, 1.0f, 1.5f}; i->cutoffHz = 160; i->resonance = 0.5f; i->drive = 1.8f;
    i->gain = 0.13f; i->reverbSend = 0.1f;

    i = &t[kPad]; i->name = "pad";
    i->saw = 0.5f; i->unison = 6; i->detuneCents = 16; i->spread = 0.85f;
    i->amp = {0.35f, 1.0f, 1.0f, 1.1f}; i->cutoffHz = 1500; i->keyTrack = 0.3f;
    i->resonance = 0.15f; i->gain = 0.11f; i->reverbSend = 0.35f; i->duck = 0.55f;
    i = &t[kEndPad]; i->name = "end pad";
    i->saw = 0.5f; i->unison = 6; i->detuneCents = 14; i->spread = 0.9f;
    i->amp = {0.05f, 1.5f, 0.55f, 5.0f}; i->cutoffHz = 1800; i->keyTrack = 0.3f;
    i->resonance = 0.15f; i->vibratoCents = 6; i->vibratoHz = 4.5f;
    i->gain = 0.13f; i->reverbSend = 0.45f;
    i = &t[kArp]; i->name = "arp";
    i->saw = 0.5f; i->pulse = 0.6f; i->pulseWidth = 0.3f; i->unison = 2; i->detuneCents = 6;
    i->spread = 0.8f; i->amp = {0.001f, 0.1f, 0.0f, 0.08f};
    i->cutoffHz = 1300; i->envOctaves = 2.0f; i->resonance = 0.45f;
    i->filterEnv = {0.001f, 0.07f, 0.0f, 0.05f}; i->gate = 0.6f;
    i->gain = 0.2f; i->pan = 0.15f; i->delaySend = 0.3f; i->reverbSend = 0.15f; i->duck = 0.4f;
    i = &t[kSoftLead]; i->name = "soft lead";
    i->pulse = 0.7f; i->pulseWidth = 0.5f; i->saw = 0.3f; i->unison = 2; i->detuneCents = 7;
    i->spread = 0.4f; i->amp = {0.004f, 0.25f, 0.45f, 0.2f}; i->cutoffHz = 1600;
    i->envOctaves = 1.8f; i->resonance = 0.25f; i->filterEnv = {0.001f, 0.18f, 0.1f, 0.1f};
    i->gate = 0.9f; i->gain = 0.17f; i->delaySend = 0.3f; i->reverbSend = 0.25f; i->duck = 0.3f;
    i = &t[kLead]; i->name = "lead";
    i->saw = 0.7f; i->pulse = 0.3f; i->pulseWidth = 0.45f; i->unison = 3; i->detuneCents = 9;
    i->spread = 0.5f; i->amp = {0.006f, 0.4f, 0.75f, 0.22f}; i->cutoffHz = 2100;
    i->envOctaves = 1.2f; i->resonance = 0.2f; i->filterEnv = {0.002f, 0.3f, 0.3f, 0.2f};
    i->vibratoCents = 14; i->vibratoHz = 5.6f; i->gate = 0.95f;
    i->gain = 0.2f; i->delaySend = 0.25f; i->reverbSend = 0.3f; i->duck = 0.25f;
    i = &t[kBell]; i->name = "bell";
    i->pulse = 0.5f; i->pulseWidth = 0.25f; i->sine = 0.3f; i->amp = {0.001f, 0.35f, 0.0f, 0.4f};
    i->cutoffHz = 2400; i->envOctaves = 1.5f; i->resonance = 0.3f;
    i->filterEnv = {0.001f, 0.15f, 0.0f, 0.2f}; i->gain = 0.16f; i->pan = -0.2f;
    i->delaySend = 0.45f; i->reverbSend = 0.4f;
    i = &t[kAlarm]; i->name = "alarm";
    i->pulse = 0.6f; i->pulseWidth = 0.5f; i->saw = 0.4f; i->unison = 2; i->detuneCents = 10;
    i->spread = 0.6f; i->amp = {0.08f, 0.5f, 0.8f, 0.5f}; i->cutoffHz = 1200;
    i->resonance = 0.4f; i->vibratoCents = 25; i->vibratoHz = 3.2f;
    i->gain = 0.12f; i->delaySend = 0.2f; i->reverbSend = 0.45f;
    i = &t[kBeep]; i->name = "beep";
    i->pulse = 1.0f; i->pulseWidth = 0.5f; i->amp = {0.001f, 1.0f, 1.0f, 0.02f};
    i->cutoffHz = 6000; i->keyTrack = 0; i->gate = 0.5f;
    i->gain = 0.08f; i->pan = 0.3f; i->delaySend = 0.4f; i->reverbSend = 0.2f;
    return t;
}

// ---- patterns and sections --------------------------------------------------------------------

enum PartKind { kHits, kBass, kArpeggio, kChord, kMelody };

// One instrument playing one pattern over a span of a section's bars.
struct Part {
    int instrument;
    PartKind kind;
    std::string pattern;
    int low = 0;                 // lowest note for bass, arpeggio and chord parts (MIDI)
    int fromBar = 0, toBar = 0;  // bars within the section, toBar exclusive; 0, 0 = all of it
    float levelFrom = 1, levelTo = 1;    // gain ramp over the span, by note start
    float cutoffFrom = 1, cutoffTo = 1;  // filter cutoff multiplier ramp over the span
    int transpose = 0;                   // semitones added to every pitched note
};

struct Section {
    const char *name;
    int startBar, bars;
    std::string chords;  // one chord per bar, repeated ("Am F C G"); Am, Bb, E, Esus4, ...
    std::vector<Part> parts;
};

// `first` on the first step, held for `bars` bars ('x' for hits and chords, '0' for a bass root).
inline std::string held(int bars, char first = 'x')
{
    return first + std::string(size_t(16 * bars - 1), '-');
}
// A hit on the first step of a bar, rest of the bar silent.
inline const char *once() { return "x..............."; }

inline Part part(int instrument, PartKind kind, std::string pattern, int low = 0)
{
    Part p;
    p.instrument = instrument;
    p.kind = kind;
    p.pattern = std::move(pattern);
    p.low = low;
    return p;
}
inline Part bars(Part p, int fromBar, int toBar)
{
    p.fromBar = fromBar;
    p.toBar = toBar;
    return p;
}
inline Part level(Part p, float from, float to)
{
    p.levelFrom = from;
    p.levelTo = to;
    return p;
}
inline Part cutoff(Part p, float from, float to)
{
    p.cutoffFrom = from;
    p.cutoffTo = to;
    return p;
}
inline Part transpose(Part p, int semitones)
{
    p.transpose = semitones;
    return p;
}

// The melodies, one bar per line.
inline std::string introBells()
{
    return "E5 - - - A5 - - - - - - - G5 - E5 - | - - - - - - - - - - - - - - - - "
           "F5 - - - A5 - - - - - - - G5 - F5 - | E5 - - - - - - - - - - - - - - - "
           "E5 - - - G5 - - - - - - - C6 - B5 - | G5 - - - - - - - - - - - - - - - "
           "D5 - - - G5 - - - - - - - B5 - A5 - | G5 - - - - - - - B4 - - - D5 - - - ";
}
inline std::string corridorTheme()
{
    return "A5 - - G5 - - E5 - - - - - D5 - E5 - "
           "F5 - - E5 - - C5 - - - - - A4 - C5 - "
           "G5 - - E5 - - C5 - - - - - D5 - E5 - "
           "D5 - - - - - - - B4 - - - - - - - ";
}
inline std::string roadHook()
{
    return "A4 - - C5 - - E5 - D5 - - C5 - - B4 - "
           "C5 - - A4 - - F4 - A4 - - C5 - - F5 - "
           "E5 - - - - - G5 - E5 - - D5 - - C5 - "
           "D5 - - - - - - - B4 - - G4 - - B4 - "
           "A4 - - C5 - - E5 - A5 - - G5 - - E5 - "
           "F5 - - E5 - - C5 - A4 - - C5 - - F5 - "
           "G5 - - F5 - - D5 - B4 - - D5 - - G5 - "
           "B4 - - E5 - - G#5 - - - - - - - - - ";
}
inline std::string reactorAlarm()
{
    return "E5 - - - - - - - - - - - - - - - | F5 - - - - - - - E5 - - - - - - - "
           "F5 - - - - - - - - - - - - - - - | D5 - - - - - - - - - - - - - - - "
           "A5 - - - - - - - - - - - - - - - | F5 - - - - - - - - - - - - - - - "
           "F5 - - - - - - - - - - - - - - - | Bb5 - - - - - - - A5 - - - - - - - "
           "E5 - - - - - - - - - - - - - - - | C5 - - - - - - - - - - - - - - - "
           "G#5 - - - - - - - - - - - - - - - | B5 - - - - - - - G#5 - - - - - - - ";
}
inline std::string anthem()
{
    return "A5 - - - - - G5 - F5 - - - G5 - - - "
           "B5 - - - - - A5 - G5 - - - D6 - - - "
           "C6 - - - - - - - - - - - B5 - A5 - "
           "E5 - - - - - - - A5 - - - - - - - "
           "A5 - - - - - G5 - F5 - - - A5 - - - "
           "B5 - - - - - A5 - G5 - - - B5 - - - "
           "C6 - - - - - D6 - E6 - - - - - - - "
           "D6 - - - B5 - - - G#5 - - - - - - - ";
}
inline std::string cadence()
{
    return "A5 - - - - - - - C6 - - - - - - - | B5 - - - - - - - D6 - - - - - - - "
           "E6 - - - - - - - - - - - - - - - | E6 - - - - - - - D6 - - - B5 - - - ";
}

// Drum grooves shared by the driving sections.
inline std::vector<Part> fourOnTheFloor(int from, int to, bool full)
{
    std::vector<Part> d = {
        bars(part(kKickDrum, kHits, "x...x...x...x..."), from, to),
        bars(part(kClapDrum, kHits, "....x.......x..."), from, to),
        bars(part(kClosedHat, kHits, full ? "oxXxoxXxoxXxoxXx" : "ooxoooxoooxoooxo"), from, to),
    };
    if (full) {
        d.push_back(bars(part(kSnareDrum, kHits, "....x.......x..."), from, to));
        d.push_back(bars(part(kOpenHat, kHits, "..x...x...x...x."), from, to));
    }
    return d;
}

inline void append(std::vector<Part> &to, const std::vector<Part> &more)
{
    to.insert(to.end(), more.begin(), more.end());
}

inline std::vector<Section> makeSections()
{
    std::vector<Section> s;

    // 0-30 s: the grid and the titles. A pad opens up, bells, then the beat assembles.
    Section intro{"opening", 0, 16, "Am Am F F C C G G", {}};
    intro.parts = {
        bars(part(kImpactFx, kHits, once()), 0, 1),
        cutoff(level(part(kPad, kChord, held(2), 55), 0.7f, 1.0f), 0.2f, 1.1f),
        bars(part(kBell, kMelody, introBells()), 0, 16),
        bars(cutoff(level(part(kArp, kArpeggio, "0123432101234321", 57), 0.3f, 0.9f), 0.25f, 1.0f), 4, 16),
        bars(level(part(kKickDrum, kHits, "x...x...x...x..."), 0.5f, 0.8f), 8, 16),
        bars(level(cutoff(part(kRollBass, kBass, "..0...0...0...0.", 28), 0.6f, 1.0f), 0.6f, 0.8f), 8, 16),
        bars(part(kClosedHat, kHits, "..x...x...x...x."), 8, 16),
        bars(part(kClapDrum, kHits, "....x.......x..."), 12, 14),
        bars(part(kRiserFx, kHits, held(4)), 12, 16),
        bars(level(part(kSnareDrum, kHits, "x...x...x...x...|x.x.x.x.xxxxxxxx"), 0.35f, 0.9f), 14, 16),
    };
    s.push_back(intro);

    // 30-45 s: the white corridor. Tight and driving: no pad, rolling bass, gated arp.
    Section corridor{"corridor", 16, 8, "Am F C G", {}};
    corridor.parts = {
        bars(part(kCrashCymbal, kHits, once()), 0, 1),
        part(kRollBass, kBass, ".030.030.030.030", 28),
        cutoff(part(kArp, kArpeggio, "3040305030403050", 57), 0.8f, 1.3f),
        bars(part(kRiserFx, kHits, held(2)), 6, 8),
    };
    append(corridor.parts, fourOnTheFloor(0, 8, false));
    s.push_back(corridor);

    // 45-75 s: the corridor with particles and the cube. Everything plays.
    Section full{"full", 24, 16, "Am F C G", {}};
    full.parts = {
        level(bars(part(kImpactFx, kHits, once()), 0, 1), 0.7f, 0.7f),
        bars(part(kCrashCymbal, kHits, once()), 0, 1),
        bars(part(kCrashCymbal, kHits, once()), 8, 9),
        part(kRollBass, kBass, ".030.030.030.030", 28),
        part(kPad, kChord, "x---------------", 55),
        part(kArp, kArpeggio, "0123453201234532", 57),
        part(kSoftLead, kMelody, corridorTheme()),
        transpose(level(bars(part(kBell, kMelody, corridorTheme()), 8, 16), 0.5f, 0.5f), 12),
        bars(part(kTomDrum, kMelody, ". . . . . . . . E3 . C3 . A2 . E2 ."), 15, 16),
    };
    append(full.parts, fourOnTheFloor(0, 16, true));
    s.push_back(full);

    // 75-82.5 s: the system crash. The last bars are cut up by the glitch script below;
    // over it a drone, error beeps and a limping kick.
    Section crash{"crash", 40, 4, "Am", {}};
    crash.parts = {
        bars(part(kImpactFx, kHits, once()), 0, 1),
        part(kDroneBass, kBass, held(4, '0'), 28),
        part(kBeep, kMelody,
             "A5 . . . . . A5 . . . . . . . . . | . . E6 . . . . . A5 . A5 . . . . . "
             "A5 A5 A5 . . . . . . . E6 . . . . . | . . . . A5 . . . . . . . . . . . "),
        level(part(kHardKick, kHits, "x.....x...x.....|x..x......x.....|x.....x...x.x...|x..............."), 0.6f, 0.6f),
    };
    s.push_back(crash);

    // 82.5-127.5 s: the car on the road. The main groove, then the hook.
    Section road{"road", 44, 24, "Am F C G Am F G E", {}};
    road.parts = {
        bars(part(kImpactFx, kHits, once()), 0, 1),
        bars(part(kCrashCymbal, kHits, once()), 0, 1),
        bars(part(kCrashCymbal, kHits, once()), 8, 9),
        bars(part(kCrashCymbal, kHits, once()), 16, 17),
        part(kOctaveBass, kBass, "0.3.0.3.0.3.0.3.", 28),
        level(part(kPad, kChord, "x---------------", 55), 0.85f, 0.85f),
        bars(part(kArp, kArpeggio, "0123453201234532", 57), 4, 24),
        bars(part(kLead, kMelody, roadHook()), 8, 24),
        transpose(level(bars(part(kBell, kMelody, roadHook()), 16, 24), 0.45f, 0.45f), 12),
        bars(part(kTomDrum, kMelody, ". . . . . . . . E3 . C3 . A2 . E2 ."), 23, 24),
        bars(part(kRiserFx, kHits, held(2)), 22, 24),
    };
    append(road.parts, fourOnTheFloor(0, 24, true));
    s.push_back(road);

    // 127.5-150 s: the reactor. Half-time, a driven bass, a low pad and a wailing alarm.
    Section reactor{"reactor", 68, 12, "Am Am Bb Bb Dm Dm Bb Bb Am Am E E", {}};
    reactor.parts = {
        bars(part(kImpactFx, kHits, once()), 0, 1),
        part(kHardKick, kHits, "x......x..x.....|x......x..x..x.."),
        part(kSnareDrum, kHits, "........x......."),
        part(kClapDrum, kHits, "........x......."),
        level(part(kClosedHat, kHits, "x.o.x.o.x.o.x.oo"), 0.7f, 0.7f),
        cutoff(part(kDarkBass, kBass, "0.000.000.000.00", 28), 0.7f, 1.4f),
        cutoff(part(kPad, kChord, held(2), 50), 0.45f, 0.7f),
        part(kAlarm, kMelody, reactorAlarm()),
        bars(part(kTomDrum, kMelody, "A2 . . . . . . . . . . . E2 . . . "), 7, 8),
        bars(part(kTomDrum, kMelody, ". . . . . . . . E3 . C3 . A2 . E2 ."), 11, 12),
        bars(part(kRiserFx, kHits, held(2)), 10, 12),
    };
    s.push_back(reactor);

    // 150-216 s: the pipe tunnel and the greetings. The anthem, a breath, the anthem again,
    // a cadence, and the resolution to A major, which dies away by the demo's end.
    Section finale{"finale", 80, 16, "F G Am Am F G C E", {}};
    finale.parts = {
        bars(part(kImpactFx, kHits, once()), 0, 1),
        bars(part(kCrashCymbal, kHits, once()), 0, 1),
        bars(part(kCrashCymbal, kHits, once()), 8, 9),
        part(kOctaveBass, kBass, "0.3.0.3.0.3.0.3.", 28),
        part(kPad, kChord, "x---------------", 55),
        part(kArp, kArpeggio, "0123453201234532", 57),
        part(kLead, kMelody, anthem()),
        level(bars(part(kBell, kMelody, anthem()), 8, 16), 0.5f, 0.5f),
    };
    append(finale.parts, fourOnTheFloor(0, 16, true));
    s.push_back(finale);

    Section breath{"finale breath", 96, 4, "F G Am Am", {}};
    breath.parts = {
        part(kPad, kChord, "x---------------", 55),
        cutoff(part(kArp, kArpeggio, "0123453201234532", 57), 0.5f, 1.0f),
        level(part(kLead, kMelody, anthem()), 0.7f, 0.7f),
        part(kRollBass, kBass, "..0...0...0...0.", 28),
        bars(part(kRiserFx, kHits, held(2)), 2, 4),
        bars(level(part(kSnareDrum, kHits, "x.x.x.x.xxxxxxxx"), 0.4f, 0.9f), 3, 4),
    };
    s.push_back(breath);

    Section finale2{"finale again", 100, 8, "F G Am Am F G C E", {}};
    finale2.parts = {
        bars(part(kImpactFx, kHits, once()), 0, 1),
        bars(part(kCrashCymbal, kHits, once()), 0, 1),
        part(kOctaveBass, kBass, "0.3.0.3.0.3.0.3.", 28),
        part(kPad, kChord, "x---------------", 55),
        part(kArp, kArpeggio, "0123453201234532", 57),
        part(kLead, kMelody, anthem()),
        level(part(kBell, kMelody, anthem()), 0.5f, 0.5f),
    };
    append(finale2.parts, fourOnTheFloor(0, 8, true));
    s.push_back(finale2);

    Section cadenceBars{"cadence", 108, 4, "F G Esus4 E", {}};
    cadenceBars.parts = {
        bars(part(kCrashCymbal, kHits, once()), 0, 1),
        part(kOctaveBass, kBass, "0.3.0.3.0.3.0.3.", 28),
        part(kPad, kChord, "x---------------", 55),
        part(kArp, kArpeggio, "0123453201234532", 57),
        part(kLead, kMelody, cadence()),
        part(kHardKick, kHits, "x.......x......."),
        part(kSnareDrum, kHits, "....x.......x..."),
        part(kOpenHat, kHits, "..x...x...x...x."),
        bars(part(kTomDrum, kMelody, "E3 . . E3 . . C3 . . C3 . . A2 . E2 ."), 3, 4),
    };
    s.push_back(cadenceBars);

    // The close, 210-216 s: the cadence resolves on A major with a hit; the chord blooms and
    // settles while the bells climb the triad and come back down, then everything lets go
    // together on the bells' last A (213.75 s) and rings out in the room, about 40 dB under
    // the track's loudness by the demo's end. The bars after it stay silent: the clock is the
    // music's position, so the track runs on past the demo, which ends by its own timeline.
    Section coda{"resolution", 112, 8, "A", {}};
    coda.parts = {
        bars(part(kImpactFx, kHits, once()), 0, 1),
        bars(part(kCrashCymbal, kHits, once()), 0, 1),
        bars(part(kEndPad, kChord, held(2), 55), 0, 2),
        bars(part(kDroneBass, kBass, held(2, '0'), 28), 0, 2),
        bars(part(kLead, kMelody, "A5 - - - - - - - - - - - - - - - | - - - - - - - - - - - - - - - - "), 0, 2),
        bars(level(part(kBell, kMelody,
                        "A4 . C#5 . E5 . A5 . C#6 . E6 . A5 . E5 . | C#5 . E5 . A5 . C#6 . E5 . C#5 . A4 . E4 . "
                        "A4 - - - - - - - - - - - - - - - "),
                  0.9f, 0.4f), 0, 3),
    };
    s.push_back(coda);
    return s;
}

// ---- the crash section's glitch script --------------------------------------------------------

enum GlitchOp {
    kPlay,      // plays the source as it is
    kStutter,   // repeats the first `param` steps of the source slice
    kReverse,   // plays the source slice backwards
    kCrush,     // reduces the source to `param` bits at a quarter of the rate
    kTapeStop,  // the source slows down to a standstill
    kChop,      // gates the source on and off every `param` steps
};

// One cut: `steps` sixteenths from `atStep` of the crash section, made from the audio that
// played `srcStep` sixteenths after the source bar (two bars before the crash).
struct Glitch {
    int atStep, steps;
    GlitchOp op;
    int srcStep;
    float param;
    float gain;
};

constexpr int kGlitchSourceBar = 38;
constexpr int kGlitchBar = 40;

inline std::vector<Glitch> makeGlitches()
{
    return {
        {0, 6, kCrush, 0, 6.0f, 0.33f},     {6, 2, kStutter, 6, 0.5f, 0.30f},
        {8, 4, kStutter, 8, 1.0f, 0.30f},    {12, 4, kStutter, 8, 0.25f, 0.27f},
        {16, 8, kReverse, 16, 0.0f, 0.30f},  {24, 4, kChop, 24, 0.5f, 0.30f},
        {28, 4, kTapeStop, 28, 0.0f, 0.30f}, {32, 6, kCrush, 0, 4.0f, 0.27f},
        {38, 2, kStutter, 4, 0.5f, 0.30f},   {40, 4, kStutter, 4, 0.25f, 0.27f},
        {44, 4, kPlay, 12, 0.0f, 0.30f},     {48, 4, kReverse, 20, 0.0f, 0.30f},
        {52, 4, kChop, 0, 0.25f, 0.30f},     {56, 8, kTapeStop, 16, 0.0f, 0.33f},
    };
}

// ---- compilation into note events -------------------------------------------------------------

struct Event {
    double startSec, lengthSec;  // onset and written length (the voice adds its release)
    float note;                  // MIDI note number (drums without pitch ignore it)
    float velocity;              // 0..1
    int instrument;              // InstrumentId
    float cutoff;                // filter cutoff multiplier from the part's automation
};

// Pitch class 0..11 (C = 0) of a note letter with optional '#' or 'b'; -1 if none.
inline int pitchClass(const char *&p)
{
    static const int base[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    char c = char(std::toupper((unsigned char)*p));
    if (c < 'A' || c > 'G') return -1;
    int pc = base[c - 'A'];
    ++p;
    if (*p == '#') { ++pc; ++p; }
    else if (*p == 'b') { --pc; ++p; }
    return (pc + 12) % 12;
}

// MIDI number of a note name ("A4" = 69, "C#5" = 73, "Bb3" = 58); -1 when not a note.
inline int noteNumber(const std::string &name)
{
    const char *p = name.c_str();
    int pc = pitchClass(p);
    if (pc < 0 || !std::isdigit((unsigned char)*p)) return -1;
    int octave = std::atoi(p);
    while (std::isdigit((unsigned char)*p)) ++p;
    if (*p) return -1;
    return pc + 12 * (octave + 1);
}

// The chord's three tones as pitch classes: root, third (or fourth for "sus4"), fifth.
// "Am", "F", "Bb", "Esus4", "A". An unknown name yields {-1, -1, -1}.
struct Chord { int root, third, fifth; };
inline Chord parseChord(const std::string &name)
{
    const char *p = name.c_str();
    int root = pitchClass(p);
    if (root < 0) return {-1, -1, -1};
    std::string rest = p;
    int third = rest == "m" ? 3 : rest == "sus4" ? 5 : rest.empty() ? 4 : -1;
    if (third < 0) return {-1, -1, -1};
    return {root, (root + third) % 12, (root + 7) % 12};
}

inline std::vector<std::string> splitWords(const std::string &text)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '|')) ++i;
        size_t j = i;
        while (j < text.size() && text[j] != ' ' && text[j] != '|') ++j;
        if (j > i) words.push_back(text.substr(i, j - i));
        i = j;
    }
    return words;
}

// The steps of a pattern: melody tokens split at spaces, every other kind one char a step.
inline std::vector<std::string> patternSteps(const Part &part)
{
    if (part.kind == kMelody) return splitWords(part.pattern);
    std::vector<std::string> steps;
    for (char c : part.pattern)
        if (c != ' ' && c != '|') steps.push_back(std::string(1, c));
    return steps;
}

// Lowest note at or above `low` with pitch class `pc`.
inline int placeAbove(int pc, int low) { return low + ((pc - low) % 12 + 12) % 12; }

// Notes a step's token starts, with their velocity; empty for rests and holds.
inline std::vector<float> stepNotes(const Part &part, const std::string &token, const Chord &chord,
                                    float *velocity)
{
    *velocity = 1.0f;
    if (token == "." || token == "-") return {};
    switch (part.kind) {
    case kHits:
        *velocity = token == "X" ? 1.0f : token == "o" ? 0.5f : 0.85f;
        return {60.0f};
    case kMelody: return {float(noteNumber(token))};
    case kChord: {
        int a = placeAbove(chord.root, part.low), b = placeAbove(chord.third, part.low);
        int c = placeAbove(chord.fifth, part.low);
        return {float(a), float(b), float(c)};
    }
    case kBass:
    case kArpeggio: {
        int k = token[0] - '0';
        int tones[3];
        if (part.kind == kBass) {
            tones[0] = placeAbove(chord.root, part.low);
            tones[1] = placeAbove(chord.third, tones[0]);
            tones[2] = placeAbove(chord.fifth, tones[0]);
        } else {
            tones[0] = placeAbove(chord.root, part.low);
            tones[1] = placeAbove(chord.third, part.low);
            tones[2] = placeAbove(chord.fifth, part.low);
            std::sort(tones, tones + 3);
        }
        return {float(tones[k % 3] + 12 * (k / 3))};
    }
    }
    return {};
}

// Appends the events of one part of one section.
inline void compilePart(const Section &section, const Part &part, std::vector<Event> &out)
{
    std::vector<std::string> steps = patternSteps(part);
    std::vector<std::string> chords = splitWords(section.chords);
    if (steps.empty() || chords.empty()) return;
    int from = part.fromBar, to = part.toBar ? part.toBar : section.bars;
    int total = 16 * (to - from);
    for (int i = 0; i < total; ++i) {
        int bar = from + i / 16;
        const std::string &token = steps[size_t(i) % steps.size()];
        Chord chord = parseChord(chords[size_t(bar) % chords.size()]);
        float velocity;
        std::vector<float> notes = stepNotes(part, token, chord, &velocity);
        if (notes.empty()) continue;
        int length = 1;
        while (i + length < total && steps[size_t(i + length) % steps.size()] == "-") ++length;
        float x = total > 16 ? float(i / 16) / float(to - from - 1) : 0.0f;
        float gainRamp = part.levelFrom + (part.levelTo - part.levelFrom) * x;
        float cutRamp = part.cutoffFrom + (part.cutoffTo - part.cutoffFrom) * x;
        float shift = part.kind == kHits ? 0.0f : float(part.transpose);
        for (float n : notes)
            out.push_back({(section.startBar + from) * kBarSec + i * kStepSec, length * kStepSec,
                           n + shift, velocity * gainRamp, part.instrument, cutRamp});
    }
}

// Whether `token` is a valid step for a part of `kind`.
inline bool validStep(PartKind kind, const std::string &token)
{
    if (token == "." || token == "-") return true;
    switch (kind) {
    case kHits: return token == "X" || token == "x" || token == "o";
    case kChord: return token == "x";
    case kBass:
    case kArpeggio: return token.size() == 1 && std::isdigit((unsigned char)token[0]);
    case kMelody: return noteNumber(token) >= 0;
    }
    return false;
}

// The first fault in the score as a message, or "" when there is none: sections that do not
// follow each other from bar 0 to kTrackBars, unknown chords or instruments, parts outside
// their section, patterns that are not whole bars, invalid steps.
inline std::string checkScore(const std::vector<Section> &sections)
{
    char message[256];
    int nextBar = 0;
    for (const Section &section : sections) {
        if (section.startBar != nextBar || section.bars <= 0) {
            snprintf(message, sizeof message, "section \"%s\" starts at bar %d, not %d",
                     section.name, section.startBar, nextBar);
            return message;
        }
        nextBar += section.bars;
        for (const std::string &chord : splitWords(section.chords))
            if (parseChord(chord).root < 0) return "unknown chord \"" + chord + "\" in " + section.name;
        for (const Part &part : section.parts) {
            std::vector<std::string> steps = patternSteps(part);
            int to = part.toBar ? part.toBar : section.bars;
            if (part.instrument < 0 || part.instrument >= kInstrumentCount || part.fromBar < 0 ||
                to > section.bars || part.fromBar >= to || steps.empty() || steps.size() % 16)
                return std::string("bad part in ") + section.name + ": " + part.pattern;
            for (const std::string &token : steps)
                if (!validStep(part.kind, token))
                    return std::string("bad step \"") + token + "\" in " + section.name;
        }
    }
    if (nextBar != kTrackBars) return "the sections end at bar " + std::to_string(nextBar);
    return "";
}

// Every note of the track, in score order (section, part, step).
inline std::vector<Event> compile(const std::vector<Section> &sections)
{
    std::vector<Event> events;
    for (const Section &section : sections)
        for (const Part &part : section.parts) compilePart(section, part, events);
    return events;
}

}  // namespace score

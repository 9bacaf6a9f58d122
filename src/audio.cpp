// Sound back end: libmpg123 decoding, SDL2 or null-sink output, our own position clock, spectrum.
//
// Index: result texts / system and output / sounds / mixing (the audio thread) / channel
// position, seek and pause / spectrum.
//
// Threads and locks: the output (SDL's audio thread, or our null-sink thread) calls mixInto for
// every buffer. FMOD_SOUND::decodeLock guards the mpg123 handle; FMOD_CHANNEL::stateLock guards
// the position and the history and is always taken last and held briefly. SDL holds its device
// lock around the callback, so nothing here calls SDL_PauseAudioDevice or SDL_LockAudioDevice
// while holding either of our locks.
#include "audio.h"
#include <SDL2/SDL.h>
#include <kiss_fftr.h>
#include <mpg123.h>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

typedef std::chrono::steady_clock Clock;

static const int kBufferFrames = 1024;      // frames per output buffer (a power of two for SDL)
static const int kHistoryFrames = 32768;    // played frames kept per side for the spectrum
static const int kMaxSpectrum = 8192;       // most magnitudes per side (FFT of 16384 frames)
static const unsigned int kVersion = 0x00010000;

struct FMOD_SOUND {
    mpg123_handle *decoder;      // guarded by decodeLock
    std::mutex decodeLock;
    long rate;                   // frames per second
    unsigned long long lengthFrames;
    unsigned long long decodeFrame;  // next frame the decoder gives; guarded by decodeLock
};

struct FMOD_CHANNEL {
    FMOD_SYSTEM *system;
    FMOD_SOUND *sound;
    std::mutex stateLock;        // guards every field below
    bool paused;
    bool ended;                  // the decoder ran out: the position holds at the length
    unsigned long long handedStart;  // stream frame at the start of the last buffer handed over
    unsigned long long handedEnd;    // stream frame after it
    Clock::time_point handedAt;      // when that buffer was handed over
    unsigned long long lastReported; // the position never reads below this (until a seek)
    unsigned long long pausedAt;     // the frozen position while paused
    float history[2][kHistoryFrames];  // ring of the latest frames handed, left and right
    int historyWrite;            // next ring slot
};

struct FMOD_SYSTEM {
    int output;                  // 0 not initialised, 1 SDL device, 2 null sink
    SDL_AudioDeviceID device;
    std::atomic<long> rate;      // output frames per second: the playing song's rate
    std::atomic<FMOD_CHANNEL *> playing;  // the channel the output mixes; null before playback
    std::mutex sinkLock;         // guards sinkRestart (null sink only)
    std::condition_variable sinkWake;
    bool sinkRestart;            // start the deadlines afresh and take a buffer at once
    FMOD_CHANNEL *channel;       // the one channel, created by the first PlaySound
};

// ---------------------------------------------------------------- result texts

const char *FMOD_ErrorString(FMOD_RESULT result)
{
    switch (result) {
    case FMOD_OK: return "No errors.";
    case FMOD_ERR_FILE_NOTFOUND: return "File not found.";
    case FMOD_ERR_FORMAT: return "Unsupported file or audio format: not a playable MP3 stream.";
    case FMOD_ERR_OUTPUT_INIT: return "Error initializing the audio output.";
    case FMOD_ERR_INVALID_HANDLE: return "An invalid object handle was used.";
    case FMOD_ERR_INVALID_PARAM: return "An invalid parameter was passed to this function.";
    case FMOD_ERR_MEMORY: return "Not enough memory or resources.";
    case FMOD_ERR_INITIALIZED: return "The sound system has already been initialized.";
    case FMOD_ERR_UNINITIALIZED: return "The sound system has not been initialized.";
    case FMOD_ERR_CHANNEL_ALLOC: return "No channel is free to play the sound on.";
    default: return "Unknown error.";
    }
}

// ---------------------------------------------------------------- mixing (the audio thread)

static void mixInto(FMOD_SYSTEM *system, float *out, int frames);

// Reads up to `frames` stereo float frames; returns how many, fewer only at the end of the song.
static int decodeFrames(FMOD_SOUND *sound, float *out, int frames)
{
    size_t want = (size_t)frames * 2 * sizeof(float), got = 0;
    while (got < want) {
        size_t done = 0;
        int err = mpg123_read(sound->decoder, (unsigned char *)out + got, want - got, &done);
        got += done;
        if (err == MPG123_NEW_FORMAT || (err == MPG123_OK && done > 0)) continue;
        if (err != MPG123_OK || done == 0) break;  // end of stream, or a damaged tail: stop there
    }
    int n = (int)(got / (2 * sizeof(float)));
    sound->decodeFrame += n;
    return n;
}

static void remember(FMOD_CHANNEL *ch, const float *frames, int n)
{
    for (int i = 0; i < n; i++) {
        ch->history[0][ch->historyWrite] = frames[2 * i];
        ch->history[1][ch->historyWrite] = frames[2 * i + 1];
        ch->historyWrite = (ch->historyWrite + 1) % kHistoryFrames;
    }
}

static void mixInto(FMOD_SYSTEM *system, float *out, int frames)
{
    memset(out, 0, sizeof(float) * 2 * frames);
    FMOD_CHANNEL *ch = system->playing.load();
    if (!ch) return;
    FMOD_SOUND *sound = ch->sound;
    std::lock_guard<std::mutex> decode(sound->decodeLock);
    {
        std::lock_guard<std::mutex> state(ch->stateLock);
        if (ch->paused || ch->ended) return;
    }
    unsigned long long start = sound->decodeFrame;
    int n = decodeFrames(sound, out, frames);
    std::lock_guard<std::mutex> state(ch->stateLock);
    ch->handedStart = start;
    ch->handedEnd = start + n;
    ch->handedAt = Clock::now();
    if (n < frames) ch->ended = true;
    remember(ch, out, n);
}

static void sdlCallback(void *userdata, Uint8 *stream, int len)
{
    mixInto((FMOD_SYSTEM *)userdata, (float *)stream, len / (int)(2 * sizeof(float)));
}

// Takes one buffer per period on fixed deadlines from its start, so it keeps real time however
// late a single wake-up is (a late buffer is followed by an early one). Playback, a seek or a
// resume restarts the deadlines with a buffer at once, so the position moves from that moment.
static void nullSinkLoop(FMOD_SYSTEM *system)
{
    std::vector<float> buffer(2 * kBufferFrames);
    Clock::time_point start = Clock::now();
    for (unsigned long long k = 1;; k++) {
        long rate = system->rate;
        std::chrono::nanoseconds due(k * kBufferFrames * 1000000000ULL / (unsigned long long)rate);
        {
            std::unique_lock<std::mutex> lock(system->sinkLock);
            system->sinkWake.wait_until(lock, start + due, [system] { return system->sinkRestart; });
            if (system->sinkRestart) {
                system->sinkRestart = false;
                start = Clock::now();
                k = 0;
            }
        }
        mixInto(system, buffer.data(), kBufferFrames);
    }
}

// Asks the null sink to take the next buffer now (no effect on an SDL device).
static void kickNullSink(FMOD_SYSTEM *system)
{
    if (system->output != 2) return;
    {
        std::lock_guard<std::mutex> lock(system->sinkLock);
        system->sinkRestart = true;
    }
    system->sinkWake.notify_one();
}

// ---------------------------------------------------------------- system and output

FMOD_RESULT FMOD_System_Create(FMOD_SYSTEM **system)
{
    if (!system) return FMOD_ERR_INVALID_PARAM;
    *system = new (std::nothrow) FMOD_SYSTEM();
    return *system ? FMOD_OK : FMOD_ERR_MEMORY;
}

FMOD_RESULT FMOD_System_GetVersion(FMOD_SYSTEM *system, unsigned int *version)
{
    if (!system) return FMOD_ERR_INVALID_HANDLE;
    if (!version) return FMOD_ERR_INVALID_PARAM;
    *version = kVersion;
    return FMOD_OK;
}

// The SDL dummy and disk drivers run measurably fast, so they are no clock; they serve only when
// asked for by name (tests). Returns 0 when no usable device opened.
static SDL_AudioDeviceID openDevice(FMOD_SYSTEM *system, const char *driver, std::string *why)
{
    // SDL would turn Ctrl-C and SIGTERM into events nobody reads: the demo must still stop.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (driver) {
        if (SDL_WasInit(SDL_INIT_AUDIO)) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        SDL_SetHint(SDL_HINT_AUDIODRIVER, driver);
    }
    if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        *why = SDL_GetError();
        return 0;
    }
    const char *current = SDL_GetCurrentAudioDriver();
    if (!driver && current && (!strcmp(current, "dummy") || !strcmp(current, "disk"))) {
        *why = std::string("driver \"") + current + "\" keeps no real time";
        return 0;
    }
    SDL_AudioSpec want = {}, have = {};
    want.freq = (int)system->rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kBufferFrames;
    want.callback = sdlCallback;
    want.userdata = system;
    SDL_AudioDeviceID dev = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!dev) *why = SDL_GetError();
    return dev;
}

FMOD_RESULT FMOD_System_Init(FMOD_SYSTEM *system, int maxchannels, FMOD_INITFLAGS flags,
                             void *extradriverdata)
{
    if (!system) return FMOD_ERR_INVALID_HANDLE;
    if (system->output) return FMOD_ERR_INITIALIZED;
    if (maxchannels < 1) return FMOD_ERR_INVALID_PARAM;
    // Output starts at CD rate; PlaySound moves it to the song's rate (the position counts
    // frames handed over, so output and song must agree on the rate).
    system->rate = 44100;
    std::string why;
    system->device = openDevice(system, (const char *)extradriverdata, &why);
    if (system->device) {
        system->output = 1;
        SDL_PauseAudioDevice(system->device, 0);
        return FMOD_OK;
    }
    printf("[/] No audio device (%s): the music plays silently on a real-time null sink.\n",
           why.c_str());
    system->output = 2;
    std::thread(nullSinkLoop, system).detach();
    return FMOD_OK;
}

int vlm_audio_outputKind(FMOD_SYSTEM *system)
{
    return system ? system->output : 0;
}

// ---------------------------------------------------------------- sounds

static void initDecoderLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

// Opens and scans the file; returns 0 with the decoder at frame 0, or a result code.
static FMOD_RESULT openStream(FMOD_SOUND *sound, const char *name)
{
    FILE *probe = fopen(name, "rb");
    if (!probe) return FMOD_ERR_FILE_NOTFOUND;
    fclose(probe);
    initDecoderLibrary();
    int err = 0;
    mpg123_handle *mh = mpg123_new(nullptr, &err);
    if (!mh) return FMOD_ERR_MEMORY;
    sound->decoder = mh;
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    // With fewer frames decoded ahead, some seeks in VBR files play the wrong audio.
    mpg123_param(mh, MPG123_PREFRAMES, 8, 0);
    // A file with no MP3 frame near its start is not a song; do not search it to the end.
    mpg123_param(mh, MPG123_RESYNC_LIMIT, 65536, 0);
    const long *rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    mpg123_format_none(mh);
    for (size_t i = 0; i < count; i++)
        mpg123_format(mh, rates[i], MPG123_STEREO, MPG123_ENC_FLOAT_32);
    if (mpg123_open(mh, name) != MPG123_OK) return FMOD_ERR_FORMAT;
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK || rate <= 0)
        return FMOD_ERR_FORMAT;
    if (mpg123_scan(mh) != MPG123_OK) return FMOD_ERR_FORMAT;
    off_t length = mpg123_length(mh);
    if (length <= 0) return FMOD_ERR_FORMAT;
    if (mpg123_seek(mh, 0, SEEK_SET) < 0) return FMOD_ERR_FORMAT;
    sound->rate = rate;
    sound->lengthFrames = (unsigned long long)length;
    sound->decodeFrame = 0;
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_CreateSound(FMOD_SYSTEM *system, const char *name, FMOD_MODE mode,
                                    void *exinfo, FMOD_SOUND **sound)
{
    if (!system) return FMOD_ERR_INVALID_HANDLE;
    if (!name || !sound) return FMOD_ERR_INVALID_PARAM;
    if (!(mode & FMOD_CREATESTREAM)) return FMOD_ERR_INVALID_PARAM;  // streams only
    *sound = nullptr;
    FMOD_SOUND *s = new (std::nothrow) FMOD_SOUND();
    if (!s) return FMOD_ERR_MEMORY;
    FMOD_RESULT r = openStream(s, name);
    if (r != FMOD_OK) {
        if (s->decoder) mpg123_delete(s->decoder);
        delete s;
        return r;
    }
    *sound = s;
    return FMOD_OK;
}

static unsigned int framesToMs(unsigned long long frames, long rate)
{
    return (unsigned int)(frames * 1000ULL / (unsigned long long)rate);
}

FMOD_RESULT FMOD_Sound_GetLength(FMOD_SOUND *sound, unsigned int *length, FMOD_TIMEUNIT unit)
{
    if (!sound) return FMOD_ERR_INVALID_HANDLE;
    if (!length || unit != FMOD_TIMEUNIT_MS) return FMOD_ERR_INVALID_PARAM;
    *length = framesToMs(sound->lengthFrames, sound->rate);
    return FMOD_OK;
}

// ---------------------------------------------------------------- channel

// Position in frames: the start of the last buffer handed over plus the real time since, never
// beyond the frames handed over and never below what was last reported. Caller holds stateLock.
static unsigned long long positionFrames(FMOD_CHANNEL *ch, Clock::time_point now)
{
    if (ch->paused) return ch->pausedAt;
    double seconds = std::chrono::duration<double>(now - ch->handedAt).count();
    unsigned long long pos = ch->handedStart;
    if (seconds > 0) pos += (unsigned long long)(seconds * (double)ch->sound->rate);
    if (pos > ch->handedEnd) pos = ch->handedEnd;
    if (pos < ch->lastReported) pos = ch->lastReported;
    ch->lastReported = pos;
    return pos;
}

// Puts decoder and position at `frame`. Caller holds decodeLock and stateLock.
static void placeAt(FMOD_CHANNEL *ch, unsigned long long frame)
{
    FMOD_SOUND *sound = ch->sound;
    if (frame > sound->lengthFrames) frame = sound->lengthFrames;
    off_t at = mpg123_seek(sound->decoder, (off_t)frame, SEEK_SET);
    sound->decodeFrame = at >= 0 ? (unsigned long long)at : frame;
    ch->handedStart = ch->handedEnd = ch->lastReported = frame;
    ch->handedAt = Clock::now();
    ch->ended = frame >= sound->lengthFrames;
    ch->pausedAt = frame;
}

// Reopens the SDL device at `rate`; called with none of our locks held.
static void matchDeviceRate(FMOD_SYSTEM *system, long rate)
{
    if (system->rate == rate) return;
    system->rate = rate;
    if (system->output != 1) return;
    SDL_CloseAudioDevice(system->device);
    std::string why;
    const char *driver = SDL_GetCurrentAudioDriver();
    system->device = openDevice(system, nullptr, &why);
    if (!system->device && driver) system->device = openDevice(system, driver, &why);
    if (system->device) {
        SDL_PauseAudioDevice(system->device, 0);
        return;
    }
    printf("[/] No audio device (%s): the music plays silently on a real-time null sink.\n",
           why.c_str());
    system->output = 2;
    std::thread(nullSinkLoop, system).detach();
}

FMOD_RESULT FMOD_System_PlaySound(FMOD_SYSTEM *system, FMOD_CHANNELINDEX channelid,
                                  FMOD_SOUND *sound, FMOD_BOOL paused, FMOD_CHANNEL **channel)
{
    if (!system || !sound) return FMOD_ERR_INVALID_HANDLE;
    if (!system->output) return FMOD_ERR_UNINITIALIZED;
    if (channelid != FMOD_CHANNEL_FREE && channelid != 0) return FMOD_ERR_CHANNEL_ALLOC;
    if (!system->channel) {
        system->channel = new (std::nothrow) FMOD_CHANNEL();
        if (!system->channel) return FMOD_ERR_MEMORY;
        system->channel->system = system;
    }
    FMOD_CHANNEL *ch = system->channel;
    system->playing = nullptr;  // the output leaves the channel alone while it is re-aimed
    matchDeviceRate(system, sound->rate);
    {
        std::lock_guard<std::mutex> decode(sound->decodeLock);
        std::lock_guard<std::mutex> state(ch->stateLock);
        ch->sound = sound;
        ch->paused = false;
        placeAt(ch, 0);
        ch->paused = paused != 0;
    }
    system->playing = ch;
    kickNullSink(system);
    if (channel) *channel = ch;
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_GetPosition(FMOD_CHANNEL *channel, unsigned int *position,
                                     FMOD_TIMEUNIT unit)
{
    if (position) *position = 0;
    if (!channel) return FMOD_ERR_INVALID_HANDLE;
    if (!position || unit != FMOD_TIMEUNIT_MS) return FMOD_ERR_INVALID_PARAM;
    std::lock_guard<std::mutex> state(channel->stateLock);
    *position = framesToMs(positionFrames(channel, Clock::now()), channel->sound->rate);
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_SetPosition(FMOD_CHANNEL *channel, unsigned int position,
                                     FMOD_TIMEUNIT unit)
{
    if (!channel) return FMOD_ERR_INVALID_HANDLE;
    if (unit != FMOD_TIMEUNIT_MS) return FMOD_ERR_INVALID_PARAM;
    FMOD_SOUND *sound = channel->sound;
    // Rounded up, so that the position reads back as exactly the milliseconds asked for.
    unsigned long long frame =
        ((unsigned long long)position * (unsigned long long)sound->rate + 999ULL) / 1000ULL;
    {
        std::lock_guard<std::mutex> decode(sound->decodeLock);
        std::lock_guard<std::mutex> state(channel->stateLock);
        placeAt(channel, frame);
    }
    kickNullSink(channel->system);
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_GetPaused(FMOD_CHANNEL *channel, FMOD_BOOL *paused)
{
    if (paused) *paused = 0;
    if (!channel) return FMOD_ERR_INVALID_HANDLE;
    if (!paused) return FMOD_ERR_INVALID_PARAM;
    std::lock_guard<std::mutex> state(channel->stateLock);
    *paused = channel->paused ? 1 : 0;
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_SetPaused(FMOD_CHANNEL *channel, FMOD_BOOL paused)
{
    if (!channel) return FMOD_ERR_INVALID_HANDLE;
    FMOD_SOUND *sound = channel->sound;
    bool resumed = false;
    {
        std::lock_guard<std::mutex> decode(sound->decodeLock);
        std::lock_guard<std::mutex> state(channel->stateLock);
        if (paused && !channel->paused) {
            channel->pausedAt = positionFrames(channel, Clock::now());
            channel->paused = true;
        } else if (!paused && channel->paused) {
            // The decoder ran up to a buffer ahead of the frozen position: resume exactly there.
            channel->paused = false;
            placeAt(channel, channel->pausedAt);
            resumed = true;
        }
    }
    if (resumed) kickNullSink(channel->system);
    return FMOD_OK;
}

// ---------------------------------------------------------------- spectrum

// Blackman-windowed magnitudes of the latest 2 * count frames of one side, scaled so that a
// full-scale sine centred on a bin reads 1.0 there.
static void spectrumOf(const float *ring, int ringWrite, float *out, int count)
{
    int n = 2 * count;
    std::vector<float> windowed(n);
    double windowSum = 0;
    for (int i = 0; i < n; i++) {
        double phase = 2.0 * M_PI * i / (n - 1);
        double w = 0.42 - 0.5 * cos(phase) + 0.08 * cos(2.0 * phase);
        int slot = (ringWrite - n + i + kHistoryFrames) % kHistoryFrames;
        windowed[i] = (float)(ring[slot] * w);
        windowSum += w;
    }
    std::vector<kiss_fft_cpx> bins(count + 1);
    kiss_fftr_cfg cfg = kiss_fftr_alloc(n, 0, nullptr, nullptr);
    if (!cfg) {
        memset(out, 0, sizeof(float) * count);
        return;
    }
    kiss_fftr(cfg, windowed.data(), bins.data());
    kiss_fftr_free(cfg);
    for (int k = 0; k < count; k++)
        out[k] = (float)(2.0 * hypot(bins[k].r, bins[k].i) / windowSum);
}

FMOD_RESULT FMOD_Channel_GetSpectrum(FMOD_CHANNEL *channel, float *spectrumarray, int numvalues,
                                     int channeloffset, FMOD_DSP_FFT_WINDOW windowtype)
{
    if (!channel) return FMOD_ERR_INVALID_HANDLE;
    if (!spectrumarray || numvalues < 1 || numvalues > kMaxSpectrum) return FMOD_ERR_INVALID_PARAM;
    if (channeloffset < 0 || channeloffset > 1) return FMOD_ERR_INVALID_PARAM;
    if (windowtype != FMOD_DSP_FFT_WINDOW_BLACKMAN) return FMOD_ERR_INVALID_PARAM;
    std::vector<float> ring(kHistoryFrames);
    int ringWrite;
    {
        std::lock_guard<std::mutex> state(channel->stateLock);
        if (channel->paused) {
            memset(spectrumarray, 0, sizeof(float) * numvalues);
            return FMOD_OK;
        }
        memcpy(ring.data(), channel->history[channeloffset], sizeof(float) * kHistoryFrames);
        ringWrite = channel->historyWrite;
    }
    spectrumOf(ring.data(), ringWrite, spectrumarray, numvalues);
    return FMOD_OK;
}

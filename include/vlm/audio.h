/// @file
/// Sound back end: one MP3 stream decoded from disk (libmpg123) and played on one channel through
/// SDL2, or through our own real-time null sink when no audio device opens. The playback position
/// is our own count of frames handed to the output, so it is the demo's clock.
/// Offers the sound operations the music module calls, under their FMOD_* names; every call
/// returns one of the result codes below. Handles are never released (process exit ends playback).
/// Owns the one system, sound and channel; reads the MP3 from disk only. A demo calls
/// vlm_loadMusic and vlm_startMusic (vlm.h), not these.
#pragma once

/// One of the result codes below (FMOD_OK = 0).
typedef int FMOD_RESULT;
/// A flag: 0 false, non-zero true.
typedef int FMOD_BOOL;
/// Flags for opening a sound; FMOD_CREATESTREAM must be among them.
typedef unsigned int FMOD_MODE;
/// Flags for FMOD_System_Init; only FMOD_INIT_NORMAL is used.
typedef unsigned int FMOD_INITFLAGS;
/// Unit of a position or length; only FMOD_TIMEUNIT_MS is served.
typedef unsigned int FMOD_TIMEUNIT;
/// Channel to play on: FMOD_CHANNEL_FREE or 0 (the one channel).
typedef int FMOD_CHANNELINDEX;
/// Spectrum window; only FMOD_DSP_FFT_WINDOW_BLACKMAN is served.
typedef int FMOD_DSP_FFT_WINDOW;

typedef struct FMOD_SYSTEM FMOD_SYSTEM;    ///< the sound system: output device or null sink
typedef struct FMOD_SOUND FMOD_SOUND;      ///< an opened MP3 stream
typedef struct FMOD_CHANNEL FMOD_CHANNEL;  ///< the one playing instance of a sound

/// Result codes; FMOD_ErrorString gives each its text, "Unknown error." for any other value.
enum {
    FMOD_OK = 0,                   ///< success, "No errors."
    FMOD_ERR_FILE_NOTFOUND = 1,    ///< the file cannot be opened
    FMOD_ERR_FORMAT = 2,           ///< not a playable MP3 stream
    FMOD_ERR_OUTPUT_INIT = 3,      ///< no audio output could be started
    FMOD_ERR_INVALID_HANDLE = 4,   ///< null or unknown system, sound or channel
    FMOD_ERR_INVALID_PARAM = 5,    ///< a null result pointer, bad count or unsupported unit/mode
    FMOD_ERR_MEMORY = 6,           ///< out of memory
    FMOD_ERR_INITIALIZED = 7,      ///< the system is already initialised
    FMOD_ERR_UNINITIALIZED = 8,    ///< the system has not been initialised
    FMOD_ERR_CHANNEL_ALLOC = 9,    ///< the one channel is taken
};

/// Flags and special values of the calls below.
enum {
    FMOD_INIT_NORMAL = 0,          ///< FMOD_System_Init with no options
    FMOD_2D = 0x8,                 ///< mode flag, accepted and not used (the music's 3 flags: 200)
    FMOD_SOFTWARE = 0x40,          ///< mode flag, accepted and not used
    FMOD_CREATESTREAM = 0x80,      ///< mode flag: decode from disk while playing (required)
    FMOD_TIMEUNIT_MS = 1,          ///< positions and lengths in milliseconds (the only unit served)
    FMOD_CHANNEL_FREE = -1,        ///< let the system pick the channel
    FMOD_DSP_FFT_WINDOW_BLACKMAN = 4, ///< the spectrum's window (the only one served)
};

/// Creates the system (no output yet); a null `system` gives FMOD_ERR_INVALID_PARAM.
FMOD_RESULT FMOD_System_Create(FMOD_SYSTEM **system);
/// Reports the back end's version number.
FMOD_RESULT FMOD_System_GetVersion(FMOD_SYSTEM *system, unsigned int *version);
/// Opens the output: an SDL audio device, or the null sink with a "[/] " warning when none opens
/// (SDL's dummy and disk drivers keep no real time and count as none). `extradriverdata`, when
/// not null, names the SDL driver to use whatever it is (tests use "dummy").
FMOD_RESULT FMOD_System_Init(FMOD_SYSTEM *system, int maxchannels, FMOD_INITFLAGS flags,
                             void *extradriverdata);
/// Opens `name` (disk, relative to the working directory) as an MP3 stream and scans it for its
/// exact length: FMOD_ERR_FILE_NOTFOUND when it cannot be opened, FMOD_ERR_FORMAT when it is
/// not a playable MP3; a mode without FMOD_CREATESTREAM is FMOD_ERR_INVALID_PARAM.
FMOD_RESULT FMOD_System_CreateSound(FMOD_SYSTEM *system, const char *name, FMOD_MODE mode,
                                    void *exinfo, FMOD_SOUND **sound);
/// The sound's length in ms (FMOD_TIMEUNIT_MS only).
FMOD_RESULT FMOD_Sound_GetLength(FMOD_SOUND *sound, unsigned int *length, FMOD_TIMEUNIT unit);
/// Starts `sound` from 0 ms on the system's one channel (FMOD_CHANNEL_FREE or 0), paused when
/// `paused` is non-zero; FMOD_ERR_UNINITIALIZED before FMOD_System_Init.
FMOD_RESULT FMOD_System_PlaySound(FMOD_SYSTEM *system, FMOD_CHANNELINDEX channelid,
                                  FMOD_SOUND *sound, FMOD_BOOL paused, FMOD_CHANNEL **channel);
/// Playback position in ms: never backwards while playing, frozen while paused, holds at the end.
/// Writes 0 and fails with an invalid handle when there is no channel.
FMOD_RESULT FMOD_Channel_GetPosition(FMOD_CHANNEL *channel, unsigned int *position,
                                     FMOD_TIMEUNIT unit);
/// Seeks to `position` ms (clamped to the length); the position reads it back at once.
FMOD_RESULT FMOD_Channel_SetPosition(FMOD_CHANNEL *channel, unsigned int position,
                                     FMOD_TIMEUNIT unit);
/// Reads the paused flag (0 and an invalid handle when there is no channel).
FMOD_RESULT FMOD_Channel_GetPaused(FMOD_CHANNEL *channel, FMOD_BOOL *paused);
/// Pauses (non-zero) or resumes playback; the position stands still while paused.
FMOD_RESULT FMOD_Channel_SetPaused(FMOD_CHANNEL *channel, FMOD_BOOL paused);
/// Magnitude spectrum of the most recently played samples of one side (0 left, 1 right):
/// `numvalues` bins (1..8192) of a 2*numvalues-point FFT, Blackman window (the only window
/// served), bin k at k * rate / (2 * numvalues) Hz, a full-scale sine reading about 1.0;
/// all zeros while paused or before playback.
FMOD_RESULT FMOD_Channel_GetSpectrum(FMOD_CHANNEL *channel, float *spectrumarray, int numvalues,
                                     int channeloffset, FMOD_DSP_FFT_WINDOW windowtype);
/// The text of a result code; "Unknown error." for a code this layer does not give.
const char *FMOD_ErrorString(FMOD_RESULT result);

/// Output the system plays through: 1 = SDL audio device, 2 = null sink, 0 = not initialised
/// (or a null system).
int vlm_audio_outputKind(FMOD_SYSTEM *system);

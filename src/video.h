// The video road (VLM_VIDEO_OUT=FILE in the environment): frames are drawn back to back instead of on the 25 ms tick, the
// capture clock advances 25 ms per frame (so frame n shows clock 25 x (n - 1) ms, as capture
// frame n does), and every frame's pixels are appended to FILE as raw RGB, 3 bytes per pixel,
// rows in the order a capture PNG holds them. FILE is usually a pipe into an encoder.
// Owns the open file and the frame count; writes nothing else.
#pragma once

extern char *VLM_VIDEO_PATH; // own copy of VLM_VIDEO_OUT; null when not on the video road

// Opens VLM_VIDEO_PATH for writing (exits -1 with "[!] " when it cannot) and makes
// `display` the routine each video frame runs.
void vlm_startVideo(void (*display)(void));
// Display callback on the video road: draws, appends the picture, advances the clock by
// 25 ms, prints "[VIDEO] frame N" and asks for the next frame at once.
void vlm_videoFrame(void);

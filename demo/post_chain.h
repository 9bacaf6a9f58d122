// The picture's way to the window: each scene's post pass into VLM_PP entry 0, the glow
// passes (horizontal blur of the bright picture, vertical blur plus the glow source), the
// final composite with its black bands, and the accumulation step that ends every frame.
// Owns the chain record and the screen-effect values the final pass reads.
#pragma once

// Set by every scene block, read by the final pass ("rgb_ammount", "dist_ammount",
// "wobble_ammount", "fade"); VLM_SCREEN_FADE is never set and stays 0.
extern float VLM_SCREEN_RGBDIST, VLM_SCREEN_DIST, VLM_SCREEN_WOBBLE, VLM_SCREEN_FADE;

enum { PP_TARGET = 0, PP_TEXTURE0 = 1, PP_TEXTURE1 = 2, PP_PROGRAM = 3 };
// Five entries of {render target, colour texture 0, colour texture 1, program}: entry 0 takes
// the scenes' post passes, 2 and 3 the two blurs, 4 (no target) the final pass. Entry 1's
// program is the bright pass, which the horizontal blur makes as it reads: no pass draws
// into its target.
extern int VLM_PP[5][4];

// A scene's post pass: VLM_PP entry 0's target (both textures, every pixel drawn) receives
// `fbotex` through program `postShader` with "fade" = fade.
void postChain_scenePass(int postShader, float fade, unsigned fbotex);
// The two blurs into VLM_PP targets 2 and 3 ("Width" = W, "Height" = H; the passes go by
// their targets' own size, which follows the window once a new size has held), then the
// final composite onto the window with black bands of 5 % of the height at top and bottom.
void postChain_toWindow(int W, int H);
// The accumulation step with mblur, then the buffer swap.
void postChain_accumulateAndSwap(void);

// Framework runtime: start-up, command line, window, demo clock, tick, music and input.
#pragma once

// Checks the machine, reads the options, opens the window and enters the main loop; never returns.
void vlm_init(int argc, char **argv, void (*display)(void));

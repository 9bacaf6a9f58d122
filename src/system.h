// Machine check and the development print. Owns nothing; reads no files.
#pragma once

// Checks byte order (fatal, status -1, when `quiet` is null) and that ten 2048-byte blocks can be
// allocated (reported when `quiet` is null, never fatal).
void vlm_systemCheck(const void *quiet);
// Prints "[DEV] <text>\n" when `enabled` is non-zero.
void dprint(const char *text, int enabled);

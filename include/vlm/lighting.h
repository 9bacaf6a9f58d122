// Fixed-function lighting: light 0 with one fixed set of colours, position and material,
// and three small operations for other lights. Owns no table; sets GL state only.
#pragma once

// Non-zero: lighting and light 0 on with the fixed values, colour material tracking the
// specular colour. Zero: only GL_LIGHTING off.
void vlm_setLight0(int on);
// Stores a, b, c, d in the first four floats of a light record.
void vlm_setLightData(float *record, float a, float b, float c, float d);
// Sets the light model's global ambient colour (0..1 each).
void vlm_setAmbientLight(float red, float green, float blue, float alpha);
// Enables lighting and light n from a record of four groups of three floats:
// ambient, diffuse, specular, position (each group read as four floats).
void vlm_enableLight(const float *record, int n);

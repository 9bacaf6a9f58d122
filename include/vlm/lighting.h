/// @file
/// Fixed-function lighting: light 0 with one fixed set of colours, position and material,
/// and three small operations for other lights. Owns no table and reads no files; sets GL state
/// only, in the context current at the call.
#pragma once

/// Light 0 on or off. Non-zero: enables GL_LIGHTING and GL_LIGHT0 with ambient 0.1, diffuse 0.5
/// and specular 0.3 (grey, 0..1), a point light at (0, 0, 1) of the model-view current at the
/// call (call it before the camera for a light beside the viewer), sets the same three values
/// as the front and back material with shininess 0.5, and leaves GL_COLOR_MATERIAL on, tracking
/// GL_SPECULAR. Zero: only GL_LIGHTING off (light 0, the material and colour material stay).
///
/// @warning The current colour becomes the material's emission. The call selects the colour
/// material modes emission, then ambient and diffuse, then specular; while GL_COLOR_MATERIAL is
/// on (vlm_init turns it on, and this call leaves it on) each selection copies the current
/// colour into those material values at once. So the emission, the ambient, the diffuse and the
/// specular all become the colour current at the call (the grey values above are lost), and
/// every lit face shows at least that colour, flat, whatever the light: after
/// `glColor3f(1, 1, 1)` all white, after vlm_renderOBJ (which leaves red current) all red.
/// From then on glColor changes the specular only. To light a model in its own colours, put the
/// emission back to black after the call, then either let glColor drive ambient and diffuse, or,
/// for OBJ models, switch colour material off so that the MTL's Ka, Kd and Ks apply:
/// @code
/// vlm_setLight0(1);
/// const float black[4] = {0, 0, 0, 1};
/// glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
/// glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
/// glColor3f(0.8f, 0.4f, 0.1f);  // geometry drawn with glColor: its lit colour from here on
/// // or, for an OBJ model:
/// glDisable(GL_COLOR_MATERIAL);  // the materials' values apply (vlm_setLight0(1) enables it)
/// vlm_renderOBJ(model);
/// @endcode
void vlm_setLight0(int on);
/// Stores a, b, c, d in record[0..3] (no GL call): one group of a vlm_enableLight record.
void vlm_setLightData(float *record, float a, float b, float c, float d);
/// Sets GL_LIGHT_MODEL_AMBIENT, the global ambient colour (each 0..1).
void vlm_setAmbientLight(float red, float green, float blue, float alpha);
/// Enables GL_LIGHTING and light GL_LIGHT0 + `n` from `record`, twelve floats in four groups of
/// three: ambient [0..2] (not used), diffuse [3..5] and specular [6..8] (each read as four
/// floats, the fourth the next group's first), position [9..11] (w = 1: a point light, placed by
/// the model-view current at the call). Sets no material.
void vlm_enableLight(const float *record, int n);

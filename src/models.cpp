// MD5 meshes: quaternion routines, the mesh loader, skinning and drawing (stubs for now).
#include "models.h"

md5_model_t MODEL[MD5_MAX_MODELS];
int CURRENT_ID = 0;

void quat_computeW(quat4 q) {}
void quat_normalize(quat4 q) {}
void quat_multquat(const quat4 a, const quat4 b, quat4 out) {}
void quat_multVec(const quat4 q, const float v[3], quat4 out) {}
void quat_rotatePoint(const quat4 q, const float point[3], float out[3]) {}
float quat_dotProduct(const quat4 a, const quat4 b) { return 0; }
void quat_slerp(const quat4 a, const quat4 b, float t, quat4 out) {}

int vlm_loadMD5(const char *path) { return CURRENT_ID++; }
void loadMD5Mesh(md5_model_t *model, const char *path) {}
md5_parseResult md5_parseMesh(const char *path, const char *bytes, size_t size, md5_model_t *model)
{
    return md5_parseResult{std::string(), 0, 0};
}
void md5_sizeScratch(md5_model_t *model) {}
void md5_prepare_mesh(md5_model_t *model, int mesh, const md5_joint_t *skeleton) {}
void vlm_renderMD5(int model) {}
void vlm_md5_renderSkeleton(int model) {}

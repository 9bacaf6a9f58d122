// OBJ models and MTL materials (loading arrives in the next change; these keep callers linking).
#include "models_obj.h"

OBJModel OBJMODELS[VLM_OBJ_MAX_MODELS];
int CURRENT_OBJ_ID = 0;

int vlm_loadOBJ(const char *path) { return CURRENT_OBJ_ID++; }
int vlm_loadOBJ_Compressed(const char *path) { return VLM_OBJ_NOT_PACKED; }
int vlm_loadOBJ_Native(const char *path) { return CURRENT_OBJ_ID++; }
int loadMaterial(const char *library, const char *name, OBJMaterial *material, int firstTriangle)
{
    return 1;
}
int loadMaterial_Compressed(const char *library, const char *name, OBJMaterial *material,
                            int firstTriangle)
{
    return 0;
}
int loadMaterial_Native(const char *library, const char *name, OBJMaterial *material,
                        int firstTriangle)
{
    return 1;
}
void vlm_renderOBJ(int id) {}
bool objParse(const char *path, const char *bytes, size_t size, OBJModel *model,
              ObjMaterialLoader loadMaterial, void *context, std::string *log,
              ObjParseError *error)
{
    return true;
}
bool mtlParse(const char *library, const char *bytes, size_t size, const char *name,
              OBJMaterial *material, int firstTriangle, bool packed,
              ObjTextureLoader loadTexture, void *context, std::string *log,
              ObjParseError *error)
{
    return true;
}

// MD5 skeletal animation: the animation loader, frame skeletons, blending and the player (stubs).
#include "models.h"

md5_anim_t ANIMATION[MD5_MAX_ANIMATIONS];
int CURRENT_ANIMATION_ID = 0;

int vlm_loadMD5Animation(const char *path) { return CURRENT_ANIMATION_ID++; }
md5_parseResult md5_parseAnimation(const char *path, const char *bytes, size_t size,
                                   md5_anim_t *anim)
{
    return md5_parseResult{std::string(), 0, 0};
}
void anim_buildFrameSkeleton(const md5_jointInfo_t *jointInfos,
                             const md5_baseFrameJoint_t *baseFrame, const float *values,
                             md5_joint_t *out, int num_joints) {}
int anim_validate(const md5_model_t *model, const md5_anim_t *anim) { return 0; }
void anim_skel_interpolate(const md5_joint_t *a, const md5_joint_t *b, int num_joints, float t,
                           md5_joint_t *out) {}
void anim_framesAt(const md5_anim_t *anim, float seconds, int *frameA, int *frameB, float *t) {}
void vlm_renderAnimatedMD5(int model, int animation, float seconds) {}

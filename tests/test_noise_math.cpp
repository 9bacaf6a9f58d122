// Value noise and vector math: the values the picture depends on, pinned.
#include "noise.h"
#include "vlm_math.h"
#include <gtest/gtest.h>
#include <limits.h>
#include <math.h>
#include <stdint.h>

// The lattice hash computed independently in 64 bits and cut to 32, as a 32-bit machine wraps.
static float referenceNoise(int64_t x, int64_t y, int64_t seed)
{
    uint32_t n = (uint32_t)((x + y * 57 + seed * 131) & 0xffffffff);
    n = n ^ (uint32_t)(((uint64_t)n << 13) & 0xffffffff);
    uint64_t inner = ((uint64_t)n * n % 4294967296ull * 15731 + 789221) % 4294967296ull;
    uint64_t v = ((uint64_t)n * inner + 1376312589ull) % 4294967296ull & 0x7fffffff;
    return (float)(1.0 - (double)v / 1073741824.0);
}

TEST(Noise, LatticeValueAtOriginIsPinned)
{
    EXPECT_FLOAT_EQ(vlm_noise(0, 0, 0), (float)(1.0 - 1376312589.0 / 1073741824.0));
    EXPECT_NEAR(vlm_noise(0, 0, 0), -0.281791, 1e-6);
}

TEST(Noise, RandomSequenceStartsWithThePinnedValuesAndFollowsTheDiagonal)
{
    // First use of vlm_random in this process: the sequence starts at k = 0.
    const double first[4] = {-0.281791, -0.682516, -0.524391, 0.751431};
    for (int k = 0; k < 4; k++) EXPECT_NEAR(vlm_random(), first[k], 1e-6) << "call " << k;
    for (int k = 4; k < 200; k++) ASSERT_EQ(vlm_random(), vlm_noise(k, k, k)) << "call " << k;
}

TEST(Noise, IntegerArithmeticWrapsAt32Bits)
{
    const int cases[][3] = {{INT_MAX, INT_MAX, INT_MAX}, {INT_MIN, 1, -1}, {123456789, -987654, 77},
                            {-1, -1, -1}, {40000, 40000, 40000}, {0, INT_MIN, INT_MAX}};
    for (const auto &c : cases) {
        float value = vlm_noise(c[0], c[1], c[2]);
        EXPECT_EQ(value, referenceNoise(c[0], c[1], c[2])) << c[0] << "," << c[1] << "," << c[2];
        EXPECT_GT(value, -1.0f);
        EXPECT_LE(value, 1.0f);
    }
}

TEST(Noise, LayeredNoiseIsPinnedAtTwoPoints)
{
    EXPECT_NEAR(vlm_perlin2DNoise(0, 0, 123), -0.504789, 1e-5);
    EXPECT_NEAR(vlm_perlin2DNoise(0.5f, 0, 123), 0.107456, 1e-5);
}

TEST(Noise, ContinuousNoiseAtWholeNumbersIsTheSmoothedLatticeValue)
{
    for (int x = -3; x <= 3; x++)
        for (int y = -3; y <= 3; y++)
            EXPECT_EQ(vlm_2D_CosNoise((float)x, (float)y, 7), vlm_smoothed2DNoise(x, y, 7));
}

TEST(Noise, NegativeCoordinatesTruncateTowardZero)
{
    // (-0.3, y) lies in cell 0 with fraction -0.3; the cosine weight is even in the fraction.
    EXPECT_EQ(vlm_2D_CosNoise(-0.3f, 0.4f, 5), vlm_2D_CosNoise(0.3f, 0.4f, 5));
    EXPECT_EQ(vlm_1D_CosNoise(-0.3f, 5), vlm_1D_CosNoise(0.3f, 5));
    // (-1.5) lies in cell -1 and interpolates towards cell 0 with fraction -0.5.
    float left = vlm_smoothed1DNoise(-1, 5), right = vlm_smoothed1DNoise(0, 5);
    EXPECT_EQ(vlm_1D_CosNoise(-1.5f, 5), vlm_1DcosInterpolate(left, right, -0.5f));
    EXPECT_NE(vlm_1D_CosNoise(-1.5f, 5), vlm_1DcosInterpolate(vlm_smoothed1DNoise(-2, 5), left, 0.5f));
}

TEST(Noise, CosineInterpolationEnds)
{
    EXPECT_EQ(vlm_1DcosInterpolate(0.123f, 9.5f, 0), 0.123f);
    EXPECT_NEAR(vlm_1DcosInterpolate(-2, 2, 1), 2, 1e-6);
}

TEST(VectorMath, CosineInterpolation)
{
    EXPECT_NEAR(vlm_cos_interpolate(0, 10, 0.5f), 5, 1e-5);
    EXPECT_NEAR(vlm_cos_interpolate(0, 10, 0.25f), 1.4644661, 1e-5);
    EXPECT_NEAR(vlm_cos_interpolate(3, 10, 2), 3, 1e-5);  // not clamped: swings back
    vec3 a = {0, 10, -4}, b = {10, 20, 4}, out;
    EXPECT_EQ(vlm_vec3_cos_interpolate(&a, &b, &out, 0.25f), &out);
    EXPECT_NEAR(out.x, 1.4644661, 1e-5);
    EXPECT_NEAR(out.y, 11.4644661, 1e-5);
    EXPECT_NEAR(out.z, -2.8284271, 1e-5);
    // The output may be an input.
    vlm_vec3_cos_interpolate(&a, &b, &a, 1);
    EXPECT_NEAR(a.x, 10, 1e-5);
}

TEST(VectorMath, DotIsTheCrossProduct)
{
    vec3 x = {1, 0, 0}, y = {0, 1, 0}, out;
    vlm_vec3_dot(&x, &y, &out);
    EXPECT_EQ(out.x, 0);
    EXPECT_EQ(out.y, 0);
    EXPECT_EQ(out.z, 1);
    vlm_vec3_dot(&y, &x, &out);
    EXPECT_EQ(out.z, -1);
}

TEST(VectorMath, BezierEndsAreSwapped)
{
    vec3 p0 = {1, 2, 3}, p1 = {-5, 7, 0}, p2 = {9, -1, 4}, out;
    vlm_bezierCurve(p0, p1, p2, &out, 0);
    EXPECT_EQ(out.x, 9);
    EXPECT_EQ(out.y, -1);
    EXPECT_EQ(out.z, 4);
    EXPECT_EQ(vlm_bezierCurve(p0, p1, p2, &out, 1), &out);
    EXPECT_EQ(out.x, 1);
    EXPECT_EQ(out.z, 3);
    vlm_bezierCurve(p0, p1, p2, &out, 0.5f);
    EXPECT_FLOAT_EQ(out.x, 0.25f * 1 + 0.5f * -5 + 0.25f * 9);
}

TEST(VectorMath, SawWave)
{
    const float cases[][2] = {{0.25f, 0.75f}, {2, 1}, {0, 1}, {0.999f, 0.001f}, {-0.25f, 1.25f},
                              {7.5f, 0.5f}};
    for (const auto &c : cases) EXPECT_NEAR(vlm_sawWave(c[0]), c[1], 1e-5) << "x = " << c[0];
}

TEST(VectorMath, IntegerVectors)
{
    vec3i a = {0, 0, 0}, b = {10, -10, 3}, out;
    vlm_vec3i_linear_interpolate(&a, &b, &out, 0.55f);
    EXPECT_EQ(out.x, 5);
    EXPECT_EQ(out.y, -5);
    EXPECT_EQ(out.z, 1);
    vec3i c = {2, -3, 4}, d = {5, 6, -7};
    vlm_vec3i_add(&c, &d, &out);
    EXPECT_EQ(out.x, 7);
    EXPECT_EQ(out.y, 3);
    EXPECT_EQ(out.z, -3);
    vlm_vec3i_mult(&c, &d, &out);
    EXPECT_EQ(out.x, 10);
    EXPECT_EQ(out.y, -18);
    EXPECT_EQ(out.z, -28);
}

TEST(VectorMath, NormalizeAndMultiply)
{
    vec3 v = {3, 0, -4}, out;
    vlm_vec3_normalize(&v, &out);
    EXPECT_FLOAT_EQ(out.x, 0.6f);
    EXPECT_FLOAT_EQ(out.z, -0.8f);
    vec3 zero = {0, 0, 0};
    vlm_vec3_normalize(&zero, &out);
    EXPECT_TRUE(std::isnan(out.x));
    vec3 w = {2, 3, -1};
    vlm_vec3_mult(&v, &w, &out);
    EXPECT_EQ(out.x, 6);
    EXPECT_EQ(out.z, 4);
    vlm_vec3_linear_interpolate(&v, &w, &out, 0.5f);
    EXPECT_FLOAT_EQ(out.x, 2.5f);
    EXPECT_FLOAT_EQ(out.y, 1.5f);
}

// The test set-up itself: a GL context under Xvfb draws and reads back.
#include "gl_context.h"
#include <gtest/gtest.h>

TEST(GLContext, ClearColourReadsBack)
{
    vlmTestGLContext();
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    unsigned char p[4];
    glReadBuffer(GL_BACK);
    vlmTestReadPixel(10, 10, p);
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[1], 0);
}

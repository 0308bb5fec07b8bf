#include "GlRenderer.h"

#include <cstdio>
#include <iostream>

#include <GL/glew.h>

#include <GL/freeglut.h>
#include <GL/glu.h>

namespace {

// Eye distance from the plane z = 0, and the depth range around it.
constexpr double kEyeZ = 600.0;
constexpr double kNearPlane = -1000.0;
constexpr double kFarPlane = 1000.0;

bool windowPosAvailable = false;

void drawText(const char* text, void* font)
{
    for (const char* c = text; *c != '\0'; ++c) glutBitmapCharacter(font, *c);
}

// One label and its value on a shared baseline, at window pixel (x, y) from the lower-left corner.
void drawHudItem(int x, int y, const char* label, int value, void* valueFont)
{
    char valueText[16];
    std::snprintf(valueText, sizeof valueText, "%i", value);
    glWindowPos2i(x, y);
    drawText(label, GLUT_BITMAP_9_BY_15);
    drawText(valueText, valueFont);
}

int valueOrZero(const int* value) { return value != nullptr ? *value : 0; }

} // namespace

void initGl()
{
    const GLenum status = glewInit();
    windowPosAvailable = status == GLEW_OK && glWindowPos2i != nullptr;
    if (!windowPosAvailable) std::cout << "glWindowPos2i unavailable: the overlay is not drawn" << std::endl;

    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void GlRenderer::setUpFrame(const Camera& camera)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-camera.viewWidth * 0.5, camera.viewWidth * 0.5, -camera.viewHeight * 0.5, camera.viewHeight * 0.5,
            kNearPlane, kFarPlane);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // Multiplied onto the projection: the modelview stays the identity for the bodies.
    gluLookAt(camera.position.x, camera.position.y, kEyeZ, camera.target.x, camera.target.y, 0.0, camera.up.x,
              camera.up.y, 0.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void GlRenderer::drawTexturedQuad(const TexturedQuad& quad)
{
    static constexpr int kTexCoords[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    const float z = -static_cast<float>(*quad.layerRef);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, quad.texture);
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
        glTexCoord2i(kTexCoords[i][0], kTexCoords[i][1]);
        glVertex3f(quad.corners[i].x, quad.corners[i].y, z);
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

void GlRenderer::beginBody() { glPushMatrix(); }

void GlRenderer::endBody() { glPopMatrix(); }

void GlRenderer::drawHud(const HudValues& hud)
{
    if (!windowPosAvailable) return;
    glColor3f(1.0f, 1.0f, 1.0f);
    drawHudItem(10, 10, "P1 Health ", valueOrZero(hud.p1Health), GLUT_BITMAP_HELVETICA_18);
    drawHudItem(550, 10, "P2 Health ", valueOrZero(hud.p2Health), GLUT_BITMAP_HELVETICA_18);

    advanceFrameClock(frames, glutGet(GLUT_ELAPSED_TIME));
    drawHudItem(250, 10, "fps ", frames.shownFps, GLUT_BITMAP_9_BY_15);

    drawHudItem(10, 25, "P1 Score ", valueOrZero(hud.p1Score), GLUT_BITMAP_HELVETICA_18);
    drawHudItem(550, 25, "P2 Score ", valueOrZero(hud.p2Score), GLUT_BITMAP_HELVETICA_18);
    // The next interval runs from the end of this overlay.
    frames.nowMs = glutGet(GLUT_ELAPSED_TIME);
    frames.lastFrameMs = frames.nowMs;
    glColor3f(1.0f, 1.0f, 1.0f);
}

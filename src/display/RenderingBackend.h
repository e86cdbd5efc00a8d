#pragma once

#include <QByteArray>
#include <QProcessEnvironment>

// Picks how Qt Quick draws the panel. Where OpenGL is only a software rasterizer (Mesa's llvmpipe on
// machines without a GPU, in virtual machines and remote sessions), Qt Quick's own software renderer
// draws our few textured rectangles for less than half the CPU and some 80 MiB less memory; with a
// real GPU, OpenGL stays. A backend the user chose through Qt's variables is left alone.
class RenderingBackend
{
public:
    // Call after the application object exists and before the first window.
    static void chooseForThisMachine(const QProcessEnvironment& environment);

private:
    static bool isSoftwareRasterizer(const QByteArray& renderer);
    static QByteArray openGLRenderer();
};

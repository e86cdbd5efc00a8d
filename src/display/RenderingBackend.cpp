#include "RenderingBackend.h"

#include <QDir>
#include <QFileInfo>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>

void RenderingBackend::chooseForThisMachine(const QProcessEnvironment& environment)
{
    for (const char* chosen : {"QT_QUICK_BACKEND", "QSG_RHI_BACKEND", "QT_QUICK_SCENE_GRAPH_BACKEND"})
        if (environment.contains(QString::fromLatin1(chosen)))
            return;
    // Without a graphics device OpenGL can only be a rasterizer on the CPU; asking it would load a
    // driver that stays in memory for nothing.
    const bool device = !QDir(QStringLiteral("/dev/dri")).entryList(QDir::System).isEmpty() ||
                        QFileInfo::exists(QStringLiteral("/dev/nvidia0"));
    if (!device || isSoftwareRasterizer(openGLRenderer()))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

bool RenderingBackend::isSoftwareRasterizer(const QByteArray& renderer)
{
    if (renderer.isEmpty())
        return true; // no OpenGL at all
    const QByteArray name = renderer.toLower();
    for (const char* rasterizer : {"llvmpipe", "softpipe", "swrast", "software rasterizer", "swr"})
        if (name.contains(rasterizer))
            return true;
    return false;
}

QByteArray RenderingBackend::openGLRenderer()
{
    QOpenGLContext context;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.create() || !surface.isValid() || !context.makeCurrent(&surface))
        return {};
    const auto* name = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    QByteArray renderer(name ? name : "");
    context.doneCurrent();
    return renderer;
}

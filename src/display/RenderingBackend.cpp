#include "RenderingBackend.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>

void RenderingBackend::chooseForThisMachine(const QProcessEnvironment& environment)
{
    for (const char* chosen : {"QT_QUICK_BACKEND", "QSG_RHI_BACKEND", "QT_QUICK_SCENE_GRAPH_BACKEND"})
        if (environment.contains(QString::fromLatin1(chosen)))
            return;
    const QByteArray renderer = openGLRenderer();
    if (renderer.isEmpty() || isSoftwareRasterizer(renderer))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

bool RenderingBackend::isSoftwareRasterizer(const QByteArray& renderer)
{
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

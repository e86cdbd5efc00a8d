#pragma once

#include <QJSEngine>
#include <QPointer>
#include <QtGlobal>

// The one instance of a service that QML reaches through a singleton type. The application puts the
// instance here when it builds its services; QML never owns it.
template <typename T> class QmlShared
{
public:
    static void set(T* instance) { s_instance = instance; }
    static T* get() { return s_instance; }

    static T* create(QJSEngine* engine)
    {
        Q_UNUSED(engine);
        if (!s_instance) {
            qCritical("%s is used in QML before the application made it", T::staticMetaObject.className());
            return nullptr;
        }
        QJSEngine::setObjectOwnership(s_instance, QJSEngine::CppOwnership);
        return s_instance;
    }

private:
    static inline QPointer<T> s_instance;
};

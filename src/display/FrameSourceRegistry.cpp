#include "FrameSourceRegistry.h"

#include "FramePacer.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>
#include <map>
#include <set>
#include <utility>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {
using Key = std::pair<QString, std::pair<int, int>>;

Key keyOf(const QString& path, QSize size)
{
    return {path, {size.width(), size.height()}};
}

// Freed decoder buffers stay with the allocator otherwise: many cats leaving kept a gigabyte.
void returnFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
} // namespace

struct FrameSourceRegistry::Core
{
    struct Entry
    {
        FrameSource* source = nullptr; // owned here while nobody holds it
        std::weak_ptr<FrameSource> handle;
        quint64 generation = 0; // new on every acquire and release, so stale close timers see it
    };

    std::chrono::milliseconds closeDelay;
    FramePacer* pacer = nullptr;
    QThreadPool workers;
    std::map<Key, Entry> entries;
    std::set<FrameSource*> closing;
    quint64 lastGeneration = 0;
};

FrameSourceRegistry::FrameSourceRegistry(std::chrono::milliseconds closeDelay, FramePacer* pacer,
                                         QObject* parent)
    : QObject(parent), m_core(std::make_unique<Core>())
{
    m_core->closeDelay = closeDelay;
    m_core->pacer = pacer;
    // Two: opening one clip must not wait behind closing another, and there are two cores.
    m_core->workers.setMaxThreadCount(2);
}

FrameSourceRegistry::~FrameSourceRegistry()
{
    std::vector<FrameSource*> unheld(m_core->closing.begin(), m_core->closing.end());
    for (auto& [key, entry] : m_core->entries) {
        // A held source is closed but left to its holder, whose release deletes it.
        if (entry.handle.expired())
            unheld.push_back(entry.source);
        m_core->workers.start([source = entry.source] { source->close(); });
    }
    m_core->workers.waitForDone();
    for (FrameSource* source : unheld)
        delete source;
    m_core.reset();
    returnFreedMemory();
}

FrameSourceRegistry& FrameSourceRegistry::shared()
{
    static QPointer<FrameSourceRegistry> registry;
    if (!registry) {
        registry = new FrameSourceRegistry(std::chrono::seconds(2), &FramePacer::shared(),
                                           QCoreApplication::instance());
    }
    return *registry;
}

std::shared_ptr<FrameSource> FrameSourceRegistry::acquire(const QString& path, QSize size)
{
    Core::Entry& entry = m_core->entries[keyOf(path, size)];
    entry.generation = ++m_core->lastGeneration;
    if (auto held = entry.handle.lock())
        return held;
    const bool fresh = !entry.source;
    if (fresh)
        entry.source = new FrameSource(path, size, &m_core->workers);
    auto handle =
        std::shared_ptr<FrameSource>(entry.source, [registry = QPointer(this)](FrameSource* source) {
            if (registry) {
                registry->release(source);
                return;
            }
            source->close(); // the registry is gone: nobody else will
            delete source;
        });
    entry.handle = handle;
    if (fresh) {
        if (FramePacer* pacer = m_core->pacer)
            entry.source->setFrameObserver([pacer](const FrameSource::Frame&) { pacer->wake(); });
        entry.source->start();
    } else
        entry.source->setActive(true);
    return handle;
}

int FrameSourceRegistry::sourceCount() const
{
    return int(m_core->entries.size() + m_core->closing.size());
}

void FrameSourceRegistry::release(FrameSource* source)
{
    auto found = m_core->entries.find(keyOf(source->path(), source->size()));
    if (found == m_core->entries.end())
        return;
    const quint64 generation = found->second.generation = ++m_core->lastGeneration;
    source->setActive(false);
    QTimer::singleShot(m_core->closeDelay, this,
                       [this, source, generation] { closeIfUnused(source, generation); });
}

void FrameSourceRegistry::closeIfUnused(FrameSource* source, quint64 generation)
{
    auto found = m_core->entries.find(keyOf(source->path(), source->size()));
    if (found == m_core->entries.end() || found->second.generation != generation)
        return;
    m_core->entries.erase(found);
    m_core->closing.insert(source);
    m_core->workers.start([this, source] {
        source->close();
        returnFreedMemory();
        QMetaObject::invokeMethod(
            this, [this, source] { finishClose(source); }, Qt::QueuedConnection);
    });
}

void FrameSourceRegistry::finishClose(FrameSource* source)
{
    if (!m_core->closing.erase(source))
        return;
    const QString path = source->path();
    const QSize size = source->size();
    delete source;
    emit sourceClosed(path, size);
}

#include "app/mount_watcher.h"

#include <QSocketNotifier>

namespace corvane {

MountWatcher::MountWatcher(std::string tablePath, QObject* parent)
    : QObject(parent), m_tablePath(std::move(tablePath)), m_volumes(volumesOfTable(m_tablePath))
{
    watch();
}

MountWatcher::~MountWatcher() = default;

void MountWatcher::setTablePath(std::string tablePath)
{
    m_tablePath = std::move(tablePath);
    watch();
    check();
}

// A table that cannot be opened is not watched; the volumes read last stay.
void MountWatcher::watch()
{
    m_notifier.reset();
    m_table.close();
    m_table.setFileName(QFile::decodeName(QByteArray::fromStdString(m_tablePath)));
    if (!m_table.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_table.handle(), QSocketNotifier::Exception);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &MountWatcher::check);
}

void MountWatcher::check()
{
    std::vector<Volume> volumes = volumesOfTable(m_tablePath);
    if (volumes == m_volumes)
        return;
    m_volumes = std::move(volumes);
    emit volumesChanged(m_volumes);
}

}  // namespace corvane

#pragma once
// Tells when a volume is mounted or unmounted while the program runs. The kernel flags its
// mount table with an exceptional condition whenever the table changes, so the watcher sleeps
// until then instead of reading the table over and over.

#include "app/volumes.h"

#include <QFile>
#include <QObject>

#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;

namespace corvane {

class MountWatcher final : public QObject {
    Q_OBJECT

public:
    // Reads the volumes of the table at tablePath and watches it.
    explicit MountWatcher(std::string tablePath = kMountTable, QObject* parent = nullptr);
    ~MountWatcher() override;
    MountWatcher(const MountWatcher&) = delete;
    MountWatcher& operator=(const MountWatcher&) = delete;

    // Watches another table file (a made-up one, in tests) and reads it at once.
    void setTablePath(std::string tablePath);
    // Reads the table and reports volumesChanged when its volumes differ from the last ones
    // read. The watcher calls it on every change of the table.
    void check();
    [[nodiscard]] const std::vector<Volume>& volumes() const { return m_volumes; }

signals:
    void volumesChanged(const std::vector<Volume>& volumes);

private:
    void watch();

    std::string m_tablePath;
    QFile m_table;  // open while watched: the kernel flags the open table, not its name
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::vector<Volume> m_volumes;
};

}  // namespace corvane

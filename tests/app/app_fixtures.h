#pragma once
// Folders of real MP3 files for the main-window tests, and a settings store in a temporary INI
// file, so that no test touches the user's own settings.

#include "app/file_list.h"
#include "tests/support/id3_builder.h"
#include "tests/support/temp_dir.h"

#include <QSettings>
#include <QStringList>
#include <QTest>

#include <memory>
#include <ostream>
#include <string>

// Readable failure messages for texts of the widgets.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace corvane::test {

// An MP3 file in dir: an ID3v2 tag of the given frames (none when empty), some audio, and the
// trailer (none when empty).
inline void writeSong(const TempDir& dir, const std::string& name, const std::vector<Bytes>& frames,
                      const Bytes& trailerBytes = {})
{
    writeFile(dir.file(name), mp3(frames.empty() ? Bytes{} : tag(frames, 64), mpegAudio(600),
                                  trailerBytes));
}

// Lets the list's background reading of its folder run to the end; false when it did not end
// within ten seconds.
[[nodiscard]] inline bool finishScan(const FileList& list)
{
    return QTest::qWaitFor([&] { return !list.isScanning(); }, 10000);
}

// The texts of one physical column, top row first.
inline QStringList columnTexts(const FileList& list, int column)
{
    QStringList texts;
    for (int r = 0; r < list.rowCount(); ++r)
        texts << list.model().index(r, column).data().toString();
    return texts;
}

// The file names of the rows, top row first.
inline QStringList rowNames(const FileList& list)
{
    QStringList names;
    for (int r = 0; r < list.rowCount(); ++r)
        names << QString::fromStdString(list.row(r).name);
    return names;
}

inline int rowOf(const FileList& list, const std::string& name)
{
    for (int r = 0; r < list.rowCount(); ++r) {
        if (list.row(r).name == name)
            return r;
    }
    return -1;
}

// A settings store of its own, in an INI file inside a temporary folder.
class SettingsStore {
public:
    SettingsStore()
        : m_store(std::make_unique<QSettings>(QString::fromStdString(m_dir.file("corvane.ini")),
                                              QSettings::IniFormat))
    {
    }
    QSettings& store() { return *m_store; }
    // A fresh object on the same file, as a restarted program would open it.
    QSettings& reopen()
    {
        m_store->sync();
        m_store = std::make_unique<QSettings>(QString::fromStdString(m_dir.file("corvane.ini")),
                                              QSettings::IniFormat);
        return *m_store;
    }

private:
    TempDir m_dir;
    std::unique_ptr<QSettings> m_store;
};

}  // namespace corvane::test

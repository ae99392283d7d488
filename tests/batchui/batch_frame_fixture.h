#pragma once
// Shared set-up of the run-frame tests: a real main window over a temporary folder of MP3 files,
// the scripted prompter in place of message boxes, and a way to fill in the modal dialogs that a
// command opens (exec() blocks the test, so a timer finds the dialog once it is shown).

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#include "app/folder_tree.h"
#include "app/main_window.h"
#include "batchui/auto_track_dialog.h"
#include "batchui/set_value_dialog.h"
#include "tests/app/app_fixtures.h"
#include "tests/batch/batch_test_support.h"
#include "tests/gui_support/scripted_prompter.h"

namespace corvane::test {

// Calls act on the modal dialog of type D as soon as it is the active modal widget. Gives up
// (failing the test) after about five seconds.
template <typename D>
void whenShown(std::function<void(D&)> act, int tries = 500)
{
    QTimer::singleShot(tries == 500 ? 0 : 10, [act = std::move(act), tries]() mutable {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        if (dialog != nullptr && dialog->isVisible()) {
            act(*dialog);
        } else if (tries > 0) {
            whenShown<D>(std::move(act), tries - 1);
        } else {
            ADD_FAILURE() << "the dialog " << D::staticMetaObject.className() << " never opened";
        }
    });
}

template <typename W>
W& child(QWidget& parent, const char* name)
{
    auto* w = parent.findChild<W*>(QLatin1String(name));
    // A missing widget is a fault of the test itself; nothing sensible can follow.
    if (w == nullptr) qFatal("no widget %s", name);
    return *w;
}

inline void clickButton(QWidget& parent, const char* name)
{
    QTest::mouseClick(&child<QPushButton>(parent, name), Qt::LeftButton);
}

// Makes a file read-only the way a user would (no write bit at all), and undoes it for removal.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(std::string path) : m_path(std::move(path))
    {
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::group_read |
                                                 std::filesystem::perms::others_read);
    }
    ~ReadOnlyFile()
    {
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ec);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

private:
    std::string m_path;
};

class BatchFrameTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        m_window.reset();
        for (QWidget* w : QApplication::topLevelWidgets())
            EXPECT_FALSE(w->isVisible())
                << "a window was left open: " << w->metaObject()->className();
    }

    std::string put(const std::string& name, const Bytes& bytes)
    {
        writeFile(m_music.file(name), bytes);
        return m_music.file(name);
    }
    // A song with an ID3v2.3 tag (padding 64) of the frames and, when given, a trailer.
    std::string song(const std::string& name, const std::vector<Bytes>& frames,
                     const Bytes& trailerBytes = {})
    {
        writeSong(m_music, name, frames, trailerBytes);
        return m_music.file(name);
    }
    std::string path(const std::string& name) const { return m_music.file(name); }

    // The window over the folder, with the columns and view asked for, shown and active.
    MainWindow& openWindow(const ColumnLayout& layout = defaultColumnLayout(),
                           TagView view = TagView::Id3v1, bool compact = false)
    {
        m_settings.store().setValue("CurPath", QByteArray::fromStdString(m_music.folder()));
        m_settings.store().setValue("CurrentView", static_cast<int>(view));
        m_settings.store().setValue("Compact", compact ? 1 : 0);
        m_window = std::make_unique<MainWindow>(m_settings.store(), m_prompter);
        if (layout != defaultColumnLayout()) list().applyColumnLayout(layout);
        EXPECT_TRUE(finishScan(list()));
        m_window->show();
        m_window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
        return *m_window;
    }

    MainWindow& window() { return *m_window; }
    FileList& list() { return m_window->fileList(); }

    void select(std::initializer_list<const char*> names)
    {
        list().clearSelection();
        for (const char* name : names) {
            const int r = rowOf(list(), name);
            ASSERT_GE(r, 0) << name;
            list().selectionModel()->select(
                list().model().index(r, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    void run(CommandId id) { m_window->runCommand(commandNumber(id)); }

    QString cell(const char* name, int column)
    {
        const int r = rowOf(list(), name);
        return r < 0 ? QStringLiteral("<no row>")
                     : list().model().index(r, column).data().toString();
    }
    int presence(const char* name) { return list().row(rowOf(list(), name)).presence; }
    QStringList names() { return rowNames(list()); }

    TempDir m_music;
    SettingsStore m_settings;
    ScriptedPrompter m_prompter;
    std::unique_ptr<MainWindow> m_window;
};

inline ColumnLayout layoutOf(std::initializer_list<tags::Column> fields)
{
    ColumnLayout layout;
    for (tags::Column field : fields) layout.push_back({field, 100});
    return layout;
}

// Fills in the "Set <field>" dialog that the next command opens: the value, the tag boxes that are
// given (the others keep their starting state), then OK.
inline void answerSetValue(const QString& value, std::optional<Qt::CheckState> id3v1 = {},
                           std::optional<Qt::CheckState> id3v2 = {})
{
    whenShown<SetValueDialog>([=](SetValueDialog& dialog) {
        auto& edit = child<QLineEdit>(dialog, "valueEdit");
        if (edit.isVisible())
            edit.setText(value);
        else
            child<QComboBox>(dialog, "genreBox").setEditText(value);
        if (id3v1) child<QCheckBox>(dialog, "id3v1Box").setCheckState(*id3v1);
        if (id3v2) child<QCheckBox>(dialog, "id3v2Box").setCheckState(*id3v2);
        clickButton(dialog, "okButton");
    });
}

// The texts of the run's access prompt.
inline QString readOnlyText(const QString& name)
{
    return QStringLiteral("The file ") + name +
           QStringLiteral(
               " could not be written to. Please ensure it is not set to Read-Only and "
               "try again.");
}
inline const QString kGoOnQuestion =
    QStringLiteral("\nWould you like to continue setting remaining file tags?");

}  // namespace corvane::test

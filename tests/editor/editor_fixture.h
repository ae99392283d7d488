#pragma once
// Shared set-up of the tag editor tests: real MP3 files in a temporary folder, the real dialog
// shown offscreen, and the scripted prompter in place of message boxes.

// The tag core comes before any Qt header: TagRecord has a member named slots, which Qt's
// headers define away as a macro.
#include "batch/update_all.h"
#include "tests/editor/read_back.h"
#include "tests/support/id3_builder.h"
#include "tests/support/temp_dir.h"

#include "editor/tag_editor_dialog.h"
#include "tests/gui_support/scripted_prompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace corvane::test {

class EditorTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        m_dialog.reset();
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty() ||
                    std::none_of(QApplication::topLevelWidgets().begin(),
                                 QApplication::topLevelWidgets().end(),
                                 [](QWidget* w) { return w->isVisible(); }))
            << "a window was left open";
    }

    std::string put(const std::string& name, const Bytes& bytes)
    {
        writeFile(m_dir.file(name), bytes);
        return m_dir.file(name);
    }

    // Opens the editor on names as the main window does: loads it, then shows it (without a
    // nested event loop, unlike exec()) when a file could be read.
    TagEditorDialog& open(std::vector<std::string> names)
    {
        m_dialog = std::make_unique<TagEditorDialog>(m_dir.folder(), std::move(names), m_expanded,
                                                     m_compactSetting, m_selection, m_prompter);
        m_loaded = m_dialog->loadFirstFile();
        if (m_loaded)
            m_dialog->open();
        return *m_dialog;
    }

    TagEditorDialog& dialog() { return *m_dialog; }

    template <typename W>
    W* widget(const char* name)
    {
        auto* w = m_dialog->findChild<W*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* edit(const char* name) { return widget<QLineEdit>(name); }
    QPushButton* button(const char* name) { return widget<QPushButton>(name); }
    QCheckBox* check(const char* name) { return widget<QCheckBox>(name); }
    QComboBox* combo(const char* name) { return widget<QComboBox>(name); }

    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    void toggle(const char* name)
    {
        QCheckBox* box = check(name);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    // Replaces the text of an edit the way a user would.
    void type(const char* name, const QString& text)
    {
        QLineEdit* e = edit(name);
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
    }

    // Types into the editable ID3v2 genre box, replacing its text.
    void typeGenre(const QString& text)
    {
        QLineEdit* line = combo("comboV2Genre")->lineEdit();
        line->setFocus();
        line->selectAll();
        QTest::keyClick(line, Qt::Key_Delete);
        QTest::keyClicks(line, text);
    }

    // What the core reads back from a file.
    tags::TagRecord readBack(const std::string& path) { return readBackRecord(path); }

    // A plain file: a small ID3v2.3 tag with padding, audio, and a trailer.
    Bytes sample(std::string_view title, std::size_t padding = 200)
    {
        return mp3(tag({textFrame("TIT2", title), textFrame("TPE1", "Artist")}, padding),
                   mpegAudio(3000), trailer(title, "V1 Artist", "V1 Album", "1999", "", 3, 17));
    }

    TempDir m_dir;
    ScriptedPrompter m_prompter;
    bool m_expanded = true;
    bool m_compactSetting = false;
    batch::FieldSelection m_selection = batch::FieldSelection::all();
    std::unique_ptr<TagEditorDialog> m_dialog;
    bool m_loaded = false;  // what loadFirstFile said at the last open()
};

}  // namespace corvane::test

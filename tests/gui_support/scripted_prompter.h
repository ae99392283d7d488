#pragma once
// The prompt interface for GUI tests: records what the program asked and answers from a script.

#include "gui/prompt.h"

#include <QString>

#include <deque>
#include <vector>

namespace corvane::test {

class ScriptedPrompter final : public corvane::Prompter {
public:
    struct Asked {
        QString text;
        PromptIcon icon;
        PromptButtons buttons;
    };

    PromptAnswer ask(QWidget*, const QString& text, PromptIcon icon,
                     PromptButtons buttons) override
    {
        m_asked.push_back({text, icon, buttons});
        if (!m_answers.empty()) {
            const auto answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        }
        return buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
    }

    // A path question is recorded with its caption as the text and the Information icon; it is
    // answered from the queued paths, else cancelled.
    QString askPath(QWidget*, PathQuestion, const QString& caption, const QString&) override
    {
        m_asked.push_back({caption, PromptIcon::Information, PromptButtons::Ok});
        if (m_paths.empty()) return {};
        const QString path = m_paths.front();
        m_paths.pop_front();
        return path;
    }

    void queueAnswer(PromptAnswer answer) { m_answers.push_back(answer); }
    void queuePath(const QString& path) { m_paths.push_back(path); }
    [[nodiscard]] const std::vector<Asked>& asked() const { return m_asked; }
    [[nodiscard]] QStringList texts() const
    {
        QStringList out;
        for (const auto& a : m_asked)
            out << a.text;
        return out;
    }
    void clear()
    {
        m_asked.clear();
        m_answers.clear();
        m_paths.clear();
    }

private:
    std::vector<Asked> m_asked;
    std::deque<PromptAnswer> m_answers;
    std::deque<QString> m_paths;
};

}  // namespace corvane::test

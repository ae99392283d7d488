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

    void queueAnswer(PromptAnswer answer) { m_answers.push_back(answer); }
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
    }

private:
    std::vector<Asked> m_asked;
    std::deque<PromptAnswer> m_answers;
};

}  // namespace corvane::test

#pragma once
// Progress of a long run on stderr: a count and the current file, rewritten in place, and only
// when stderr is a terminal, so that scripts and pipes see nothing but real messages.

#include <chrono>
#include <cstddef>
#include <string_view>

namespace corvane::cli {

class Progress {
public:
    explicit Progress(std::size_t total);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Shows "[index+1/total] path", at most every tenth of a second.
    void show(std::size_t index, std::string_view path);
    // Clears the line so that an error message that follows starts at the left margin.
    void clear();

private:
    std::size_t m_total;
    bool m_enabled;
    bool m_shown = false;
    std::chrono::steady_clock::time_point m_last{};
};

}  // namespace corvane::cli

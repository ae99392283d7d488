#include "cli/progress.h"

#include "cli/terminal_text.h"

#include <unistd.h>

#include <cstdio>

namespace corvane::cli {

namespace {
constexpr auto kInterval = std::chrono::milliseconds(100);
}

Progress::Progress(std::size_t total) : m_total(total), m_enabled(::isatty(STDERR_FILENO) == 1) {}

Progress::~Progress() { clear(); }

void Progress::show(std::size_t index, std::string_view path)
{
    if (!m_enabled) return;
    const auto now = std::chrono::steady_clock::now();
    if (m_shown && now - m_last < kInterval) return;
    m_last = now;
    m_shown = true;
    const std::string name = escapeControls(path);
    std::fprintf(stderr, "\r\033[K[%zu/%zu] %s", index + 1, m_total, name.c_str());
    std::fflush(stderr);
}

void Progress::clear()
{
    if (!m_enabled || !m_shown) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    m_shown = false;
}

}  // namespace corvane::cli

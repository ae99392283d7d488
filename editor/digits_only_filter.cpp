#include "editor/digits_only_filter.h"

#include <QKeyEvent>

#include <algorithm>

namespace corvane {

bool DigitsOnlyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const QString typed = key->text();
    // Shortcuts (Ctrl+V, Alt+N) and editing keys carry no printable text of their own.
    const bool isShortcut = (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0;
    if (isShortcut || typed.isEmpty() || !typed.at(0).isPrint())
        return QObject::eventFilter(watched, event);
    const bool allDigits = std::all_of(typed.begin(), typed.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    return !allDigits;
}

}  // namespace corvane

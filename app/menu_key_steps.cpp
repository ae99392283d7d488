#include "app/menu_key_steps.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>

namespace corvane {

MenuKeySteps::MenuKeySteps(QMenu& menu) : m_menu(menu)
{
    m_menu.installEventFilter(this);
    for (QMenu* submenu : m_menu.findChildren<QMenu*>())
        submenu->installEventFilter(this);
}

bool MenuKeySteps::eventFilter(QObject* watched, QEvent* event)
{
    auto* popup = qobject_cast<QMenu*>(watched);
    if (popup == nullptr || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() != Qt::NoModifier && key->modifiers() != Qt::KeypadModifier)
        return false;
    const bool mirrored = m_menu.isRightToLeft();
    const int back = mirrored ? Qt::Key_Right : Qt::Key_Left;
    const int forward = mirrored ? Qt::Key_Left : Qt::Key_Right;
    int step = 0;
    if (key->key() == back && popup == &m_menu) {
        step = -1;  // in a submenu, back closes just the submenu, as the popup does by itself
    } else if (key->key() == forward) {
        const QAction* active = popup->activeAction();
        if (active == nullptr || active->menu() == nullptr || !active->isEnabled())
            step = 1;
    }
    if (step == 0)
        return false;
    m_step = step;
    // The submenu first, so that no popup is left behind the closed one; hiding the top popup
    // ends its exec() with no item chosen.
    if (popup != &m_menu)
        popup->hide();
    m_menu.hide();
    return true;
}

}  // namespace corvane

#pragma once
// Left and Right in an open popup of the menu bar go on to the neighbouring button's popup, as
// in any menu bar: Left in the popup itself, Right wherever the highlighted item opens no
// submenu (inside a submenu too). The popups close and step() says which way to go on; the
// owner opens the next one. Mirrored in a right-to-left layout.

#include <QObject>

class QMenu;

namespace corvane {

class MenuKeySteps final : public QObject {
    Q_OBJECT

public:
    // Watches menu and its submenus for as long as this object lives; menu must outlive it.
    explicit MenuKeySteps(QMenu& menu);

    // -1 (to the left), +1 (to the right), or 0 when the popup closed any other way.
    [[nodiscard]] int step() const { return m_step; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMenu& m_menu;
    int m_step = 0;
};

}  // namespace corvane

#pragma once

#include <QColor>
#include <QWidget>

// Colours of the design, set on widget palettes so that they can be read back.
namespace barve {
inline const QColor navy(0, 0, 128);
inline const QColor rdeca(255, 0, 0);
inline const QColor rumena(255, 255, 0);
inline const QColor bela(255, 255, 255);
inline const QColor srebrna(192, 192, 192);

inline void ozadje(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

inline void pisava(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}
} // namespace barve

#include "DesktopPalettes.h"

#include <QColor>

QPalette DarkDesktopPalette()
{
    QPalette p;
    const QColor window(0x35, 0x35, 0x35);
    const QColor light(0xEE, 0xEE, 0xEE);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, light);
    p.setColor(QPalette::Base, QColor(0x25, 0x25, 0x25));
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, light);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, light);
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, light);
    p.setColor(QPalette::Highlight, QColor(0x2A, 0x82, 0xDA));
    p.setColor(QPalette::HighlightedText, Qt::white);
    return p;
}

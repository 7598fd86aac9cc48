#include "LightPalette.h"

QPalette lightPalette()
{
    const QColor text(0, 0, 0, 217);
    const QColor secondary(0, 0, 0, 128);
    const QColor disabled(0, 0, 0, 64);
    QPalette palette(QColor(255, 255, 255), QColor(236, 236, 236)); // button, window
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::PlaceholderText, secondary);
    }
    palette.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    palette.setColor(QPalette::Disabled, QPalette::Text, disabled);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
    palette.setColor(QPalette::Disabled, QPalette::PlaceholderText, disabled);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, QColor(244, 245, 245));
    palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 240));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Active, QPalette::Highlight, QColor(0, 100, 225));
    palette.setColor(QPalette::Inactive, QPalette::Highlight, QColor(220, 220, 220));
    palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(220, 220, 220));
    palette.setColor(QPalette::Active, QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, text);
    palette.setColor(QPalette::Link, QColor(0, 104, 218));
    palette.setColor(QPalette::LinkVisited, QColor(128, 0, 160));
    return palette;
}

// The font of the window's value rows.
#include "design/panel_font.h"

#include <QStringList>

QFont PanelFont(bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(12);
    font.setBold(bold);
    return font;
}

#include "app/window_font.h"

#include <QFontDatabase>
#include <QStringList>

namespace tovra {

QFont WindowFont() {
    QFont font;
    const QStringList families = QFontDatabase::families();
    if (families.contains(QStringLiteral("Tahoma"), Qt::CaseInsensitive)) {
        font.setFamily(QStringLiteral("Tahoma"));
    } else if (families.contains(QStringLiteral("DejaVu Sans"), Qt::CaseInsensitive)) {
        font.setFamily(QStringLiteral("DejaVu Sans"));
        font.setStretch(QFont::Condensed);
    } else {
        font.setStyleHint(QFont::SansSerif);
        font.setFamily(QStringLiteral("Sans Serif"));
    }
    font.setPixelSize(kWindowFontPixelSize);
    return font;
}

}  // namespace tovra
